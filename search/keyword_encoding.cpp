// Preparation of content keywords: the typed keyword converted into the bytes of the chosen
// encoding, with the folding rule that its content test must use.
#include "search/keyword_encoding.h"

#include <optional>

#include "platform/platform.h"
#include "search/jeuc.h"

namespace tanmira {

namespace {

using platform::CodePage;

// True when the Shift_JIS text holds a double-byte character. Scanning forward, every byte before
// the first lead byte is a character of its own, so the first lead byte found opens one.
bool HoldsDoubleByteCharacter(const std::string& sjis) {
    const platform::LeadByteTable& leadBytes = platform::ShiftJisLeadBytes();
    for (const char c : sjis) {
        if (leadBytes.test(static_cast<unsigned char>(c)))
            return true;
    }
    return false;
}

PreparedKeyword Unrepresentable() {
    PreparedKeyword keyword;
    keyword.representable = false;
    return keyword;
}

}  // namespace

PreparedKeyword PrepareKeyword(const std::string& typed, KeywordEncoding encoding) {
    if (encoding == KeywordEncoding::Utf8) {
        std::optional<std::string> utf8 =
            platform::ConvertCodePage(typed, CodePage::System, CodePage::Utf8);
        if (!utf8)
            return Unrepresentable();
        return PreparedKeyword{std::move(*utf8), true, false};
    }

    std::optional<std::string> sjis =
        platform::ConvertCodePage(typed, CodePage::System, CodePage::ShiftJis);
    if (!sjis)
        return Unrepresentable();
    if (encoding == KeywordEncoding::Euc)
        return PreparedKeyword{jeuc::SjisToEuc(*sjis), true, false};
    const bool folding = HoldsDoubleByteCharacter(*sjis);
    return PreparedKeyword{std::move(*sjis), true, folding};
}

}  // namespace tanmira
