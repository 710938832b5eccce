// Tests of the matched-lines capture: line numbers under every line break, the decoding of each
// line from the form found in it, the listing limit and the clipping of long lines.
#include "search/matched_lines.h"

#include <gtest/gtest.h>
#include <array>
#include <filesystem>
#include <random>

#include "tests/support/temp_tree.h"

namespace tanmira {
namespace {

using platform::CodePage;

std::string In(CodePage page, const std::string& utf8) {
    return platform::ConvertCodePage(utf8, CodePage::Utf8, page).value();
}

// The decoded text of each hit of a line.
std::vector<std::string> HitTexts(const DecodedLine& line) {
    std::vector<std::string> texts;
    for (const LineHit& hit : line.hits)
        texts.push_back(line.text.substr(hit.at, hit.length));
    return texts;
}

TEST(MatchedLines, EachLineDecodedFromTheFormFoundInIt) {
    // ウ is 83 45 in Shift_JIS: its trail byte is the letter E, never folded nor split.
    const std::string text = In(CodePage::ShiftJis, "ウェブ設定\r\nなし\r") +
                             In(CodePage::EucJp, "旧設定と設定\n") + "\n" + "UTF-8 の設定\r\n" +
                             "\xff設定";
    const MatchedLines found = FindMatchedLines(
        text, PrepareKeywordForms("設定", KeywordEncoding::All), KeywordEncoding::All);
    struct Expected {
        std::uint64_t number;
        CodePage page;
        std::string text;
        std::size_t hits;
        std::size_t column;
    };
    const Expected expected[] = {{1, CodePage::ShiftJis, "ウェブ設定", 1, 4},
                                 {3, CodePage::EucJp, "旧設定と設定", 2, 2},
                                 {5, CodePage::Utf8, "UTF-8 の設定", 1, 8},
                                 {6, CodePage::Utf8, "\uFFFD設定", 1, 2}};
    ASSERT_EQ(found.lines.size(), std::size(expected));
    EXPECT_EQ(found.more, 0u);
    for (std::size_t i = 0; i < found.lines.size(); ++i) {
        const DecodedLine decoded = DecodeLine(found.lines[i]);
        EXPECT_EQ(found.lines[i].number, expected[i].number);
        EXPECT_EQ(found.lines[i].codePage, expected[i].page) << i;
        EXPECT_EQ(decoded.text, expected[i].text);
        EXPECT_EQ(HitTexts(decoded), std::vector<std::string>(expected[i].hits, "設定"));
        EXPECT_EQ(decoded.firstHitColumn, expected[i].column);
    }
}

// UTF-16 lines: split by whole units (break bytes inside a character or at an odd offset are
// none), the mark dropped, decoded with bad units as U+FFFD, the column in characters.
TEST(MatchedLines, Utf16LinesAreSplitByUnitsAndDecoded) {
    const std::string le = In(CodePage::Utf16Le, "\uFEFF\u0A0D\r\n😀x設定\r\r\nb設定\n");
    const std::string be = In(CodePage::Utf16Be, "a\rb\nVersion 設定");
    const struct {
        std::string text;
        const char* keyword;
        std::vector<std::uint64_t> numbers;
        std::vector<std::string> texts;
        std::vector<std::size_t> columns;
        const char* hit;
    } cases[] = {
        {le, "設定", {2, 4}, {"😀x設定", "b設定"}, {3, 2}, "設定"},
        {be, "VERSION", {3}, {"Version 設定"}, {1}, "Version"},
        {be + std::string("\xD8\x00\x00", 3),
         "設定",
         {3},
         {"Version 設定\uFFFD\uFFFD"},
         {9},
         "設定"},
        // A UTF-16 match before a single-byte one: the file is read in UTF-16 units.
        {In(CodePage::Utf16Le, "設定") + "設定",
         "設定",
         {1},
         {"設定\uA8E8\uE5AD\u9AAE"},
         {1},
         "設定"},
    };
    for (const auto& c : cases) {
        const MatchedLines found = FindMatchedLines(
            c.text, PrepareKeywordForms(c.keyword, KeywordEncoding::All), KeywordEncoding::All);
        std::vector<std::uint64_t> numbers;
        std::vector<std::string> texts;
        std::vector<std::size_t> columns;
        for (const TextLine& line : found.lines) {
            const DecodedLine decoded = DecodeLine(line);
            numbers.push_back(line.number);
            texts.push_back(decoded.text);
            columns.push_back(decoded.firstHitColumn);
            EXPECT_EQ(HitTexts(decoded), std::vector<std::string>{c.hit}) << decoded.text;
        }
        EXPECT_EQ(numbers, c.numbers) << c.keyword;
        EXPECT_EQ(texts, c.texts) << c.keyword;
        EXPECT_EQ(columns, c.columns) << c.keyword;
    }
}

// Read in pieces of any size, the lines found are those of the one line splitter, whatever piece a
// line break, a CR LF, a unit or a match is cut in: the same numbers, bytes and count past the
// limit, whether a line is copied out as the text streams by (pieces longer than most lines) or
// read again (pieces shorter than it), with a keyword longer than a piece or not.
TEST(MatchedLines, AgreeWithTheLineSplitterWhateverPiecesTheTextComesIn) {
    std::mt19937 rng(20261209);
    const std::u16string letters = u"aAbB\r\n x\u0A0D\u0D0A";
    int matching = 0;
    for (int round = 0; round < 300; ++round) {
        const CodeUnit unit =
            std::array{CodeUnit::Byte, CodeUnit::Utf16Le, CodeUnit::Utf16Be}[round % 3];
        const bool bytes = unit == CodeUnit::Byte;
        const KeywordEncoding encoding = bytes ? KeywordEncoding::Utf8 : KeywordEncoding::Utf16;
        const CodePage page = unit == CodeUnit::Utf16Le ? CodePage::Utf16Le : CodePage::Utf16Be;
        std::string text = !bytes && round % 2 == 0 ? In(page, "\uFEFF") : "";
        const std::size_t mark = text.size();
        for (int i = 0; i < 100; ++i) {
            const char16_t c = letters[rng() % (bytes ? 8 : letters.size())];
            const char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
            text += bytes                       ? std::string{low}
                    : unit == CodeUnit::Utf16Le ? std::string{low, high}
                                                : std::string{high, low};
        }
        const std::vector<std::string_view> split =
            SplitLines(std::string_view(text).substr(mark), unit);
        for (const char* word : {"ab", "abab"}) {
            KeywordForms forms = PrepareKeywordForms(word, encoding);
            std::erase_if(forms, [&](const PreparedKeyword& form) { return form.unit != unit; });
            const std::string keyword = FoldCase(forms.front().bytes, unit);
            std::vector<std::uint64_t> numbers;
            std::vector<std::string> lines;
            for (std::size_t i = 0; i < split.size(); ++i) {
                const std::string folded = FoldCase(split[i], unit);
                for (std::size_t at = folded.find(keyword); at != std::string::npos;
                     at = folded.find(keyword, at + 1)) {
                    if (at % UnitSize(unit) == 0) {
                        numbers.push_back(i + 1);
                        ++matching;
                        lines.emplace_back(split[i]);
                        break;
                    }
                }
            }
            for (const std::size_t maxLines : {SIZE_MAX, std::size_t{2}}) {
                const std::size_t listed = std::min(maxLines, numbers.size());
                const std::vector<std::uint64_t> listedNumbers(numbers.begin(),
                                                               numbers.begin() + listed);
                const std::vector<std::string> listedLines(lines.begin(), lines.begin() + listed);
                for (const std::size_t pieceSize : {1, 2, 3, 5, 16, 37, 4096}) {
                    const MatchedLines found =
                        FindMatchedLines(text, forms, encoding, maxLines, pieceSize);
                    std::vector<std::uint64_t> foundNumbers;
                    std::vector<std::string> foundLines;
                    for (const TextLine& line : found.lines) {
                        foundNumbers.push_back(line.number);
                        foundLines.push_back(line.bytes);
                    }
                    const std::string where = ::testing::PrintToString(text) + " " + word +
                                              " piece " + std::to_string(pieceSize);
                    ASSERT_EQ(foundNumbers, listedNumbers) << where;
                    ASSERT_EQ(foundLines, listedLines) << where;
                    ASSERT_EQ(found.more, numbers.size() - listed) << where;
                }
            }
        }
    }
    EXPECT_GT(matching, 300);  // most texts hold the keyword
}

// A text of several pieces gives the lines it gives when held whole: matched lines longer than a
// piece with the match at their start or their end, and a line with more hits than are kept.
TEST(MatchedLines, ALargeTextGivesTheLinesOfTheTextHeldWhole) {
    const std::string longLine(3 * ContentScanner::kPieceSize + 1000, 'a');
    std::string many;
    for (int i = 0; i < 1500; ++i)
        many += "needle ";
    const std::string text = "hay\r\nx needle\n" + longLine + "Needle\r" + many + "\nNEEDLE" +
                             longLine + "\r\n" + std::string(1000, '\n') + "needle";
    const KeywordForms forms = PrepareKeywordForms("needle", KeywordEncoding::All);
    for (const std::size_t maxLines : {kMaxListedLines, std::size_t{3}}) {
        const MatchedLines whole =
            FindMatchedLines(text, forms, KeywordEncoding::All, maxLines, text.size());
        const MatchedLines streamed = FindMatchedLines(text, forms, KeywordEncoding::All, maxLines);
        std::vector<std::uint64_t> numbers;
        for (const TextLine& line : whole.lines)
            numbers.push_back(line.number);
        const std::vector<std::uint64_t> all{2, 3, 4, 5, 1006};
        const std::size_t listed = std::min(maxLines, all.size());
        EXPECT_EQ(numbers, std::vector<std::uint64_t>(all.begin(), all.begin() + listed));
        EXPECT_EQ(whole.more, all.size() - listed);
        EXPECT_EQ(whole.lines[2].hits.size(), kMaxHitsPerLine);
        EXPECT_EQ(streamed.more, whole.more);
        ASSERT_EQ(streamed.lines.size(), whole.lines.size());
        for (std::size_t i = 0; i < whole.lines.size(); ++i) {
            EXPECT_EQ(streamed.lines[i].number, whole.lines[i].number);
            EXPECT_EQ(streamed.lines[i].offset, whole.lines[i].offset);
            EXPECT_EQ(streamed.lines[i].bytes, whole.lines[i].bytes) << i;
            EXPECT_EQ(streamed.lines[i].hits, whole.lines[i].hits) << i;
        }
    }
}

TEST(MatchedLines, ListsTheFirstLinesWhateverOrderTheFormsAreReportedIn) {
    // Later lines hold the first form, earlier ones the last: the scan reports them out of order.
    std::string text;
    for (int i = 0; i < 6; ++i)
        text += (i < 3 ? std::string("設定") : In(CodePage::ShiftJis, "設定")) + " x\n";
    const MatchedLines found = FindMatchedLines(
        text, PrepareKeywordForms("設定", KeywordEncoding::All), KeywordEncoding::All, 2);
    ASSERT_EQ(found.lines.size(), 2u);
    EXPECT_EQ(found.lines[0].number, 1u);
    EXPECT_EQ(found.lines[1].number, 2u);
    EXPECT_EQ(found.more, 4u);
}

// The lines of a text the scan read whole at once come from its buffer, even once the file is
// gone; a text read in pieces is read again, and a file that can no longer be read is unreadable,
// never a file without lines.
TEST(LineCapture, ReadsTheFileAgainOnlyWhenTheScanDidNotHoldItWhole) {
    testing::TempTree tree;
    const std::string path = tree.File("a.txt", "hay\nx Needle\n");
    const KeywordForms forms = PrepareKeywordForms("needle", KeywordEncoding::Utf8);
    const ContentPattern pattern(forms.front());
    const LineCapture capture(forms, KeywordEncoding::Utf8, 10);
    ContentScanner whole;
    ContentScanner pieces(4);
    ASSERT_EQ(whole.Scan(path, {&pattern}), GroupFlags{true});
    ASSERT_EQ(pieces.Scan(path, {&pattern}), GroupFlags{true});
    std::filesystem::remove(path);
    const MatchedLines kept = capture.Capture(path, whole);
    ASSERT_EQ(kept.lines.size(), 1u);
    EXPECT_EQ(kept.lines[0].number, 2u);
    EXPECT_EQ(kept.lines[0].bytes, "x Needle");
    EXPECT_EQ(capture.Capture(path, pieces).end, ScanEnd::Unreadable);
}

TEST(MatchedLines, LongLinesAreClippedAroundTheirFirstHit) {
    const std::string line = std::string(5000, 'a') + "KEY" + std::string(5000, 'b');
    const MatchedLines found = FindMatchedLines(
        line, PrepareKeywordForms("key", KeywordEncoding::Utf8), KeywordEncoding::Utf8);
    ASSERT_EQ(found.lines.size(), 1u);
    const DecodedLine clipped = DecodeLine(found.lines[0], 1000);
    EXPECT_EQ(HitTexts(clipped), std::vector<std::string>{"KEY"});
    EXPECT_EQ(CharCount(clipped.text), 1002u);
    EXPECT_EQ(clipped.text.rfind("…", 0), 0u);
    EXPECT_EQ(clipped.text.substr(clipped.text.size() - 3), "…");
    EXPECT_EQ(DecodeLine(found.lines[0]).firstHitColumn, 5001u);
}

// Without a keyword: the first lines, in the one encoding chosen or the first of UTF-8,
// Shift_JIS and EUC-JP that decodes them (EUC-JP's C4 EA is a cut Shift_JIS character); UTF-16
// by its mark.
TEST(MatchedLines, LeadingLinesAreDecodedInTheFirstEncodingThatFits) {
    testing::TempTree tree;
    const struct {
        KeywordEncoding encoding;
        std::string bytes;
        CodePage page;
        std::vector<std::string> texts;
    } cases[] = {
        {KeywordEncoding::All, In(CodePage::EucJp, "設定\nb\r\nc"), CodePage::EucJp, {"設定", "b"}},
        {KeywordEncoding::All,
         In(CodePage::ShiftJis, "ウェブ\rb"),
         CodePage::ShiftJis,
         {"ウェブ", "b"}},
        {KeywordEncoding::All, "設定\n\n", CodePage::Utf8, {"設定", ""}},
        {KeywordEncoding::Euc, std::string("a\xff\nb\0c\n", 7), CodePage::EucJp, {"a\uFFFD", "b"}},
        {KeywordEncoding::Euc, std::string("a\0\nb", 4), CodePage::EucJp, {"a"}},
        {KeywordEncoding::All,
         In(CodePage::Utf16Be, "\uFEFF設定\r\nb\nc"),
         CodePage::Utf16Be,
         {"設定", "b"}},
        {KeywordEncoding::Utf16,
         In(CodePage::Utf16Le, "設定\rb"),
         CodePage::Utf16Le,
         {"設定", "b"}},
        // A line cut by the end of the first piece read.
        {KeywordEncoding::Utf8,
         "a\r\n" + std::string(70000, 'b') + "\nc",
         CodePage::Utf8,
         {"a", std::string(70000, 'b')}},
    };
    for (const auto& c : cases) {
        const auto lines = LeadingLines(tree.File("f.txt", c.bytes), c.encoding, 2);
        ASSERT_TRUE(lines);
        std::vector<std::string> texts;
        for (const TextLine& line : *lines) {
            EXPECT_EQ(line.codePage, c.page) << c.texts.front();
            texts.push_back(DecodeLine(line).text);
        }
        EXPECT_EQ(texts, c.texts);
    }
    EXPECT_FALSE(LeadingLines(tree.Path("missing"), KeywordEncoding::All));
}

}  // namespace
}  // namespace tanmira
