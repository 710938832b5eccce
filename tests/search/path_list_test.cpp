// Tests of the path list's in-place compaction, whatever entries it drops.
#include "search/path_list.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/support/path_lists.h"

namespace tanmira {
namespace {

using Lines = std::vector<std::string>;

TEST(PathList, KeepIfKeepsTheOtherEntriesWhole) {
    // Names of different lengths in two folders that take turns, as a walk leaves them.
    const Lines names{"a", "bb.txt", "sub/", "ccc", "", "dddd.c", "e"};
    const struct {
        const char* what;
        std::set<std::string> kept;
    } cases[] = {
        {"none", {}},
        {"every other", {"a", "sub/", "", "e"}},
        {"first dropped, then a run", {"bb.txt", "sub/", "e"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PathList list;
        const std::uint32_t folders[] = {list.AddFolder("/long/folder/"), list.AddFolder("/f/")};
        Lines expected;
        for (std::size_t i = 0; i < names.size(); ++i) {
            list.Append(folders[i % 2], names[i]);
            if (c.kept.contains(names[i]))
                expected.push_back((i % 2 == 0 ? "/long/folder/" : "/f/") + names[i]);
        }
        list.KeepIf([&](std::string_view name) { return c.kept.contains(std::string(name)); });
        list.Append(folders[1], "later");
        expected.push_back("/f/later");
        EXPECT_EQ(testing::PathsOf(list), expected);
    }
}

}  // namespace
}  // namespace tanmira
