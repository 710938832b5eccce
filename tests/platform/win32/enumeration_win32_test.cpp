// Folder listing and the walk on Windows: attribute words as the system gives them, names outside
// code page 932 and paths past 260 characters, names ending in a character whose Shift_JIS trail
// byte is 0x5C, and folder identities.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "platform/platform.h"
#include "platform/wide_text.h"
#include "search/directory_walk.h"
#include "tests/support/path_lists.h"
#include "tests/support/temp_tree.h"

namespace tanmira::platform {
namespace {

// The walk as a search run makes it, sorted.
std::vector<std::string> SortedWalk(const std::string& folder) {
    PathList list;
    WalkFolder(folder, {kListedAttributes, true, true, true}, list);
    std::vector<std::string> lines = testing::PathsOf(list);
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

// Creates a file (holding bytes) or a folder by its UTF-8 path through the wide functions, the
// names exactly as given.
void MakeFile(const std::string& path, const std::string& bytes) {
    const HANDLE file = CreateFileW((L"\\\\?\\" + Utf8ToWide(path).value()).c_str(), GENERIC_WRITE,
                                    0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    CloseHandle(file);
}

void MakeFolder(const std::string& path) {
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(path).value().c_str(), nullptr)) << path;
}

TEST(ListFolderWin32, NamesEndingInShiftJisTrailByte5CAreNoFolders) {
    testing::TempTree tree;
    const std::string r = tree.Root() + "\\";
    const std::string file = r + "a\xE8\xA1\xA8";    // a表, 95 5C in Shift_JIS
    const std::string folder = r + "b\xE8\xA1\xA8";  // b表
    MakeFile(file, "");
    MakeFolder(folder);
    MakeFolder(folder + "\\c");

    EXPECT_EQ(SortedWalk(tree.Root()),
              (std::vector<std::string>{file, folder + "\\", folder + "\\c\\"}));
    EXPECT_EQ(SortedWalk(folder), (std::vector<std::string>{folder + "\\c\\"}));
    EXPECT_EQ(Subfolders(folder), (std::vector<std::string>{"c"}));
}

TEST(ListFolderWin32, ReachesNamesOutsideCodePage932AndPathsPastTheLimit) {
    testing::TempTree tree;
    const std::string r = tree.Root() + "\\";
    std::vector<std::string> files;
    for (const char* name : {"\xED\x95\x9C\xEA\xB8\x80.txt",  // 한글
                             "emoji\xF0\x9F\x98\x80.txt",
                             "\xC3\xB1"
                             "and\xC3\xBA.txt",
                             "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt",  // 日本語
                             "dot.", "space "}) {  // cut off by the system's normalisation
        files.push_back(r + name);
        MakeFile(files.back(), "needle");
    }
    const std::vector<std::string> chain = tree.DeepChain("deep", 12, 35, "leaf.txt", "needle");
    ASSERT_GT(chain.back().size(), 400u);
    files.insert(files.end(), chain.begin(), chain.end());

    const std::vector<std::string> walk = SortedWalk(tree.Root());
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        EXPECT_NE(std::find(walk.begin(), walk.end(), path), walk.end());
        EXPECT_TRUE(FileExists(path));
        EXPECT_EQ(ReadWholeFile(path), "needle");
    }
    const std::string deepest = chain.back().substr(0, chain.back().rfind('\\'));
    EXPECT_TRUE(FolderExists(deepest));
    EXPECT_EQ(ListFolder(deepest, 0).entries.size(), 1u);
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
