// Tests of the directory walk on real temporary trees: listing rule, order, marks, links, cycles
// and special files.
#include "search/directory_walk.h"

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <set>

#include "tests/support/child_process.h"
#include "tests/support/path_lists.h"
#include "tests/support/temp_tree.h"

namespace tanmira {
namespace {

using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

// The walk as a search run makes it, with the run's listing mask.
Lines Walk(const std::string& dir, bool recurse, bool markDirs = true) {
    PathList list;
    WalkFolder(dir, {kListedAttributes, true, recurse, markDirs}, list);
    return testing::PathsOf(list);
}

std::set<std::string> AsSet(const Lines& lines) {
    return {lines.begin(), lines.end()};
}

TEST(ListFiles, ListsFilesAndMarkedFoldersDepthFirst) {
    testing::TempTree tree;
    tree.File("a.txt");
    tree.File("sub/b.txt");
    tree.File("sub/deeper/c.txt");
    tree.Folder("empty");
    tree.File("z.txt");
    const std::string r = tree.Root() + "/";

    const Lines all = Walk(tree.Root(), true);
    EXPECT_EQ(AsSet(all),
              (std::set<std::string>{r + "a.txt", r + "sub/", r + "sub/b.txt", r + "sub/deeper/",
                                     r + "sub/deeper/c.txt", r + "empty/", r + "z.txt"}));
    // Each folder comes right before the entries inside it, which stay together.
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].back() != '/')
            continue;
        std::size_t j = i + 1;
        while (j < all.size() && all[j].starts_with(all[i]))
            ++j;
        const auto inside = std::count_if(all.begin(), all.end(), [&](const std::string& e) {
            return e != all[i] && e.starts_with(all[i]);
        });
        EXPECT_EQ(static_cast<long>(j - i - 1), inside) << all[i];
    }

    EXPECT_EQ(AsSet(Walk(tree.Root(), false)),
              (std::set<std::string>{r + "a.txt", r + "sub/", r + "empty/", r + "z.txt"}));
    EXPECT_EQ(Walk(tree.Root() + "/", true), all);  // no doubled separator
}

TEST(ListFiles, MissingOrEmptyFolderGivesAnEmptyList) {
    testing::TempTree tree;
    EXPECT_TRUE(Walk(tree.Root(), true).empty());
    EXPECT_TRUE(Walk(tree.Path("missing"), true).empty());
}

TEST(ListFiles, AppendsToTheList) {
    testing::TempTree tree;
    tree.File("a.txt");
    PathList list;
    list.Append(list.AddFolder("/kept/"), "kept");
    WalkFolder(tree.Root(), {kListedAttributes, true, false, true}, list);
    EXPECT_EQ(testing::PathsOf(list), (Lines{"/kept/kept", tree.Path("a.txt")}));
}

TEST(ListFiles, HiddenFoldersAreListedAndWalked) {
    testing::TempTree tree;
    tree.File(".hidden/inner.txt");
    EXPECT_EQ(AsSet(Walk(tree.Root(), true)),
              (std::set<std::string>{tree.Path(".hidden/"), tree.Path(".hidden/inner.txt")}));
}

TEST(ListFiles, KeepsNamesHoldingLineBreaksWhole) {
    testing::TempTree tree;
    tree.File("two\nlines.txt");
    EXPECT_EQ(Walk(tree.Root(), false), (Lines{tree.Path("two\nlines.txt")}));
}

TEST(ListFiles, LeavesOutFifosSocketsAndDanglingLinks) {
    testing::TempTree tree;
    tree.File("plain.txt");
    ASSERT_EQ(mkfifo(tree.Path("fifo").c_str(), 0644), 0);
    ASSERT_EQ(mkfifo(tree.Path(".hidden-fifo").c_str(), 0444), 0);
    fs::create_symlink(tree.Path("nowhere"), tree.Path("dangling"));
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = tree.Path("sock");
    if (socketPath.size() < sizeof(address.sun_path)) {
        std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
        ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    }
    close(sock);
    EXPECT_EQ(Walk(tree.Root(), true), (Lines{tree.Path("plain.txt")}));
}

TEST(ListFiles, FollowsLinksToFoldersButNotRoundACycle) {
    testing::TempTree tree;
    tree.File("real/f.txt");
    fs::create_directory_symlink(tree.Path("real"), tree.Path("link"));
    fs::create_directory_symlink(tree.Root(), tree.Path("real/up"));
    const Lines all = Walk(tree.Root(), true);
    const std::set<std::string> entries = AsSet(all);
    EXPECT_TRUE(entries.count(tree.Path("link/f.txt")));
    EXPECT_TRUE(entries.count(tree.Path("real/up/")));
    EXPECT_LT(all.size(), 20u);
}

TEST(ListFiles, SymlinkFarmEnds) {
    // Eight levels, each holding two links to its parent.
    testing::TempTree tree;
    std::string level = tree.Root();
    for (int depth = 0; depth < 8; ++depth) {
        const std::string child = level + "/d" + std::to_string(depth);
        fs::create_directory(child);
        fs::create_directory_symlink(level, child + "/up1");
        fs::create_directory_symlink(level, child + "/up2");
        level = child;
    }
    const Lines fromTop = Walk(tree.Root(), true);
    EXPECT_EQ(fromTop.size(), 8u * 3u);
    // Starting at the bottom, the links lead upwards into folders that are not yet on the path.
    const Lines fromBottom = Walk(level, true);
    EXPECT_GT(fromBottom.size(), 2u);
    EXPECT_LT(fromBottom.size(), 100000u);
}

TEST(ListFiles, TheRecursiveCallAlwaysMarksFolders) {
    testing::TempTree tree;
    tree.File("sub/deeper/c.txt");
    EXPECT_EQ(Walk(tree.Root(), true, false),
              (Lines{tree.Path("sub"), tree.Path("sub/deeper/"), tree.Path("sub/deeper/c.txt")}));
}

TEST(WalkFolder, DepthIsNotBoundedByOpenFiles) {
    // 1,100 levels (a path of about 2,200 bytes) under a limit of 32 open files.
    testing::TempTree tree;
    std::string chain = tree.Root();
    for (int depth = 0; depth < 1100; ++depth) {
        chain += "/d";
        ASSERT_EQ(mkdir(chain.c_str(), 0755), 0) << depth;
    }
    const std::string leaf = tree.File(chain.substr(tree.Root().size() + 1) + "/leaf.txt");
    EXPECT_TRUE(testing::InChild([&] {
        const rlimit limit{32, 32};
        if (setrlimit(RLIMIT_NOFILE, &limit) != 0)
            return false;
        PathList list;
        const WalkOutcome outcome =
            WalkFolder(tree.Root(), WalkOptions{.mask = 0x3F, .recurse = true}, list);
        return outcome.unopened.empty() && list.LineCount() == 1101 && list.PathAt(1100) == leaf;
    }));
}

TEST(WalkFolder, ReportsFoldersItCannotOpen) {
    testing::TempTree tree;
    ASSERT_EQ(chmod(tree.Root().c_str(), 0755), 0);
    tree.File("closed/inside.txt");
    tree.File("open/f.txt");
    ASSERT_EQ(chmod(tree.Path("closed").c_str(), 0), 0);
    EXPECT_TRUE(testing::InChild(
        [&] {
            PathList list;
            const WalkOutcome outcome = WalkFolder(
                tree.Root(), WalkOptions{.mask = 0x3F, .recurse = true, .markDirs = true}, list);
            return outcome.unopened == Lines{tree.Path("closed/")} &&
                   testing::PathsOf(list) ==
                       Lines{tree.Path("closed/"), tree.Path("open/"), tree.Path("open/f.txt")};
        },
        testing::ChildUser::Unprivileged));
    ASSERT_EQ(chmod(tree.Path("closed").c_str(), 0755), 0);
}

TEST(WalkFolder, ListsKernelPseudoFileSystemsWithoutEnteringThem) {
    testing::TempTree tree;
    fs::create_directory_symlink("/proc", tree.Path("proc-link"));
    fs::create_directory_symlink("/sys", tree.Path("sys-link"));
    EXPECT_EQ(Walk(tree.Root(), true), (Lines{tree.Path("proc-link/"), tree.Path("sys-link/")}));

    // Searched from inside, the pseudo file system is walked as asked.
    const Lines inside = Walk("/proc/sys/fs", true);
    EXPECT_TRUE(std::find(inside.begin(), inside.end(), "/proc/sys/fs/inotify/max_user_watches") !=
                inside.end());
}

TEST(DropFolders, KeepsFilesWhoseLastTrailByteIsTheSeparatorsByte) {
    // 表 (95 5C) and ― (81 5C) end in the byte of "\": with the lead bytes of code page 932 they
    // are files; ソ (83 5C) followed by "\" is a folder. Without lead bytes all three are folders.
    // The names listed in the folder C:\d.
    const Lines walked{"sub\\", "\x95\x5C", "\x83\x5C\\", "a\x81\x5C", "a.txt"};
    const struct {
        const platform::LeadByteTable& leadBytes;
        Lines kept;
    } cases[] = {
        {platform::ShiftJisLeadBytes(), {"C:\\d\\\x95\x5C", "C:\\d\\a\x81\x5C", "C:\\d\\a.txt"}},
        {NoLeadBytes(), {"C:\\d\\a.txt"}},
    };
    for (const auto& c : cases) {
        PathList list;
        const std::uint32_t folder = list.AddFolder("C:\\d\\");
        for (const std::string& name : walked)
            list.Append(folder, name);
        DropFolders(list, PathStyle::Windows, c.leadBytes);
        EXPECT_EQ(testing::PathsOf(list), c.kept);
    }
}

}  // namespace
}  // namespace tanmira
