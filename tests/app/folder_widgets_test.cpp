// The folder list and drive selector on temporary folder trees, alone and in the main window.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/DirectoryListBox.h"
#include "app/DriveComboBox.h"
#include "app/Unit1.h"
#include "platform/platform.h"
#include "tests/app/form_fixture.h"
#include "tests/support/temp_tree.h"

namespace tanmira {
namespace {

namespace fs = std::filesystem;

// A temporary tree, entered as the process's current directory; the previous current directory
// is restored afterwards.
class FolderTree : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = platform::CurrentDirectory();
        root_ = fs::canonical(tree_.Root()).string();  // as the system reports folders
        for (const char* dir : {"work", "work/deep", "Beta", "alpha", "gamma", ".hidden", "a*b"})
            tree_.Folder(dir);
        tree_.File("work/notes.txt", "notes");
        tree_.File("top.txt", "top");
        ASSERT_TRUE(platform::EnterFolder(root_));
    }

    void TearDown() override { platform::EnterFolder(saved_); }

    std::string Path(const std::string& relative) const { return root_ + "/" + relative; }

    static std::vector<std::string> Texts(const TDirectoryListBox& list) {
        std::vector<std::string> texts;
        for (int i = 0; i < list.count(); ++i)
            texts.push_back(list.item(i)->text().toStdString());
        return texts;
    }

    testing::TempTree tree_;
    std::string saved_;
    std::string root_;
};

TEST_F(FolderTree, LinesShowPathCurrentFolderAndSortedVisibleSubfolders) {
    TDirectoryListBox list;
    EXPECT_EQ(list.Directory(), root_);

    std::vector<std::string> expected{"/"};
    for (const auto& part : fs::path(root_).relative_path())
        expected.push_back(part.string());
    const int current = static_cast<int>(expected.size()) - 1;
    for (const char* name : {"a*b", "alpha", "Beta", "gamma", "work"})
        expected.push_back(name);
    EXPECT_EQ(Texts(list), expected);
    EXPECT_EQ(list.currentRow(), current);
    EXPECT_EQ(list.LineFolder(0), "/");
    EXPECT_EQ(list.LineFolder(current), root_);
    EXPECT_EQ(list.LineFolder(current + 3), root_ + "/Beta");

    // Each path line is indented one step more; subfolders one step past the current folder.
    const int level = Qt::UserRole + 1;
    EXPECT_EQ(list.item(current)->data(level).toInt(), current);
    EXPECT_EQ(list.item(current + 1)->data(level).toInt(), current + 1);
    EXPECT_EQ(list.item(list.count() - 1)->data(level).toInt(), current + 1);
    // The current folder's icon differs from the path folders' and the subfolders'.
    const auto key = [&](int row) { return list.item(row)->icon().pixmap(16).toImage(); };
    EXPECT_NE(key(current), key(0));
    EXPECT_NE(key(current), key(current + 1));
    EXPECT_NE(key(0), key(current + 1));
}

struct TypedCase {
    const char* text;      // relative to the tree unless it begins with "/" (ROOT: the tree)
    const char* expected;  // folder of the tree, relative; "/" is the file-system root
    int changes;
};

TEST_F(FolderTree, TypedTextsMoveTheListOrLeaveItWithOneChange) {
    const std::vector<TypedCase> cases = {
        {"ROOT/work/notes.txt", "work", 1},  // an existing file: its folder
        {"ROOT/work/*.txt", "work", 1},      // a wildcard last component
        {"ROOT/work/n?tes", "work", 1},
        {"work", "work", 1},  // relative to the folder shown
        {"work/deep", "work/deep", 1},
        {"work/notes.txt", "work", 1},
        {"..", "..", 1},
        {"/", "/", 1},               // a lone separator: the root
        {"[ROOT/work]", "work", 1},  // the bracket form
        {".hidden", ".hidden", 1},   // not listed, but opened when typed
        {"missing", "", 1},          // does not exist: stays, Change all the same
        {"ROOT/work/missing", "", 1},
        {"ROOT/work/deep/missing/x", "", 1},  // no part of the path is entered on its own
        {"top.txt", "", 1},                   // a file in the folder shown: the folder itself
        {"ROOT", "", 0},                      // the folder shown: nothing happens
        {"", "", 0},
    };
    for (const TypedCase& c : cases) {
        ASSERT_TRUE(platform::EnterFolder(root_));
        TDirectoryListBox list;
        QSignalSpy changes(&list, &TDirectoryListBox::Change);
        std::string text = c.text;
        if (text.rfind("ROOT", 0) == 0 || text.rfind("[ROOT", 0) == 0)
            text.replace(text.find("ROOT"), 4, root_);
        list.SetDirectory(text);

        std::string expected = c.expected;
        if (expected == "..")
            expected = fs::path(root_).parent_path().string();
        else if (expected != "/")
            expected = expected.empty() ? root_ : Path(expected);
        EXPECT_EQ(list.Directory(), expected) << c.text;
        EXPECT_EQ(platform::CurrentDirectory(), expected) << c.text;
        EXPECT_EQ(changes.count(), c.changes) << c.text;
        EXPECT_EQ(list.LineFolder(list.currentRow()), expected) << c.text;
    }
}

TEST_F(FolderTree, RelativeTextsFollowTheListNotAnEarlierCurrentDirectory) {
    TDirectoryListBox list;
    list.SetDirectory("work");
    // Something else moved the process meanwhile: the list still reads texts from its folder.
    ASSERT_TRUE(platform::EnterFolder("/"));
    list.SetDirectory("deep");
    EXPECT_EQ(list.Directory(), Path("work/deep"));
}

TEST_F(FolderTree, OpeningLines) {
    TDirectoryListBox list;
    list.resize(300, 400);
    list.show();
    QSignalSpy changes(&list, &TDirectoryListBox::Change);
    const int current = list.currentRow();

    // Single clicks and arrow keys only move the selection.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(current + 2)).center());
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.currentRow(), current + 3);
    EXPECT_EQ(changes.count(), 0);

    // Enter opens the selected line; the current folder's line changes nothing.
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(list.Directory(), Path("Beta"));
    EXPECT_EQ(changes.count(), 1);
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(changes.count(), 1);

    // A double-click opens the line under the mouse: the first line is the root.
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {},
                       list.visualItemRect(list.item(0)).center());
    EXPECT_EQ(list.Directory(), "/");
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(FolderTree, SubfolderWithWildcardInItsNameOpensFromItsLine) {
    TDirectoryListBox list;
    const int row = list.currentRow() + 1;
    ASSERT_EQ(list.item(row)->text(), "a*b");
    list.setCurrentRow(row);
    QTest::keyClick(&list, Qt::Key_Enter);
    EXPECT_EQ(list.Directory(), Path("a*b"));
}

TEST_F(FolderTree, SubfolderNamedInShiftJisShowsReadablyAndOpensByItsBytes) {
    const std::string name = "\x95\x5C\x83\x65";  // 表テ, with a trail byte 0x5C
    fs::create_directory(Path(name));
    TDirectoryListBox list;
    const std::vector<std::string> texts = Texts(list);
    const auto row = std::find(texts.begin(), texts.end(), "表テ") - texts.begin();
    ASSERT_LT(row, list.count());
    list.setCurrentRow(static_cast<int>(row));
    QTest::keyClick(&list, Qt::Key_Enter);
    EXPECT_EQ(list.Directory(), Path(name));
}

// Runs the body with the permissions of an ordinary user, also when the tests run as root.
class AsOrdinaryUser {
  public:
    AsOrdinaryUser() : root_(geteuid() == 0) {
        if (root_)
            switched_ = seteuid(65534) == 0;
    }
    ~AsOrdinaryUser() {
        if (switched_) {
            EXPECT_EQ(seteuid(0), 0);
        }
    }
    bool Ready() const { return !root_ || switched_; }

  private:
    bool root_;
    bool switched_ = false;
};

TEST_F(FolderTree, FoldersWithoutPermissions) {
    fs::create_directory(Path("locked"));
    fs::create_directory(Path("blind"));
    fs::create_directory(Path("blind/inner"));
    for (const std::string& dir : {root_, Path("Beta")})
        chmod(dir.c_str(), 0755);
    chmod(Path("locked").c_str(), 0);    // cannot be entered
    chmod(Path("blind").c_str(), 0311);  // can be entered but not read
    TDirectoryListBox list;
    QSignalSpy changes(&list, &TDirectoryListBox::Change);
    AsOrdinaryUser user;
    ASSERT_TRUE(user.Ready());

    list.SetDirectory("locked");
    EXPECT_EQ(list.Directory(), root_);
    EXPECT_EQ(changes.count(), 1);

    list.SetDirectory("blind");
    EXPECT_EQ(list.Directory(), Path("blind"));
    EXPECT_EQ(list.item(list.count() - 1)->text(), "blind");  // no subfolder lines
}

TEST_F(FolderTree, EachDriveReopensItsLastFolder) {
    // A second drive: a mounted file system other than the one holding the tree.
    const std::string here = platform::DriveOf(root_);
    std::string other;
    for (const platform::Drive& d : platform::Drives()) {
        if (d.root != here && (d.root == "/" || d.root == "/dev/shm" || d.root == "/tmp"))
            other = d.root;
    }
    if (other.empty())
        GTEST_SKIP() << "only one drive";

    TDirectoryListBox list;
    list.SetDirectory("work");
    list.SetDirectory(other);
    ASSERT_EQ(list.Drive(), other);
    QSignalSpy changes(&list, &TDirectoryListBox::Change);
    list.SetDrive(other);  // the drive shown: nothing happens
    EXPECT_EQ(changes.count(), 0);
    list.SetDrive(here);
    EXPECT_EQ(list.Directory(), Path("work"));
    EXPECT_EQ(changes.count(), 1);
    list.SetDrive(other);
    EXPECT_EQ(list.Directory(), other);
}

TEST_F(FolderTree, TheFocusedLineIsFramedVisibly) {
    TDirectoryListBox list;
    list.resize(247, 205);
    list.show();
    list.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    const QRect line = list.visualItemRect(list.currentItem());
    list.clearFocus();
    const QImage plain = list.viewport()->grab(line).toImage();
    list.setFocus();
    ASSERT_TRUE(list.hasFocus());
    const QImage framed = list.viewport()->grab(line).toImage();
    // Down the line's last column (past its text) the mark crosses the top and bottom edges, and
    // runs along the right edge: strong changes, two pixels thick.
    const int x = framed.width() - 2;
    int changed = 0;
    for (int y = 0; y < framed.height(); ++y) {
        if (std::abs(qGray(framed.pixel(x, y)) - qGray(plain.pixel(x, y))) > 96)
            ++changed;
    }
    EXPECT_EQ(changed, framed.height());
}

TEST_F(FolderTree, DriveSelector) {
    TDriveComboBox drives;
    const std::string here = platform::DriveOf(root_);
    EXPECT_EQ(drives.Drive(), here);
    ASSERT_GE(drives.currentIndex(), 0);
    EXPECT_EQ(drives.ItemRoot(drives.currentIndex()), here);
    EXPECT_TRUE(drives.currentText().startsWith(QString::fromStdString(here + " ")));

    QSignalSpy changes(&drives, &TDriveComboBox::Change);
    drives.SetDrive(here);
    EXPECT_EQ(changes.count(), 0);
    drives.SetDrive("/no/such/drive");  // no item: the selection stays, the drive is taken
    EXPECT_EQ(drives.Drive(), "/no/such/drive");
    EXPECT_EQ(drives.ItemRoot(drives.currentIndex()), here);
    EXPECT_EQ(changes.count(), 1);
    drives.SetDrive("");
    EXPECT_EQ(drives.currentIndex(), -1);
    EXPECT_EQ(changes.count(), 2);

    // A pick that changes the drive raises Change twice; the same drive again once.
    drives.SetDrive(here);
    changes.clear();
    const int index = drives.currentIndex();
    emit drives.activated(index);
    EXPECT_EQ(changes.count(), 1);
    if (drives.count() > 1) {
        const int otherIndex = index == 0 ? 1 : 0;
        drives.setCurrentIndex(otherIndex);
        emit drives.activated(otherIndex);
        EXPECT_EQ(drives.Drive(), drives.ItemRoot(otherIndex));
        EXPECT_EQ(changes.count(), 3);
    }
}

class FolderForm : public FolderTree {
  protected:
    void SetUp() override {
        FolderTree::SetUp();
        form_ = std::make_unique<TForm1>(testing::FakeBrowserFactory());
    }
    void TearDown() override {
        form_.reset();
        FolderTree::TearDown();
    }
    void Go(const std::string& text) {
        form_->Edit1->setText(QString::fromLocal8Bit(text));
        QTest::mouseClick(form_->Button1, Qt::LeftButton);
    }
    std::string Edit1() const { return form_->Edit1->text().toLocal8Bit().toStdString(); }

    std::unique_ptr<TForm1> form_;
};

TEST_F(FolderForm, PathFieldFollowsTheList) {
    EXPECT_EQ(Edit1(), root_);
    EXPECT_EQ(form_->DriveComboBox1->Drive(), platform::DriveOf(root_));

    Go("work/notes.txt");
    EXPECT_EQ(Edit1(), Path("work"));
    Go("missing");
    EXPECT_EQ(Edit1(), Path("work"));
    EXPECT_EQ(form_->DirectoryListBox1->Directory(), Path("work"));
    Go("");
    EXPECT_EQ(form_->DirectoryListBox1->Directory(), Path("work"));
    EXPECT_EQ(Edit1(), "");

    form_->DirectoryListBox1->setCurrentRow(form_->DirectoryListBox1->count() - 1);
    QTest::keyClick(form_->DirectoryListBox1, Qt::Key_Return);
    EXPECT_EQ(Edit1(), Path("work/deep"));
}

TEST_F(FolderForm, TildeInThePathFieldIsTheHomeFolder) {
    const char* home = std::getenv("HOME");
    const std::string saved = home != nullptr ? home : "";
    setenv("HOME", Path("work").c_str(), 1);
    Go("~");
    EXPECT_EQ(Edit1(), Path("work"));
    Go("/");
    Go("~/deep");
    EXPECT_EQ(Edit1(), Path("work/deep"));
    if (home != nullptr)
        setenv("HOME", saved.c_str(), 1);
    else
        unsetenv("HOME");
}

TEST_F(FolderForm, SearchWalksTheFolderChosenLast) {
    std::ofstream(Path("alpha/inside.txt")) << "x";
    form_->Memo2->setPlainText("txt");
    form_->Edit2->clear();  // no content keyword: every .txt file of the folder is a hit
    Go("alpha");
    QTest::mouseClick(form_->Button2, Qt::LeftButton);
    ASSERT_NE(form_->State(), nullptr);
    const TStringList& hits = form_->State()->HitList;
    ASSERT_EQ(hits.LineCount(), 1);
    EXPECT_EQ(hits.LineAt(0), Path("alpha/inside.txt"));
}

}  // namespace
}  // namespace tanmira
