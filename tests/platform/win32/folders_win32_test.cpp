// The folder chooser on Windows: drives, and typed texts entered from the folder
// shown (names outside code page 932 too), with the folder last shown on each drive remembered
// (Wine gives drives C: and Z:).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/folder_path.h"
#include "platform/platform.h"
#include "platform/wide_text.h"
#include "tests/support/temp_tree.h"

namespace tanmira {
namespace {

using platform::CurrentDirectory;

TEST(FoldersWin32, TheCurrentDriveIsAFixedDriveWithAVolume) {
    const std::string current = platform::DriveOf(CurrentDirectory());
    const std::vector<platform::Drive> drives = platform::Drives();
    EXPECT_TRUE(std::any_of(drives.begin(), drives.end(), [&](const platform::Drive& d) {
        return d.root == current && d.type == platform::DriveType::Fixed;
    })) << current;
    EXPECT_TRUE(platform::VolumeInformation(current).has_value());
    EXPECT_FALSE(platform::RemoteName(current).has_value());
}

class TypedFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = CurrentDirectory();
        tree_.File("a/notes.txt");
        tree_.Folder("a/sub");
        // A folder on a second drive: Wine's Z: is the Linux root, with /tmp on it.
        if (!platform::FolderExists("Z:\\tmp"))
            return;
        other_ = "Z:\\tmp\\tanmira-test-" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(other_.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((other_ + "\\sub").c_str(), nullptr));
    }
    void TearDown() override {
        platform::EnterFolder(saved_);
        if (other_.empty())
            return;
        RemoveDirectoryA((other_ + "\\sub").c_str());
        RemoveDirectoryA(other_.c_str());
    }

    // Types text while the folder shown is the current directory; gives the folder shown then.
    static std::string Type(const std::string& text) {
        EnterTypedFolder(CurrentDirectory(), text);
        return CurrentDirectory();
    }

    std::string saved_;
    testing::TempTree tree_;
    std::string other_;
};

TEST_F(TypedFolder, ResolvesFromTheFolderShown) {
    const std::string a = tree_.Path("a");
    ASSERT_TRUE(platform::EnterFolder(a));
    const struct {
        const char* text;
        std::string shown;
    } steps[] = {
        {"sub", a + "\\sub"},
        {"..\\notes.txt", a},  // a file: the folder that holds it
        {"sub", a + "\\sub"},
        {"..\\..\\*.*", tree_.Root()},  // a wildcard: the folder it lies in
        {"a\\*.txt", a},
        {"sub\\missing", a},  // only sub exists: nothing moves, not even into sub
        {"..", tree_.Root()},
        {"\\", a.substr(0, 3)},  // the root of the current drive
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.text);
        EXPECT_EQ(Type(step.text), step.shown);
    }
}

TEST_F(TypedFolder, EntersAndListsFoldersOutsideCodePage932) {
    const std::string a = tree_.Path("a");
    const std::string name = "\xED\x95\x9C\xEA\xB8\x80\xF0\x9F\x98\x80";  // 한글😀
    ASSERT_TRUE(CreateDirectoryW(platform::Utf8ToWide(a + "\\" + name).value().c_str(), nullptr));
    ASSERT_TRUE(platform::EnterFolder(a));
    EXPECT_EQ(Type(name), a + "\\" + name);
    EXPECT_EQ(Type(".."), a);
    const std::vector<std::string> subfolders = platform::Subfolders(a);
    EXPECT_NE(std::find(subfolders.begin(), subfolders.end(), name), subfolders.end());
}

TEST_F(TypedFolder, RemembersTheFolderOfEachDrive) {
    if (other_.empty())
        GTEST_SKIP() << "needs Wine's drive Z: with a folder tmp";
    const std::string a = tree_.Path("a");
    const std::string letter = a.substr(0, 2);
    const std::string otherLetter = other_.substr(0, 2);
    ASSERT_TRUE(platform::EnterFolder(a));
    const struct {
        std::string text;
        std::string shown;
    } steps[] = {
        {other_, other_},
        {letter, a},  // back to the folder last shown on the first drive
        {otherLetter + "sub", other_ + "\\sub"},  // relative to the other drive's folder
        {letter, a},
        {otherLetter, other_ + "\\sub"},
        {otherLetter + "\\nowhere\\at\\all", other_ + "\\sub"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.text);
        EXPECT_EQ(Type(step.text), step.shown);
    }
}

}  // namespace
}  // namespace tanmira
