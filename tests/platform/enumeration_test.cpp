// Tests of the POSIX mapping of folder entries onto attribute words, and of file reading.
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
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
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        std::map<std::string, AttributeWord> words;
        FolderEnumeration enumeration(tree.Root());
        DirEntry entry;
        while (enumeration.Next(entry))
            words[entry.name] = entry.attributes;
        const bool readOnly =
            words["ro.txt"] == (kArchive | kReadOnly) && words["rw.txt"] == (kArchive | kReadOnly);
        _exit(readOnly ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Attributes(tree.Root())["ro.txt"], kArchive);  // root itself may write it
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

}  // namespace
}  // namespace tanmira::platform
