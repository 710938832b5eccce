// Tests of content keyword preparation for the Shift_JIS, EUC-JP, UTF-8 and UTF-16 encodings, and
// for all of them at once.
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

// The bytes a user types for a UTF-8 text in the system code page: the text itself where that
// code page is UTF-8 (invalid bytes included), nothing where the code page cannot hold it.
std::optional<std::string> TypedInSystemCodePage(const std::string& utf8) {
    static const bool utf8System =
        platform::ConvertCodePage("\xC3\xA9", platform::CodePage::Utf8,
                                  platform::CodePage::System) == "\xC3\xA9";
    if (utf8System)
        return utf8;
    return platform::ConvertCodePage(utf8, platform::CodePage::Utf8, platform::CodePage::System);
}

TEST(KeywordEncodingTest, PreparesKeywordsForEachEncoding) {
    using enum KeywordEncoding;
    const KeywordCase cases[] = {
        {"ASCII, Shift_JIS", "Abc", ShiftJis, "Abc", true, false},
        {"ASCII, EUC", "Abc", Euc, "Abc", true, false},
        {"ASCII, UTF-8", "Abc", Utf8, "Abc", true, false},
        // No letter byte: every folding rule finds it in the same places.
        {"hiragana, Shift_JIS", "\xE3\x81\x82", ShiftJis, "\x82\xA0", true, false},
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
    for (const KeywordCase& c : cases) {
        // Where the system code page is UTF-8 the bytes are typed as they are, invalid ones
        // included; elsewhere only what the code page can represent can be typed at all.
        const std::optional<std::string> typed = TypedInSystemCodePage(c.typed);
        if (!typed)
            continue;
        SCOPED_TRACE(c.what);
        const KeywordForms forms = PrepareKeywordForms(*typed, c.encoding);
        ASSERT_EQ(forms.size(), 1u);
        EXPECT_EQ(forms[0], (PreparedKeyword{c.bytes, c.representable, c.shiftJisFolding}));
    }
}

TEST(KeywordEncodingTest, AllPreparesEachFormByItsOwnRuleAndKeepsEqualFormsOnce) {
    const struct {
        const char* what;
        std::string typed;
        KeywordForms forms;
    } cases[] = {
        // ウ (83 45) keeps its trail byte unfolded only in the Shift_JIS form.
        {"katakana",
         "A\xE3\x82\xA6",
         {{"A\x83\x45", true, true},
          {"A\xA5\xA6", true, false},
          {"A\xE3\x82\xA6", true, false},
          {std::string("A\0\xA6\x30", 4), true, false, 3, CodeUnit::Utf16Le},
          {std::string("\0A\x30\xA6", 4), true, false, 4, CodeUnit::Utf16Be}}},
        {"ASCII",
         "Abc",
         {{"Abc", true, false},
          {std::string("A\0b\0c\0", 6), true, false, 3, CodeUnit::Utf16Le},
          {std::string("\0A\0b\0c", 6), true, false, 4, CodeUnit::Utf16Be}}},
        {"emoji",
         "\xF0\x9F\x98\x80",
         {{"", false, false},
          {"\xF0\x9F\x98\x80", true, false},
          {std::string("\x3D\xD8\x00\xDE", 4), true, false, 3, CodeUnit::Utf16Le},
          {std::string("\xD8\x3D\xDE\x00", 4), true, false, 4, CodeUnit::Utf16Be}}},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> typed = TypedInSystemCodePage(c.typed);
        if (!typed)
            continue;
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PrepareKeywordForms(*typed, KeywordEncoding::All), c.forms);
    }
}

// The UTF-16 choice: both byte orders, surrogate pairs included, through the platform's
// conversion; and back, refusing what is not UTF-16.
TEST(KeywordEncodingTest, Utf16GivesBothByteOrdersAndConvertsBack) {
    const struct {
        std::string typed;  // UTF-8
        std::string le;
        bool representable;
    } cases[] = {
        {"Ab", std::string("A\0b\0", 4), true},
        {"\xE8\xA8\xAD\xE5\xAE\x9A", "\x2D\x8A\x9A\x5B", true},          // 設定
        {"\xF0\x9F\x98\x80", std::string("\x3D\xD8\x00\xDE", 4), true},  // a surrogate pair
        {"a\xFF", "", false},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> typed = TypedInSystemCodePage(c.typed);
        if (!typed)
            continue;
        SCOPED_TRACE(c.typed);
        std::string be = c.le;
        for (std::size_t i = 0; i + 1 < be.size(); i += 2)
            std::swap(be[i], be[i + 1]);
        EXPECT_EQ(PrepareKeywordForms(*typed, KeywordEncoding::Utf16),
                  (KeywordForms{{c.le, c.representable, false, 0, CodeUnit::Utf16Le},
                                {be, c.representable, false, 1, CodeUnit::Utf16Be}}));
        if (c.representable) {
            EXPECT_EQ(platform::ConvertCodePage(be, platform::CodePage::Utf16Be,
                                                platform::CodePage::System),
                      *typed);
        }
    }
    // An odd byte count and an unpaired surrogate are no UTF-16.
    for (const std::string& bytes : {std::string("A\0B", 3),
                                     std::string("\x3D\xD8"
                                                 "A\0",
                                                 4),
                                     std::string("\x00\xDE", 2)})
        EXPECT_EQ(
            platform::ConvertCodePage(bytes, platform::CodePage::Utf16Le, platform::CodePage::Utf8),
            std::nullopt)
            << ::testing::PrintToString(bytes);
}

}  // namespace
}  // namespace tanmira
