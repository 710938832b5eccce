// The text of the error box: a "." after a message whose last character sorts after ".".
#include <gtest/gtest.h>

#include "app/error_report.h"

namespace tanmira {
namespace {

struct TextCase {
    std::string message;
    std::string text;
};

class ErrorReportTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(ErrorReportTextTest, AppendsADotOnlyAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(ErrorReportText(GetParam().message), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Utf8, ErrorReportTextTest,
                         testing::Values(TextCase{"", ""}, TextCase{"end.", "end."},
                                         TextCase{"wow!", "wow!"}, TextCase{"(3)", "(3)"},
                                         TextCase{"trailing ", "trailing "},
                                         TextCase{"two\r\n", "two\r\n"}, TextCase{"a-", "a-"},
                                         TextCase{"path/", "path/."},
                                         TextCase{"count 7", "count 7."}, TextCase{"word", "word."},
                                         TextCase{"開けません", "開けません."},
                                         TextCase{"ｶﾅ", "ｶﾅ."}));

TEST(ErrorReportText, ShiftJisTakesTheLastDoubleByteCharacterWhole) {
    const platform::LeadByteTable& sjis = platform::ShiftJisLeadBytes();
    // 表 is 95 5C: its trail byte is "\" but the character is whole and sorts after ".".
    EXPECT_EQ(ErrorReportText("\x95\x5C", sjis), "\x95\x5C.");
    // B1 (half-width katakana) is one byte; a message ending in "." gets none.
    EXPECT_EQ(ErrorReportText("\xB1", sjis), "\xB1.");
    EXPECT_EQ(ErrorReportText("\x95\x5C.", sjis), "\x95\x5C.");
}

}  // namespace
}  // namespace tanmira
