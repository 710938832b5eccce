// Tests of TStringList: the Text rules, errors, growth and whole-file loading.
#include "search/string_list.h"

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "search/exceptions.h"
#include "tests/support/temp_tree.h"

namespace tanmira {
namespace {

using Lines = std::vector<std::string>;

// A fixed text of a message as the user gets it: in the system code page.
std::string Shown(const std::string& utf8) {
    return platform::ConvertCodePage(utf8, platform::CodePage::Utf8, platform::CodePage::System)
        .value();
}

TEST(TextWrite, SplitsAtEveryKindOfLineBreakAndStopsAtZero) {
    struct Case {
        std::string text;
        Lines lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\n\r\n", {"a", ""}},
        {"\r\n", {""}},
        {"a\nb", {"a", "b"}},
        {"a\rb\n", {"a", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {std::string("a\0b", 3), {"a"}},
        {std::string("\0a", 2), {}},
        {"x\n\n", {"x", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        TStringList list;
        list.AppendLine("old");
        list.SetText(c.text);
        EXPECT_EQ(list.Lines(), c.lines);
    }
}

TEST(TextRead, EndsEveryEntryWithCrLf) {
    TStringList list;
    EXPECT_EQ(list.Text(), "");
    list.AppendLine("x");
    list.AppendLine("");
    EXPECT_EQ(list.Text(), "x\r\n\r\n");
}

TEST(TextRoundTrip, TurnsLineBreaksIntoCrLfAndEndsWithOne) {
    TStringList list;
    list.SetText("a\rb");
    EXPECT_EQ(list.Text(), "a\r\nb\r\n");
    list.SetText("a\n\rb\r\n");
    EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
}

TEST(LineAt, RaisesWithTheIndexAskedFor) {
    TStringList list;
    list.AppendLine("zero");
    EXPECT_EQ(list.LineAt(0), "zero");
    for (int index : {1, -1, 7}) {
        try {
            list.LineAt(index);
            ADD_FAILURE() << "no error for index " << index;
        } catch (const EStringListError& e) {
            EXPECT_EQ(e.Message(), Shown("リストのインデックスが範囲を超えています (") +
                                       std::to_string(index) + ")");
        }
    }
    EXPECT_EQ(list.LineCount(), 1);
}

TEST(Growth, FollowsTheQuarterSixteenFourRule) {
    TStringList list;
    std::vector<int> capacities;
    for (int i = 0; i < 120; ++i) {
        EXPECT_EQ(list.AppendLine("x"), i);
        if (capacities.empty() || capacities.back() != list.Capacity())
            capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147}));
    list.ClearLines();
    EXPECT_EQ(list.LineCount(), 0);
    EXPECT_EQ(list.Capacity(), 0);
}

TEST(LoadWholeFile, LoadsTheLinesUpToTheFirstZeroByte) {
    testing::TempTree tree;
    TStringList list;
    list.LoadWholeFile(tree.File("crlf.txt", "one\r\ntwo\rthree"));
    EXPECT_EQ(list.Lines(), (Lines{"one", "two", "three"}));
    // UTF-16 text: every other byte is 0, so only the bytes before the first 0 remain.
    list.LoadWholeFile(tree.File("utf16.txt", std::string("a\0b\0", 4)));
    EXPECT_EQ(list.Lines(), (Lines{"a"}));
    list.LoadWholeFile(tree.File("empty.txt"));
    EXPECT_EQ(list.LineCount(), 0);
    EXPECT_EQ(list.Text(), "");
}

TEST(LoadWholeFile, MissingFileRaisesNamingThePathAndKeepsTheEntries) {
    testing::TempTree tree;
    TStringList list;
    list.AppendLine("kept");
    const std::string path = tree.Path("missing.txt");
    try {
        list.LoadWholeFile(path);
        ADD_FAILURE() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), Shown("ファイル ") + path + Shown(" は開けません"));
    }
    EXPECT_EQ(list.Lines(), (Lines{"kept"}));
}

TEST(LoadWholeFile, RefusesFolders) {
    testing::TempTree tree;
    TStringList list;
    EXPECT_THROW(list.LoadWholeFile(tree.Root()), EFOpenError);
}

}  // namespace
}  // namespace tanmira
