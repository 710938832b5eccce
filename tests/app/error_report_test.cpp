// The text of the error box: a "." after a message whose last character sorts after ".".
#include <gtest/gtest.h>

#include "app/error_report.h"

namespace tanmira {
namespace {

TEST(ErrorReportText, AppendsADotOnlyAfterCharactersThatSortAfterIt) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"end.", "end."},
        {"wow!", "wow!"},
        {"(3)", "(3)"},
        {"trailing ", "trailing "},
        {"two\r\n", "two\r\n"},
        {"a-", "a-"},
        {"path/", "path/."},
        {"count 7", "count 7."},
        {"word", "word."},
        {"開けません", "開けません."},
        {"ｶﾅ", "ｶﾅ."},
    };
    for (const auto& [message, text] : cases) {
        SCOPED_TRACE(message);
        EXPECT_EQ(ErrorReportText(message), text);
    }
}

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
