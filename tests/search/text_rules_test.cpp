// Tests of the text rules: folding, substring search, path parts in both path styles, the
// trail-byte rules (backwards and forwards), decimal text, and the UTF-16 forms of folding and
// line splitting.
#include "search/text_rules.h"

#include <gtest/gtest.h>

#include <random>

namespace tanmira {
namespace {

using platform::PathStyle;
const LeadByteTable& Sjis = platform::ShiftJisLeadBytes();

TEST(FoldCase, LowersAsciiLettersOnlyAndKeepsLength) {
    EXPECT_EQ(FoldCase("ABC xyz 09@[`{", NoLeadBytes()), "abc xyz 09@[`{");
    EXPECT_EQ(FoldCase("", NoLeadBytes()), "");
    EXPECT_EQ(FoldCase("\xC3\x84", NoLeadBytes()), "\xC3\x84");  // bytes >= 0x80 never change
}

TEST(FoldCase, LeavesShiftJisTrailBytesAlone) {
    // ウ is 83 45 and テ is 83 65: folding the trail byte would make them equal.
    EXPECT_EQ(FoldCase("\x83\x45"
                       "A",
                       Sjis),
              "\x83\x45"
              "a");
    EXPECT_EQ(FoldCase("\x83\x45", NoLeadBytes()), "\x83\x65");
    // A lead byte that is itself a trail byte does not open a character.
    EXPECT_EQ(FoldCase("\x81\x81"
                       "A",
                       Sjis),
              "\x81\x81"
              "a");
}

TEST(FindSubstring, GivesTheFirstOnePosition) {
    struct Case {
        std::string pattern, text;
        std::size_t position;
    } cases[] = {{"", "", 0},
                 {"", "abc", 0},
                 {"bc", "abcbc", 2},
                 {"abcd", "abc", 0},
                 {"abc", "abc", 1},
                 {"x", "abc", 0},
                 {"c", "abc", 3},
                 // a match may begin at a trail byte
                 {"\x5C", "\x95\x5C", 2}};
    for (const Case& c : cases)
        EXPECT_EQ(FindSubstring(c.pattern, c.text), c.position) << c.pattern << " in " << c.text;
}

TEST(SameBytes, ComparesExactly) {
    EXPECT_FALSE(SameBytes("txt", "TXT"));
    EXPECT_TRUE(SameBytes("", ""));
    EXPECT_FALSE(SameBytes("", std::string(1, '\0')));
    EXPECT_TRUE(SameBytes("a", "a"));
}

TEST(PathParts, SplitAtTheLastWholeCharacterDelimiter) {
    struct Case {
        PathStyle style;
        std::string path, name, extension;
    };
    constexpr PathStyle W = PathStyle::Windows;
    constexpr PathStyle P = PathStyle::Posix;
    const Case cases[] = {
        {W, "C:\\docs\\Report.TXT", "Report.TXT", ".TXT"},
        {W, "C:\\docs\\archive.tar.gz", "archive.tar.gz", ".gz"},
        {W, "C:\\docs\\Makefile", "Makefile", ""},
        {W, "C:\\old.docs\\Makefile", "Makefile", ""},
        {W, "C:\\docs\\.htaccess", ".htaccess", ".htaccess"},
        {W, "C:\\docs\\name.", "name.", "."},
        {W, "C:\\docs\\", "", ""},
        {W, "C:name.txt", "name.txt", ".txt"},
        {W, "name", "name", ""},
        // 表 (95 5C) ends the name: its 0x5C is no separator
        {W, "C:\\a\\b\x95\x5C", "b\x95\x5C", ""},
        {W, "C:\\a\\\x95\x5C.txt", "\x95\x5C.txt", ".txt"},
        // after an even run of lead bytes the 0x5C is a separator again
        {W, "C:\\a\x81\x81\\b", "b", ""},
        {P, "/docs/Report.TXT", "Report.TXT", ".TXT"},
        {P, "/old.docs/Makefile", "Makefile", ""},
        {P, "/docs/.htaccess", ".htaccess", ".htaccess"},
        {P, "/docs/", "", ""},
        {P, "/docs/a:b.txt", "a:b.txt", ".txt"},
        {P, "/docs/back\\slash", "back\\slash", ""},
        {P, "name.", "name.", "."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.path) + (c.style == W ? " (Windows)" : " (POSIX)"));
        EXPECT_EQ(FileNamePart(c.path, c.style, Sjis), c.name);
        EXPECT_EQ(ExtensionPart(c.path, c.style, Sjis), c.extension);
    }
}

TEST(IsTrailByte, CountsTheRunOfLeadBytesBeforeIt) {
    const std::string s = "a\x81\x81\x81\x5C";
    EXPECT_FALSE(IsTrailByte(s, 1, Sjis));
    EXPECT_FALSE(IsTrailByte(s, 2, Sjis));
    EXPECT_TRUE(IsTrailByte(s, 3, Sjis));
    EXPECT_FALSE(IsTrailByte(s, 4, Sjis));
    EXPECT_TRUE(IsTrailByte(s, 5, Sjis));
    EXPECT_FALSE(IsTrailByte(std::string("\x81\0", 2), 2, Sjis));  // a 0 byte never is one
    EXPECT_FALSE(IsTrailByte(s, 5, NoLeadBytes()));
}

TEST(TrailCursor, AgreesWithTheBackwardRuleAtEveryByte) {
    using namespace std::string_literals;
    for (const std::string& s : {"a\x81\x81\x81\x5C"s, "\x81\0\x81\x40\x81"s,
                                 "\x95\x5C\x83\x65"
                                 "A\xE0\r\n"s,
                                 "\xFC\xFC\xFC\xFC\x41"s}) {
        TrailCursor cursor(Sjis);
        for (std::size_t i = 1; i <= s.size(); ++i)
            EXPECT_EQ(cursor.Next(s[i - 1]), IsTrailByte(s, i, Sjis)) << "byte " << i;
    }
}

TEST(EndsInSeparator, TestsTheWholeLastCharacter) {
    EXPECT_TRUE(EndsInSeparator("C:\\d\\", PathStyle::Windows, Sjis));
    EXPECT_FALSE(EndsInSeparator("C:\\d\\\x95\x5C", PathStyle::Windows, Sjis));
    EXPECT_TRUE(EndsInSeparator("C:\\d\\\x95\x5C\\", PathStyle::Windows, Sjis));
    EXPECT_TRUE(EndsInSeparator("/d/", PathStyle::Posix, NoLeadBytes()));
    EXPECT_FALSE(EndsInSeparator("/d\\", PathStyle::Posix, NoLeadBytes()));
    EXPECT_FALSE(EndsInSeparator("", PathStyle::Posix, NoLeadBytes()));
}

TEST(DecimalText, WritesSignedDecimal) {
    EXPECT_EQ(DecimalText(-5), "-5");
    EXPECT_EQ(DecimalText(0), "0");
    EXPECT_EQ(DecimalText(2147483647), "2147483647");
    EXPECT_EQ(DecimalText(-2147483647 - 1), "-2147483648");
}

TEST(FoldCase, FoldsOnlyUnitsThatAreAsciiLetters) {
    // 4100 (A), 0041 (U+4100, not a letter), 41 41 (U+4141), a last odd byte.
    EXPECT_EQ(FoldCase(std::string("A\0\0AAAB", 7), CodeUnit::Utf16Le),
              std::string("a\0\0AAAB", 7));
    EXPECT_EQ(FoldCase(std::string("A\0\0AAAB", 7), CodeUnit::Utf16Be),
              std::string("A\0\0aAAB", 7));
}

// The UTF-16 lines of a text are where the byte lines of the same characters are: the units 0D0A,
// 0A0D and 0D00 hold line-break bytes but break no line.
TEST(SplitLines, Utf16UnitsBreakWhereTheSameCharactersBreakAsBytes) {
    const char16_t alphabet[] = {u'a', u'\r', u'\n', 0x0D0A, 0x0A0D, 0x0D00};
    std::mt19937 rng(19);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes;
        std::string le;
        std::string be;
        for (std::size_t n = rng() % 12; n > 0; --n) {
            const char16_t c = alphabet[rng() % std::size(alphabet)];
            bytes += c < 0x80 ? static_cast<char>(c) : 'x';
            le += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
            be += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
        }
        const std::vector<std::string_view> expected = SplitLines(bytes);
        for (const auto& [unit, text] :
             {std::pair{CodeUnit::Utf16Le, &le}, {CodeUnit::Utf16Be, &be}}) {
            const std::vector<std::string_view> lines = SplitLines(*text, unit);
            ASSERT_EQ(lines.size(), expected.size()) << ::testing::PrintToString(*text);
            for (std::size_t i = 0; i < lines.size(); ++i) {
                EXPECT_EQ(lines[i].data() - text->data(), 2 * (expected[i].data() - bytes.data()));
                EXPECT_EQ(lines[i].size(), 2 * expected[i].size());
            }
        }
    }
    // A last odd byte belongs to the last line, also when it is 0D or 0A.
    EXPECT_EQ(SplitLines(std::string("a\0\r", 3), CodeUnit::Utf16Le),
              (std::vector<std::string_view>{std::string_view("a\0\r", 3)}));
    EXPECT_EQ(SplitLines(std::string("\0\r\n", 3), CodeUnit::Utf16Be),
              (std::vector<std::string_view>{"", "\n"}));
}

}  // namespace
}  // namespace tanmira
