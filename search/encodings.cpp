// The table of keyword encodings.
#include "search/encodings.h"

#include <algorithm>

#include "search/jeuc.h"

namespace tanmira {

namespace {

using platform::CodePage;

const KeywordForm kShiftJisForm{CodePage::ShiftJis, nullptr, FoldingRule::ShiftJis,
                                CodePage::ShiftJis};
// Through Shift_JIS and jeuc's conversion, whose edge rules the EUC item has always had.
const KeywordForm kEucForm{CodePage::ShiftJis, &jeuc::SjisToEuc, FoldingRule::Ascii,
                           CodePage::EucJp};
const KeywordForm kUtf8Form{CodePage::Utf8, nullptr, FoldingRule::Ascii, CodePage::Utf8};
const KeywordForm kUtf16LeForm{CodePage::Utf16Le, nullptr, FoldingRule::Ascii, CodePage::Utf16Le,
                               CodeUnit::Utf16Le};
const KeywordForm kUtf16BeForm{CodePage::Utf16Be, nullptr, FoldingRule::Ascii, CodePage::Utf16Be,
                               CodeUnit::Utf16Be};

}  // namespace

const std::vector<EncodingEntry>& KeywordEncodings() {
    static const std::vector<EncodingEntry> table = {
        {KeywordEncoding::ShiftJis, "Shift-JIS", "shift-jis", {kShiftJisForm}},
        {KeywordEncoding::Euc, "EUC", "euc", {kEucForm}},
        {KeywordEncoding::Utf8, "UTF-8", "utf-8", {kUtf8Form}},
        // Either byte order: a byte-order mark, when a file has one, is not looked at.
        {KeywordEncoding::Utf16, "UTF-16", "utf-16", {kUtf16LeForm, kUtf16BeForm}},
        // Every encoding at once: a folder that mixes them needs no guess per file.
        {KeywordEncoding::All,
         "すべて",
         "all",
         {kShiftJisForm, kEucForm, kUtf8Form, kUtf16LeForm, kUtf16BeForm}},
    };
    return table;
}

const EncodingEntry& EntryOf(KeywordEncoding encoding) {
    const std::vector<EncodingEntry>& table = KeywordEncodings();
    return *std::find_if(table.begin(), table.end(),
                         [encoding](const EncodingEntry& e) { return e.encoding == encoding; });
}

std::optional<KeywordEncoding> EncodingAt(int index) {
    const std::vector<EncodingEntry>& table = KeywordEncodings();
    if (index < 0 || index >= static_cast<int>(table.size()))
        return std::nullopt;
    return table[static_cast<std::size_t>(index)].encoding;
}

std::optional<KeywordEncoding> EncodingNamed(std::string_view name) {
    for (const EncodingEntry& entry : KeywordEncodings()) {
        if (name == entry.cliName)
            return entry.encoding;
    }
    return std::nullopt;
}

}  // namespace tanmira
