// Folder listing and the walk on Windows: attribute words as the system gives them, names
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

// The walk as a search run makes it, sorted.
std::vector<std::string> SortedWalk(const std::string& folder) {
    TStringList list;
    WalkFolder(folder, {kListedAttributes, true, true, true}, list);
    std::vector<std::string> lines = list.Lines();
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::map<std::string, AttributeWord> Attributes(const std::string& folder) {
    const FolderListing listing = ListFolder(folder, 0);
    EXPECT_EQ(listing.result, ListingResult::Listed);
    std::map<std::string, AttributeWord> words;
    for (const DirEntry& entry : listing.entries)
        words[entry.name] = entry.attributes;
    return words;
}

TEST(ListFolderWin32, GivesTheSystemsAttributeWords) {
    testing::TempTree tree;
    const std::string normal = tree.File("normal.txt", "n");
    const std::string hidden = tree.File("hidden.txt", "h");
    const std::string readOnly = tree.File("readonly.txt", "r");
    tree.File("sub/inner.txt", "i");
    ASSERT_TRUE(SetFileAttributesA(normal.c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));

    std::map<std::string, AttributeWord> words = Attributes(tree.Root());
    EXPECT_EQ(words.size(), 4u);  // without "." and ".."
    constexpr AttributeWord kChecked = kReadOnly | kHidden | kSystem | kDirectory;
    EXPECT_EQ(words["normal.txt"] & kChecked, 0u);
    EXPECT_EQ(words["hidden.txt"] & kChecked, kHidden);
    EXPECT_EQ(words["readonly.txt"] & kChecked, kReadOnly);
    EXPECT_EQ(words["sub"] & kChecked, kDirectory);

    // Whatever bits a file carries, the run lists it; folders end in the separator.
    const std::string r = tree.Root() + "\\";
    EXPECT_EQ(SortedWalk(tree.Root()),
              (std::vector<std::string>{r + "hidden.txt", r + "normal.txt", r + "readonly.txt",
                                        r + "sub\\", r + "sub\\inner.txt"}));
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL));  // to remove it
}

TEST(ListFolderWin32, TrailByte5CIsNoSeparator) {
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

TEST(ListFolderWin32, TellsMissingFromListedAndGivesFolderIdentities) {
    testing::TempTree tree;
    tree.Folder("one");
    tree.Folder("two");
    const std::string file = tree.File("file.txt");
    const FolderListing one = ListFolder(tree.Path("one"), 0);
    EXPECT_EQ(one.result, ListingResult::Listed);  // empty, but listed
    EXPECT_TRUE(one.entries.empty());
    EXPECT_EQ(ListFolder(tree.Path("one") + "\\", 0).folderId, one.folderId);
    EXPECT_NE(ListFolder(tree.Path("two"), 0).folderId, one.folderId);
    for (const std::string& missing : {tree.Path("missing"), file, tree.Path("missing\\deeper")}) {
        SCOPED_TRACE(missing);
        EXPECT_EQ(ListFolder(missing, 0).result, ListingResult::Missing);
    }
}

}  // namespace
}  // namespace tanmira::platform
