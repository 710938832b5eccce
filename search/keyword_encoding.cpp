// Preparation of content keywords: the typed keyword converted into the bytes of each form of the
// chosen encoding, with the folding rule that its content test must use.
#include "search/keyword_encoding.h"

#include <algorithm>
#include <optional>

#include "platform/platform.h"
#include "search/text_rules.h"

namespace tanmira {

namespace {

// True when the Shift_JIS text holds a double-byte character. Scanning forward, every byte before
// the first lead byte is a character of its own, so the first lead byte found opens one.
bool HoldsDoubleByteCharacter(const std::string& sjis) {
    const platform::LeadByteTable& leadBytes = platform::ShiftJisLeadBytes();
    return std::any_of(sjis.begin(), sjis.end(),
                       [&](char c) { return leadBytes.test(static_cast<unsigned char>(c)); });
}

// True when bytes hold an ASCII letter. Folding leaves every other byte alone, so the text of a
// keyword without one matches under every folding rule exactly where it matches unfolded.
bool HoldsLetter(const std::string& bytes) {
    return std::any_of(bytes.begin(), bytes.end(), IsAsciiLetter);
}

}  // namespace

PreparedKeyword PrepareKeyword(const std::string& typed, const KeywordForm& form) {
    std::optional<std::string> bytes =
        platform::ConvertCodePage(typed, platform::CodePage::System, form.codePage);
    if (!bytes)
        return PreparedKeyword{"", false, false, 0, form.unit};
    if (form.thenConvert != nullptr)
        bytes = form.thenConvert(*bytes);
    const bool shiftJisFolding = form.folding == FoldingRule::ShiftJis &&
                                 HoldsDoubleByteCharacter(*bytes) && HoldsLetter(*bytes);
    return PreparedKeyword{std::move(*bytes), true, shiftJisFolding, 0, form.unit};
}

KeywordForms PrepareKeywordForms(const std::string& typed, KeywordEncoding encoding) {
    KeywordForms forms;
    const std::vector<KeywordForm>& table = EntryOf(encoding).forms;
    for (std::size_t f = 0; f < table.size(); ++f) {
        PreparedKeyword keyword = PrepareKeyword(typed, table[f]);
        keyword.form = f;
        if (std::find(forms.begin(), forms.end(), keyword) == forms.end())
            forms.push_back(std::move(keyword));
    }
    return forms;
}

}  // namespace tanmira
