// Tests of the matched-lines capture: line numbers under every line break, the decoding of each
// line from the form found in it, the listing limit and the clipping of long lines.
#include "search/matched_lines.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tanmira
