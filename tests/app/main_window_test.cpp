// The main window driven as a user drives it: start state, layout, searches from a click on
// "検索開始", stop, result style, extension options, the error box and closing during a run.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "app/error_report.h"
#include "app/handler_guard.h"
#include "search/exceptions.h"
#include "tests/app/form_fixture.h"

namespace tanmira::test {
namespace {

// The non-empty lines of a result box.
QStringList ResultLines(const QPlainTextEdit* memo) {
    QStringList lines = memo->toPlainText().split('\n', Qt::SkipEmptyParts);
    lines.sort();
    return lines;
}

const char kKeyword[] = "ファイル内検索";

TEST(MainWindowStart, ShowsStoredValuesAndTheStartFolder) {
    TForm1 form(FakeBrowserFactory());
    EXPECT_EQ(form.windowTitle(), "Tanmira");
    EXPECT_EQ(form.centralWidget()->size(), QSize(504, 585));
    EXPECT_EQ(form.Edit1->text().toStdString(), form.DirectoryListBox1->Directory());
    EXPECT_EQ(form.Edit2->text(), QString::fromUtf8(kKeyword));
    EXPECT_EQ(form.Memo1->toPlainText(), QString::fromUtf8("検索結果　　含むファイルのアドレス"));
    const QStringList extensions = form.Memo2->toPlainText().split('\n');
    EXPECT_EQ(extensions.size(), 22);
    EXPECT_EQ(extensions.value(10), "C");
    EXPECT_EQ(form.ComboBox1->count(), 5);
    EXPECT_EQ(form.ComboBox1->currentText(), "Shift-JIS");
    EXPECT_EQ(form.ComboBox1->itemText(2), "UTF-8");
    EXPECT_EQ(form.ComboBox1->itemText(3), "UTF-16");
    EXPECT_EQ(form.ComboBox1->itemText(4), QString::fromUtf8("すべて"));
    EXPECT_FALSE(form.CheckBox1->isChecked() || form.CheckBox2->isChecked() ||
                 form.CheckBox3->isChecked());
    ASSERT_NE(form.State(), nullptr);
    EXPECT_EQ(form.State()->HitList.LineCount(), 0);
}

TEST(MainWindowLayout, AlignedControlsFollowTheWindowSize) {
    TForm1 form(FakeBrowserFactory());
    form.show();
    EXPECT_EQ(form.GroupBox3->geometry(), QRect(0, 337, 504, 229));
    EXPECT_EQ(form.Memo1->geometry(), QRect(2, 45, 500, 182));
    EXPECT_EQ(form.StatusBar1->geometry(), QRect(0, 566, 504, 19));
    EXPECT_EQ(form.GroupBox5->geometry(), QRect(2, 73, 237, 140));

    form.resize(form.width() + 100, form.height() + 50);
    EXPECT_EQ(form.GroupBox3->geometry(), QRect(0, 337, 604, 279));
    EXPECT_EQ(form.Memo1->geometry(), QRect(2, 45, 600, 232));
    EXPECT_EQ(form.StatusBar1->geometry(), QRect(0, 616, 604, 19));
    EXPECT_EQ(form.Panel1->geometry(), QRect(0, 68, 604, 269));
    EXPECT_EQ(form.Button2->geometry(), QRect(4, 4, 75, 25));  // not aligned: stays put
}

TEST(MainWindowBanner, StartUpKeepsTheStripAlignedAndCentresTheBrowser) {
    TForm1 form(FakeBrowserFactory());
    form.show();
    QWidget* browser = form.Tkoukoku1->koukokuweb->Widget();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.Tkoukoku1->BannerWidth != 0; }, 2000));
    // The start-up narrows the frame to 477, and the top alignment gives it 504 back at once.
    EXPECT_EQ(form.Tkoukoku1->geometry(), QRect(0, 0, 504, 68));
    EXPECT_EQ(browser->geometry(), QRect(14, 0, 477, 68));
    EXPECT_EQ(form.Panel1->geometry(), QRect(0, 68, 504, 269));
    form.resize(form.width() + 1, form.height());
    EXPECT_EQ(browser->x(), 18);
}

TEST_F(FormTest, SearchFromAClickShowsTheHitsAndTheLastProgress) {
    Write("a.txt", std::string("hello ") + kKeyword);
    Write("b.txt", "nothing here");
    Write("c.dat", kKeyword);
    Write("d.C", std::string("x\n") + kKeyword);

    QTest::mouseClick(form_->Button2, Qt::LeftButton);

    EXPECT_EQ(ResultLines(form_->Memo1), QStringList({"a.txt", "d.C"}));
    EXPECT_EQ(form_->StatusBar1->currentMessage(), "3 / 4");
    EXPECT_TRUE(form_->Button2->isEnabled());

    // "フルパス表示" redisplays the same hits as full paths, and back.
    form_->CheckBox1->click();
    EXPECT_EQ(ResultLines(form_->Memo1), QStringList({QString::fromStdString(Listed("a.txt")),
                                                      QString::fromStdString(Listed("d.C"))}));
    form_->CheckBox1->click();
    EXPECT_EQ(ResultLines(form_->Memo1), QStringList({"a.txt", "d.C"}));
}

TEST_F(FormTest, ExtensionOptionsChangeWhatTheRunAccepts) {
    Write("a.txt", kKeyword);
    Write("c.dat", kKeyword);

    // "全ての拡張子" greys out the list and every extension passes; unchecked, the list is back.
    form_->CheckBox3->click();
    EXPECT_FALSE(form_->Memo2->isEnabled());
    QTest::mouseClick(form_->Button2, Qt::LeftButton);
    EXPECT_EQ(ResultLines(form_->Memo1), QStringList({"a.txt", "c.dat"}));

    form_->CheckBox3->click();
    EXPECT_TRUE(form_->Memo2->isEnabled());
    QTest::mouseClick(form_->Button2, Qt::LeftButton);
    EXPECT_EQ(ResultLines(form_->Memo1), QStringList({"a.txt"}));

    // "C" empties the list: every extension passes again.
    QTest::mouseClick(form_->Button4, Qt::LeftButton);
    EXPECT_TRUE(form_->Memo2->toPlainText().isEmpty());
    QTest::mouseClick(form_->Button2, Qt::LeftButton);
    EXPECT_EQ(ResultLines(form_->Memo1), QStringList({"a.txt", "c.dat"}));
}

TEST_F(FormTest, TheEncodingListChoosesTheBytesSearchedFor) {
    Write("sjis.txt", "\x83\x74\x83\x40\x83\x43\x83\x8b\x93\xe0\x8c\x9f\x8d\xf5");
    Write("euc.txt", "\xa5\xd5\xa5\xa1\xa5\xa4\xa5\xeb\xc6\xe2\xb8\xa1\xba\xf7");
    Write("utf8.txt", kKeyword);
    Write("utf16.txt", "\xd5\x30\xa1\x30\xa4\x30\xeb\x30\x85\x51\x1c\x69\x22\x7d");  // LE
    const std::pair<int, QStringList> cases[] = {
        {0, {"sjis.txt"}},
        {1, {"euc.txt"}},
        {2, {"utf8.txt"}},
        {3, {"utf16.txt"}},
        {4, {"euc.txt", "sjis.txt", "utf16.txt", "utf8.txt"}}};
    for (const auto& [index, hits] : cases) {
        form_->ComboBox1->setCurrentIndex(index);
        QTest::mouseClick(form_->Button2, Qt::LeftButton);
        EXPECT_EQ(ResultLines(form_->Memo1), hits) << index;
    }
}

TEST_F(FormTest, AKeywordTheEncodingCannotHoldIsReportedAndStartsNothing) {
    Write("a.txt", "x😀");
    form_->Edit2->setText(QString::fromUtf8("😀"));  // no Shift_JIS form
    form_->ComboBox1->setCurrentIndex(0);
    BoxWatcher boxes;
    QTest::mouseClick(form_->Button2, Qt::LeftButton);
    EXPECT_EQ(boxes.seen.count, 1);
    EXPECT_EQ(boxes.seen.text, QString::fromUtf8("キーワード 😀 は Shift-JIS では表せません."));
    EXPECT_EQ(form_->Memo1->toPlainText(), QString::fromUtf8("検索結果　　含むファイルのアドレス"));
    EXPECT_EQ(form_->StatusBar1->currentMessage(), "");
    // すべて: the UTF-8 form holds it
    form_->ComboBox1->setCurrentIndex(form_->ComboBox1->findText(QString::fromUtf8("すべて")));
    QTest::mouseClick(form_->Button2, Qt::LeftButton);
    EXPECT_EQ(ResultLines(form_->Memo1), QStringList({"a.txt"}));
}

TEST_F(FormTest, KeywordsTypedDuringARunApplyToTheRemainingFiles) {
    for (int i = 0; i < 6; ++i)
        Write("f" + std::to_string(i) + ".txt", kKeyword);
    // After the first file, the file-name box excludes every file.
    DuringRun typing(*form_, 2, [this] { form_->Edit5->setText(".txt"); });
    QTest::mouseClick(form_->Button2, Qt::LeftButton);
    EXPECT_EQ(ResultLines(form_->Memo1).size(), 1);
}

TEST_F(FormTest, StopDuringARunShowsThePartialHits) {
    constexpr int kFiles = 8;
    for (int i = 0; i < kFiles; ++i)
        Write("f" + std::to_string(i) + ".txt", kKeyword);

    DuringRun stop(*form_, 4, [this] { QTest::mouseClick(form_->Button3, Qt::LeftButton); });
    QTest::mouseClick(form_->Button2, Qt::LeftButton);

    EXPECT_EQ(ResultLines(form_->Memo1).size(), 3);
    EXPECT_EQ(form_->StatusBar1->currentMessage(),
              QString::fromUtf8("中止しました (8 件中 3 件を調べ、一致 3 件)"));
    EXPECT_TRUE(form_->Button2->isEnabled());

    // A later run starts afresh and finds everything.
    QTest::mouseClick(form_->Button2, Qt::LeftButton);
    EXPECT_EQ(ResultLines(form_->Memo1).size(), kFiles);
}

TEST_F(FormTest, UnreadableFileIsReportedOnceAfterTheResults) {
    Write("a.txt", kKeyword);
    Write("b.txt", kKeyword);
    Write("gone.txt", kKeyword);
    // Removed after the walk listed it, before it is loaded.
    DuringRun remove(*form_, 1, [this] { std::filesystem::remove(Folder() + "/gone.txt"); });
    BoxWatcher boxes;

    QTest::mouseClick(form_->Button2, Qt::LeftButton);

    EXPECT_EQ(ResultLines(form_->Memo1), QStringList({"a.txt", "b.txt"}));
    EXPECT_EQ(boxes.seen.count, 1);
    EXPECT_EQ(boxes.seen.title, "Tanmira");
    EXPECT_EQ(boxes.seen.icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.seen.buttons, 1);
    EXPECT_EQ(boxes.seen.text,
              QString::fromStdString("ファイル " + Listed("gone.txt") + " は開けません."));
    // The window stays usable.
    EXPECT_TRUE(form_->Button2->isEnabled());
    QTest::mouseClick(form_->Button2, Qt::LeftButton);
    EXPECT_EQ(ResultLines(form_->Memo1), QStringList({"a.txt", "b.txt"}));
}

TEST_F(FormTest, ClosingDuringARunStopsItAndFreesTheListsAfterwards) {
    constexpr int kFiles = 50;
    for (int i = 0; i < kFiles; ++i)
        Write("f" + std::to_string(i) + ".txt", kKeyword);
    bool listsAliveAtClose = false;
    DuringRun closing(*form_, 2, [this, &listsAliveAtClose] {
        form_->Close1->trigger();  // "ファイル" > "閉じる"
        listsAliveAtClose = form_->State() != nullptr && form_->isVisible();
    });

    QTest::mouseClick(form_->Button2, Qt::LeftButton);

    EXPECT_TRUE(listsAliveAtClose);
    EXPECT_FALSE(form_->Searching());
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(form_->State(), nullptr);
    EXPECT_EQ(form_->StatusBar1->currentMessage(),
              QString::fromUtf8("中止しました (50 件中 1 件を調べ、一致 1 件)"));
}

TEST_F(FormTest, ClosingWhenIdleFreesTheLists) {
    form_->close();
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(form_->State(), nullptr);
}

TEST(HandlerGuard, ReportsEveryKindOfExceptionAndReturns) {
    struct Case {
        std::function<void()> handler;
        QString text;
    };
    const Case cases[] = {
        {[] { throw EStringListError(5); },
         QString::fromUtf8("リストのインデックスが範囲を超えています (5)")},
        {[] { throw std::bad_alloc(); }, QString::fromUtf8("メモリが不足しています.")},
        {[] { throw std::runtime_error("broken!"); }, "broken!"},
    };
    QWidget owner;
    for (const Case& c : cases) {
        BoxWatcher boxes;
        RunGuarded(&owner, c.handler);
        EXPECT_EQ(boxes.seen.count, 1);
        EXPECT_EQ(boxes.seen.title, "Tanmira");
        EXPECT_EQ(boxes.seen.text, c.text);
    }
}

}  // namespace
}  // namespace tanmira::test
