// Tests of the POSIX mapping of folder entries onto attribute words, and of file reading.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <map>

#include "platform/platform.h"
#include "tests/support/temp_tree.h"

namespace tanmira::platform {
namespace {

std::map<std::string, AttributeWord> Attributes(const std::string& folder) {
    std::map<std::string, AttributeWord> words;
    FolderEnumeration enumeration(folder);
    EXPECT_TRUE(enumeration.Started());
    DirEntry entry;
    while (enumeration.Next(entry))
        words[entry.name] = entry.attributes;
    return words;
}

TEST(FolderEnumeration, MapsEntriesOntoAttributeBits) {
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
    EXPECT_TRUE(words.count("."));
}

TEST(FolderEnumeration, MarksFilesTheUserMayNotWrite) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write every file";
    testing::TempTree tree;
    const std::string path = tree.File("ro.txt");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(Attributes(tree.Root())["ro.txt"], kArchive | kReadOnly);
}

TEST(FolderEnumeration, DoesNotStartOnAMissingFolder) {
    testing::TempTree tree;
    FolderEnumeration enumeration(tree.Path("missing"));
    DirEntry entry;
    EXPECT_FALSE(enumeration.Started());
    EXPECT_FALSE(enumeration.Next(entry));
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

TEST(FindBytes, FindsTheFirstOccurrence) {
    EXPECT_EQ(FindBytes("abcabc", "ca"), 2u);
    EXPECT_EQ(FindBytes("abc", "x"), std::string_view::npos);
}

}  // namespace
}  // namespace tanmira::platform
