// Tests of content keyword preparation for the Shift_JIS, EUC-JP and UTF-8 encodings.
#include "search/keyword_encoding.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/platform.h"

namespace tanmira {
namespace {

struct KeywordCase {
    const char* what;
    std::string typed;  // UTF-8; typed in the system code page
    KeywordEncoding encoding;
    std::string bytes;
    bool representable;
    bool shiftJisFolding;
};

TEST(KeywordEncodingTest, PreparesKeywordsForEachEncoding) {
    using enum KeywordEncoding;
    const KeywordCase cases[] = {
        {"ASCII, Shift_JIS", "Abc", ShiftJis, "Abc", true, false},
        {"ASCII, EUC", "Abc", Euc, "Abc", true, false},
        {"ASCII, UTF-8", "Abc", Utf8, "Abc", true, false},
        {"hiragana, Shift_JIS", "\xE3\x81\x82", ShiftJis, "\x82\xA0", true, true},
        {"hiragana, EUC", "\xE3\x81\x82", Euc, "\xA4\xA2", true, false},
        {"hiragana, UTF-8", "\xE3\x81\x82", Utf8, "\xE3\x81\x82", true, false},
        {"kanji after ASCII, Shift_JIS", "x\xE6\xBC\xA2", ShiftJis, "x\x8A\xBF", true, true},
        {"kanji after ASCII, EUC", "x\xE6\xBC\xA2", Euc, "x\xB4\xC1", true, false},
        {"katakana with a letter as trail byte, Shift_JIS", "\xE3\x82\xA6", ShiftJis, "\x83\x45",
         true, true},
        // Half-width katakana are single bytes in Shift_JIS and pass the EUC conversion as they
        // are.
        {"half-width katakana, Shift_JIS", "\xEF\xBD\xB1", ShiftJis, "\xB1", true, false},
        {"half-width katakana, EUC", "\xEF\xBD\xB1", Euc, "\xB1", true, false},
        {"emoji, Shift_JIS", "a\xF0\x9F\x98\x80", ShiftJis, "", false, false},
        {"emoji, EUC", "a\xF0\x9F\x98\x80", Euc, "", false, false},
        {"emoji, UTF-8", "a\xF0\x9F\x98\x80", Utf8, "a\xF0\x9F\x98\x80", true, false},
        {"invalid UTF-8, UTF-8", "a\xFF", Utf8, "", false, false},
        {"invalid UTF-8, Shift_JIS", "a\xFF", ShiftJis, "", false, false},
        {"empty, Shift_JIS", "", ShiftJis, "", true, false},
        {"empty, EUC", "", Euc, "", true, false},
        {"empty, UTF-8", "", Utf8, "", true, false},
    };
    const std::string accented = "\xC3\xA9";
    const bool utf8System = platform::ConvertCodePage(accented, platform::CodePage::Utf8,
                                                      platform::CodePage::System) == accented;
    for (const KeywordCase& c : cases) {
        // Where the system code page is UTF-8 the bytes are typed as they are, invalid ones
        // included; elsewhere only what the code page can represent can be typed at all.
        std::optional<std::string> typed = platform::ConvertCodePage(
            c.typed, platform::CodePage::Utf8, platform::CodePage::System);
        if (!typed && !utf8System)
            continue;
        const PreparedKeyword keyword = PrepareKeyword(typed.value_or(c.typed), c.encoding);
        EXPECT_EQ(keyword.representable, c.representable) << c.what;
        EXPECT_EQ(keyword.bytes, c.bytes) << c.what;
        EXPECT_EQ(keyword.shiftJisFolding, c.shiftJisFolding) << c.what;
    }
}

}  // namespace
}  // namespace tanmira
