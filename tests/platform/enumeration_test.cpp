// Tests of the POSIX mapping of folder entries onto attribute words, and of file reading.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <map>

#include "platform/platform.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_tree.h"

namespace tanmira::platform {
namespace {

// The complete attribute words of a folder's entries, by name.
std::map<std::string, AttributeWord> Attributes(const std::string& folder) {
    std::map<std::string, AttributeWord> words;
    for (const DirEntry& entry : ListFolder(folder, 0).entries)
        words[entry.name] = entry.attributes;
    return words;
}

TEST(ListFolder, MapsEntriesOntoAttributeBits) {
    testing::TempTree tree;
    tree.File("file.txt", "x");
    tree.File(".dotfile");
    tree.Folder("dir");
    ASSERT_EQ(mkfifo(tree.Path("fifo").c_str(), 0644), 0);
    ASSERT_EQ(mkfifo(tree.Path(".hidden-fifo").c_str(), 0444), 0);
    std::filesystem::create_symlink(tree.Path("file.txt"), tree.Path("link"));
    std::filesystem::create_symlink(tree.Path("gone"), tree.Path("dangling"));

    std::map<std::string, AttributeWord> words = Attributes(tree.Root());
    EXPECT_EQ(words["file.txt"], kArchive);
    EXPECT_EQ(words[".dotfile"], kArchive | kHidden);
    EXPECT_EQ(words["dir"], kDirectory);
    EXPECT_EQ(words["fifo"], kDevice);
    EXPECT_EQ(words[".hidden-fifo"], kDevice);  // no hidden or read-only bit that would list it
    EXPECT_EQ(words["link"], kArchive);         // links are followed
    EXPECT_EQ(words["dangling"], kReparsePoint);
    EXPECT_FALSE(words.count("."));
    EXPECT_FALSE(words.count(".."));
}

TEST(ListFolder, MarksFilesTheUserMayNotWrite) {
    testing::TempTree tree;
    ASSERT_EQ(chmod(tree.Root().c_str(), 0755), 0);
    const std::string path = tree.File("ro.txt");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    tree.File("rw.txt");
    if (geteuid() != 0) {
        EXPECT_EQ(Attributes(tree.Root())["ro.txt"], kArchive | kReadOnly);
        return;
    }
    // Root may write every file: look as an unprivileged user, in a child process. Both files
    // belong to root, so neither is writable for that user.
    EXPECT_TRUE(testing::InChild(
        [&] {
            std::map<std::string, AttributeWord> words = Attributes(tree.Root());
            return words["ro.txt"] == (kArchive | kReadOnly) &&
                   words["rw.txt"] == (kArchive | kReadOnly);
        },
        testing::ChildUser::Unprivileged));
    EXPECT_EQ(Attributes(tree.Root())["ro.txt"], kArchive);  // root itself may write it
}

TEST(ListFolder, ListsInNameOrderWithLettersOfEitherCaseTogether) {
    testing::TempTree tree;
    for (const char* name :
         {"b", "A", "a", "_x", "B.txt", "a.TXT", "~", "\xC3\xA9", "Z", "[", "aa"})
        tree.File(name);
    std::vector<std::string> names;
    for (const DirEntry& entry : ListFolder(tree.Root(), kArchive).entries)
        names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "a", "a.TXT", "aa", "b", "B.txt", "Z", "[",
                                               "_x", "~", "\xC3\xA9"}));
}

TEST(ListFolder, ListsAFolderLargerThanOneReadOfItsEntries) {
    testing::TempTree tree;
    const std::string padding(100, 'n');
    for (int i = 0; i < 2000; ++i)  // about 250 KB of entries: several reads
        tree.File(std::to_string(i) + padding);
    const FolderListing listing = ListFolder(tree.Root(), kArchive);
    EXPECT_EQ(listing.result, ListingResult::Listed);
    EXPECT_EQ(listing.entries.size(), 2000u);
}

TEST(ListFolder, TellsAMissingFolderFromAnUnreadableOne) {
    testing::TempTree tree;
    EXPECT_EQ(ListFolder(tree.Path("missing"), 0).result, ListingResult::Missing);
    EXPECT_EQ(ListFolder(tree.File("file"), 0).result, ListingResult::Missing);
    const std::string path(5000, 'x');  // longer than the system allows
    EXPECT_EQ(ListFolder("/" + path, 0).result, ListingResult::Unreadable);
}

TEST(InputFile, OpensOnlyRegularFilesAndNeverBlocks) {
    testing::TempTree tree;
    ASSERT_EQ(mkfifo(tree.Path("fifo").c_str(), 0644), 0);
    EXPECT_FALSE(InputFile(tree.Path("fifo")).IsOpen());
    EXPECT_FALSE(InputFile(tree.Root()).IsOpen());
    EXPECT_FALSE(InputFile("/dev/null").IsOpen());
    EXPECT_FALSE(ReadWholeFile(tree.Path("missing")).has_value());
    EXPECT_EQ(ReadWholeFile(tree.File("f", std::string("a\0b", 3))), std::string("a\0b", 3));
}

}  // namespace
}  // namespace tanmira::platform
