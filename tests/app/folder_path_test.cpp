// Path rules of the folder chooser in both path styles, with a faked set of existing files.
#include "app/folder_path.h"

#include <gtest/gtest.h>

#include "search/text_rules.h"

#include <set>

namespace tanmira {
namespace {

using platform::PathStyle;

class FakeProbe : public PathProbe {
  public:
    explicit FakeProbe(std::set<std::string> files) : files_(std::move(files)) {}
    bool FileExists(const std::string& path) const override { return files_.count(path) > 0; }

  private:
    std::set<std::string> files_;
};

struct ResolveCase {
    PathStyle style;
    std::string text;
    std::string driveRoot;
    std::string folder;
};

TEST(ResolveFolderText, DropsWildcardsAndFilesAndKeepsTheRest) {
    const FakeProbe probe({"C:\\work\\notes.txt", "C:\\boot.ini", "D:readme.txt", "notes.txt",
                           "/work/notes.txt", "/vmlinuz", "sub/file.c", "[odd].txt"});
    const std::vector<ResolveCase> cases = {
        {PathStyle::Windows, "C:\\work\\notes.txt", "c:\\", "C:\\work"},
        {PathStyle::Windows, "C:\\work\\*.txt", "c:\\", "C:\\work"},
        {PathStyle::Windows, "C:\\work\\note?.txt", "c:\\", "C:\\work"},
        {PathStyle::Windows, "C:\\boot.ini", "c:\\", "C:\\"},
        {PathStyle::Windows, "D:readme.txt", "d:\\", "D:"},
        {PathStyle::Windows, "d:*.*", "d:\\", "d:"},
        {PathStyle::Windows, "C:\\a\\b", "c:\\", "C:\\a\\b"},
        {PathStyle::Windows, "..", "", ".."},
        {PathStyle::Windows, "\\", "", "\\"},
        {PathStyle::Windows, "\\*.txt", "", "\\"},
        {PathStyle::Windows, "notes.txt", "", ""},
        {PathStyle::Windows, "*.txt", "", ""},
        {PathStyle::Windows, "\\\\server\\share\\docs", "", "\\\\server\\share\\docs"},
        {PathStyle::Windows, "\\\\server\\share\\docs\\*.doc", "", "\\\\server\\share\\docs"},
        {PathStyle::Windows, "[C:\\work\\sub]", "", "C:\\work\\sub"},
        {PathStyle::Windows, "[C:\\work\\notes.txt]", "", "C:\\work"},
        {PathStyle::Windows, "C:\\work\\\\*.txt", "c:\\", "C:\\work"},
        {PathStyle::Posix, "/work/notes.txt", "", "/work"},
        {PathStyle::Posix, "/work/*.txt", "", "/work"},
        {PathStyle::Posix, "/vmlinuz", "", "/"},
        {PathStyle::Posix, "/", "", "/"},
        {PathStyle::Posix, "..", "", ".."},
        {PathStyle::Posix, "sub", "", "sub"},
        {PathStyle::Posix, "sub/file.c", "", "sub"},
        {PathStyle::Posix, "C:/work", "", "C:/work"},
        {PathStyle::Posix, "a:b", "", "a:b"},
        {PathStyle::Posix, "[/work/sub]", "", "/work/sub"},
        {PathStyle::Posix, "[odd].txt", "", ""},
        {PathStyle::Posix, "/work//x?", "", "/work"},
    };
    for (const ResolveCase& c : cases) {
        const FolderTarget target = ResolveFolderText(c.text, c.style, probe, NoLeadBytes());
        EXPECT_EQ(target.driveRoot, c.driveRoot) << c.text;
        EXPECT_EQ(target.folder, c.folder) << c.text;
    }
}

TEST(ResolveFolderText, SeparatorAsTrailByteIsPartOfTheName) {
    // "ソ" in Shift_JIS is 83 5C: its second byte is not a separator.
    const std::string so = "\x83\x5c";
    const FakeProbe probe({"C:\\" + so + "\\" + so});
    const auto& sjis = platform::ShiftJisLeadBytes();
    EXPECT_EQ(ResolveFolderText("C:\\" + so + "\\*.txt", PathStyle::Windows, probe, sjis).folder,
              "C:\\" + so);
    EXPECT_EQ(ResolveFolderText("C:\\" + so + "\\" + so, PathStyle::Windows, probe, sjis).folder,
              "C:\\" + so);
    EXPECT_EQ(ResolveFolderText("C:\\" + so + "*", PathStyle::Windows, probe, sjis).folder, "C:\\");
}

TEST(FolderPath, DriveComparisons) {
    const FolderTarget onD{"d:\\", "D:\\data"};
    EXPECT_TRUE(OnOtherDrive(onD, "C:\\work", PathStyle::Windows));
    EXPECT_FALSE(OnOtherDrive(onD, "D:\\x", PathStyle::Windows));
    EXPECT_FALSE(OnOtherDrive(FolderTarget{"", "sub"}, "C:\\work", PathStyle::Windows));
    EXPECT_FALSE(OnOtherDrive(FolderTarget{"", "/mnt"}, "/home", PathStyle::Posix));
    EXPECT_FALSE(SameDrive("/", "/home", PathStyle::Posix));

    EXPECT_TRUE(SameFolderText("c:\\WORK", "C:\\work", false));
    EXPECT_FALSE(SameFolderText("c:\\WORK", "C:\\work", true));
    EXPECT_TRUE(SameFolderText("/work", "/work", true));
}

struct LinesCase {
    PathStyle style;
    std::string directory;
    // text|folder|level for each line; the last is the current folder
    std::vector<std::string> lines;
};

TEST(FolderPath, TildeMeansTheHomeFolder) {
    struct Case {
        PathStyle style;
        std::string text, home, expected;
    };
    const std::vector<Case> cases = {
        {PathStyle::Posix, "~", "/home/u", "/home/u"},
        {PathStyle::Posix, "~/", "/home/u", "/home/u"},
        {PathStyle::Posix, "~/src/a", "/home/u", "/home/u/src/a"},
        {PathStyle::Posix, "~/x", "/", "/x"},
        {PathStyle::Posix, "~user", "/home/u", "~user"},
        {PathStyle::Posix, "a/~", "/home/u", "a/~"},
        {PathStyle::Posix, "~", "", "~"},
        {PathStyle::Windows, "~\\docs", "C:\\Users\\u", "C:\\Users\\u\\docs"},
        {PathStyle::Windows, "~/docs", "C:\\Users\\u", "C:\\Users\\u\\docs"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandHome(c.text, c.home, c.style), c.expected) << c.text;
}

TEST(PathLines, RootPathFoldersAndCurrentFolder) {
    const std::vector<LinesCase> cases = {
        {PathStyle::Windows, "C:\\", {"C:\\|C:\\|0"}},
        {PathStyle::Windows, "C:\\a\\b", {"C:\\|C:\\|0", "a|C:\\a|1", "b|C:\\a\\b|2"}},
        {PathStyle::Windows,
         "\\\\srv\\share\\docs",
         {"\\\\srv\\share\\|\\\\srv\\share\\|0", "docs|\\\\srv\\share\\docs|1"}},
        {PathStyle::Windows, "\\\\srv\\share", {"\\\\srv\\share\\|\\\\srv\\share\\|0"}},
        {PathStyle::Posix, "/", {"/|/|0"}},
        {PathStyle::Posix, "/home/u x", {"/|/|0", "home|/home|1", "u x|/home/u x|2"}},
        {PathStyle::Posix, "/a\\b", {"/|/|0", "a\\b|/a\\b|1"}},
    };
    for (const LinesCase& c : cases) {
        const std::vector<FolderLine> lines = PathLines(c.directory, c.style, NoLeadBytes());
        ASSERT_EQ(lines.size(), c.lines.size()) << c.directory;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].text + "|" + lines[i].folder + "|" + std::to_string(lines[i].level),
                      c.lines[i])
                << c.directory;
            EXPECT_EQ(lines[i].kind,
                      i + 1 == lines.size() ? LineKind::CurrentFolder : LineKind::PathFolder);
        }
    }
}

TEST(PathLines, ShiftJisTrailByteDoesNotSplit) {
    const std::string so = "\x83\x5c";
    const auto lines =
        PathLines("C:\\" + so + "\\x", PathStyle::Windows, platform::ShiftJisLeadBytes());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].text, so);
    EXPECT_EQ(lines[2].folder, "C:\\" + so + "\\x");
    // A folder whose name ends in the trail byte 5C still gets its separator before a subfolder.
    EXPECT_EQ(JoinFolder("C:\\" + so, "y", PathStyle::Windows, platform::ShiftJisLeadBytes()),
              "C:\\" + so + "\\y");
}

TEST(FolderPath, DriveItemTexts) {
    using platform::DriveType;
    struct Case {
        PathStyle style;
        platform::Drive drive;
        std::string label, remote, text;
    };
    const std::vector<Case> cases = {
        {PathStyle::Windows, {"A:\\", DriveType::Removable}, "", "", "a:"},
        {PathStyle::Windows, {"C:\\", DriveType::Fixed}, "SYSTEM", "", "c: [system]"},
        {PathStyle::Windows, {"d:\\", DriveType::CdRom}, "", "", "d: []"},
        {PathStyle::Windows,
         {"z:\\", DriveType::Remote},
         "X",
         "\\\\Srv\\Share",
         "z: \\\\srv\\share"},
        {PathStyle::Windows, {"y:\\", DriveType::Remote}, "Label", "", "y: [label]"},
        {PathStyle::Posix, {"/", DriveType::Fixed}, "ext4", "", "/ [ext4]"},
        {PathStyle::Posix, {"/media/Stick", DriveType::Removable}, "vfat", "", "/media/Stick"},
        {PathStyle::Posix,
         {"/mnt/nfs", DriveType::Remote},
         "nfs",
         "Srv:/export",
         "/mnt/nfs Srv:/export"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DriveItemText(c.drive, c.label, c.remote, c.style), c.text);
}

}  // namespace
}  // namespace tanmira
