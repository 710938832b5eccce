// Tests of the banner's list reading: the limits on a huge list and the addresses it may show.
#include "banner/ad_list.h"

#include <gtest/gtest.h>

namespace tanmira {
namespace {

TEST(AdList, AHugeListIsReadUpToItsLimitsWithoutALineCutShort) {
    TStringList list;
    list.AppendLine("left over");
    ReadAdListText("http://a/\r\nhttp://b/\n", list);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"http://a/", "http://b/"}));

    // Past the character limit: the line that the limit cuts is dropped, not read short.
    const QString head = "http://a/\n" + QString(kMaxAdListCharacters - 20, 'x') + "\n";
    ReadAdListText(head + "http://b.example/page.html\n", list);
    ASSERT_EQ(list.LineCount(), 2);
    EXPECT_EQ(list.Lines().back(), std::string(kMaxAdListCharacters - 20, 'x'));

    QString many;
    for (int i = 0; i < kMaxAdListEntries + 5; ++i)
        many += "http://e" + QString::number(i) + "/\n";
    ReadAdListText(many, list);
    ASSERT_EQ(list.LineCount(), kMaxAdListEntries);
    EXPECT_EQ(list.Lines().back(), "http://e" + std::to_string(kMaxAdListEntries - 1) + "/");
}

TEST(AdList, OnlyHttpAndHttpsAddressesWithAHostAreShown) {
    TStringList list;
    ReadAdListText(
        "file:///etc/passwd\njavascript:alert(1)\ndata:text/html,x\nhttp:///nohost\n"
        "HTTPS://a.example/\nftp://a.example/\nview-source:http://a/\nhttp://b.example/x?y\n"
        "about:blank\n/relative.html\n",
        list);
    EXPECT_EQ(ShowableEntries(list), (std::vector<int>{4, 7}));
}

}  // namespace
}  // namespace tanmira
