// Folder enumeration and the walk on Windows: attribute words as the system gives them, names
// ending in a double-byte character whose trail byte is 0x5C, and folder identities.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "platform/platform.h"
#include "search/directory_walk.h"
#include "search/string_list.h"
#include "tests/support/temp_tree.h"

namespace tanmira::platform {
namespace {

// The mask with which a search run lists entries.
constexpr std::uint16_t kRunMask = 0xFFFF & ~(kDevice | kReparsePoint);

std::vector<std::string> SortedWalk(const std::string& folder) {
    TStringList list;
    ListFiles(folder, kRunMask, true, true, list, true, true);
    std::vector<std::string> lines = list.Lines();
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::map<std::string, DirEntry> Entries(const std::string& folder) {
    std::map<std::string, DirEntry> entries;
    FolderEnumeration enumeration(folder);
    EXPECT_TRUE(enumeration.Started());
    DirEntry entry;
    while (enumeration.Next(entry))
        entries[entry.name] = entry;
    return entries;
}

TEST(FolderEnumerationWin32, GivesTheSystemsAttributeWords) {
    testing::TempTree tree;
    const std::string normal = tree.File("normal.txt", "n");
    const std::string hidden = tree.File("hidden.txt", "h");
    const std::string readOnly = tree.File("readonly.txt", "r");
    tree.File("sub/inner.txt", "i");
    ASSERT_TRUE(SetFileAttributesA(normal.c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));

    std::map<std::string, DirEntry> entries = Entries(tree.Root());
    constexpr AttributeWord kChecked = kReadOnly | kHidden | kSystem | kDirectory;
    EXPECT_EQ(entries["normal.txt"].attributes & kChecked, 0u);
    EXPECT_EQ(entries["hidden.txt"].attributes & kChecked, kHidden);
    EXPECT_EQ(entries["readonly.txt"].attributes & kChecked, kReadOnly);
    EXPECT_EQ(entries["sub"].attributes & kChecked, kDirectory);

    // Whatever bits a file carries, the run lists it; folders end in the separator.
    const std::string r = tree.Root() + "\\";
    EXPECT_EQ(SortedWalk(tree.Root()),
              (std::vector<std::string>{r + "hidden.txt", r + "normal.txt", r + "readonly.txt",
                                        r + "sub\\", r + "sub\\inner.txt"}));
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL));  // to remove it
}

TEST(FolderEnumerationWin32, TrailByte5CIsNoSeparator) {
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the ANSI code page 932 (a Japanese system locale)";
    testing::TempTree tree;
    const std::string r = tree.Root() + "\\";
    const std::string file = r + "a\x95\x5C";    // a表
    const std::string folder = r + "b\x95\x5C";  // b表
    const HANDLE created = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    CloseHandle(created);
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((folder + "\\c").c_str(), nullptr));

    EXPECT_EQ(SortedWalk(tree.Root()),
              (std::vector<std::string>{file, folder + "\\", folder + "\\c\\"}));
    EXPECT_EQ(SortedWalk(folder), (std::vector<std::string>{folder + "\\c\\"}));
    EXPECT_EQ(Subfolders(folder), (std::vector<std::string>{"c"}));
}

TEST(FolderEnumerationWin32, FoldersHaveTheirOwnIdentity) {
    testing::TempTree tree;
    tree.Folder("one");
    tree.Folder("two");
    FolderEnumeration root(tree.Root());
    FolderEnumeration one(tree.Path("one"));
    ASSERT_TRUE(root.Started() && one.Started());
    std::map<std::string, DirEntry> entries = Entries(tree.Root());
    EXPECT_EQ(entries["one"].id, one.FolderId());
    EXPECT_NE(entries["two"].id, one.FolderId());
    EXPECT_NE(root.FolderId(), one.FolderId());
    EXPECT_NE(one.FolderId(), FileId{});
    EXPECT_FALSE(FolderEnumeration(tree.Path("missing")).Started());
}

}  // namespace
}  // namespace tanmira::platform
