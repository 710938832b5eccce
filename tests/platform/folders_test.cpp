// Folders and drives on the host: subfolders, existence, entering folders and drives.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/platform.h"
#include "tests/support/temp_tree.h"

namespace tanmira::platform {
namespace {

namespace fs = std::filesystem;

class Folders : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = CurrentDirectory();
        root_ = fs::canonical(tree_.Root()).string();  // as the system reports folders
        for (const char* dir : {"b", "A", ".hidden"})
            tree_.Folder(dir);
        tree_.File("file.txt", "x");
        tree_.Link("link", root_ + "/b");
        tree_.Link("dangling", root_ + "/gone");
    }
    void TearDown() override { EnterFolder(saved_); }

    testing::TempTree tree_;
    std::string saved_;
    std::string root_;
};

TEST_F(Folders, SubfoldersLeaveOutFilesHiddenNamesAndDanglingLinks) {
    std::vector<std::string> names = Subfolders(root_);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"A", "b", "link"}));
    EXPECT_TRUE(Subfolders(root_ + "/missing").empty());
}

TEST_F(Folders, ExistenceFollowsLinks) {
    EXPECT_TRUE(FolderExists(root_ + "/link"));
    EXPECT_FALSE(FileExists(root_ + "/link"));
    EXPECT_TRUE(FileExists(root_ + "/file.txt"));
    EXPECT_FALSE(FolderExists(root_ + "/file.txt"));
    for (const std::string& none : {root_ + "/missing", root_ + "/dangling", std::string()}) {
        EXPECT_FALSE(FolderExists(none)) << none;
        EXPECT_FALSE(FileExists(none)) << none;
    }
}

TEST_F(Folders, EnteringFailsWithoutMoving) {
    ASSERT_TRUE(EnterFolder(root_ + "/link"));
    EXPECT_EQ(CurrentDirectory(), root_ + "/b");  // the system reports the resolved folder
    for (const std::string& bad : {root_ + "/missing", root_ + "/file.txt", std::string()}) {
        EXPECT_FALSE(EnterFolder(bad)) << bad;
        EXPECT_EQ(CurrentDirectory(), root_ + "/b");
    }
    EXPECT_FALSE(EnterDrive("/no/such/mount"));
    EXPECT_EQ(CurrentDirectory(), root_ + "/b");
    // The drive of the current directory keeps it as its current folder.
    ASSERT_TRUE(EnterDrive(DriveOf(root_)));
    EXPECT_EQ(CurrentDirectory(), root_ + "/b");
}

TEST_F(Folders, DrivesAreMountedFolders) {
    const std::vector<Drive> drives = Drives();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.front().root, "/");
    for (std::size_t i = 0; i < drives.size(); ++i) {
        const std::string& root = drives[i].root;
        EXPECT_TRUE(FolderExists(root)) << root;
        EXPECT_EQ(DriveOf(root), root);
        EXPECT_NE(root.rfind("/proc", 0), 0u) << root;
        EXPECT_NE(root.rfind("/sys", 0), 0u) << root;
        if (i > 0) {
            EXPECT_LT(drives[i - 1].root, root);
        }
    }
    const std::string drive = DriveOf(root_ + "/b");
    EXPECT_EQ(root_.rfind(drive == "/" ? "/" : drive + "/", 0), 0u);
    const auto volume = VolumeInformation("/");
    ASSERT_TRUE(volume.has_value());
    EXPECT_TRUE(volume->caseSensitive && volume->casePreserving);
    EXPECT_FALSE(volume->label.empty());
    EXPECT_FALSE(VolumeInformation(root_ + "/missing").has_value());
}

}  // namespace
}  // namespace tanmira::platform
