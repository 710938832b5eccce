// The result box's context menu driven as a user drives it: a right click on a line of results,
// a command picked from the menu, with the desktop opener faked.
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QUrl>
#include <filesystem>

#include "app/result_menu.h"
#include "tests/app/form_fixture.h"

namespace tanmira::test {
namespace {

const QStringList kCommands = {"開く", "フォルダを開く", "パスをコピー"};

struct FakeOpener : FileOpener {
    FakeOpener(std::vector<std::string>& opened, bool starts) : opened(opened), starts(starts) {}
    bool Open(const std::string& path) override { return opened.push_back(path), starts; }
    std::vector<std::string>& opened;
    bool starts;
};

class ResultMenuTest : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        form_->Edit2->clear();
        for (const char* name : {"a.txt", "line\nbreak.txt", "b.txt"})
            Write(name, "x");
        UseOpener(true);
        QTest::mouseClick(form_->Button2, Qt::LeftButton);
    }

    void UseOpener(bool starts) {
        form_->Memo1Menu->SetOpener(std::make_unique<FakeOpener>(opened_, starts));
    }

    // The line of the result box whose text is text, or -1.
    int LineOf(const QString& text) const {
        for (QTextBlock b = form_->Memo1->document()->begin(); b.isValid(); b = b.next()) {
            if (b.text() == text)
                return b.blockNumber();
        }
        return -1;
    }

    // Right-clicks line of the result box and picks command from the menu when it is enabled
    // (closes the menu otherwise); gives whether the result commands were enabled, in order.
    std::vector<bool> RightClick(int line, const QString& command = {}) {
        QPlainTextEdit* box = form_->Memo1;
        const QPoint pos =
            box->cursorRect(QTextCursor(box->document()->findBlockByNumber(line))).center();
        std::vector<bool> enabled;
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr)
                return;
            poll.stop();
            const QList<QAction*> actions = menu->actions();
            QAction* picked = nullptr;
            for (int i = 0; i < kCommands.size(); ++i) {
                EXPECT_EQ(actions.value(i)->text(), kCommands[i]);
                enabled.push_back(actions.value(i)->isEnabled());
                if (actions.value(i)->text() == command && actions.value(i)->isEnabled())
                    picked = actions.value(i);
            }
            if (picked == nullptr)
                menu->close();
            else
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(picked).center());
        });
        poll.start();
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, box->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(box->viewport(), &event);
        return enabled;
    }

    std::vector<std::string> opened_;
};

TEST_F(ResultMenuTest, OpensTheHitOfTheLineInBothDisplayForms) {
    const std::vector<bool> allEnabled(3, true);
    for (const bool fullPaths : {false, true}) {
        form_->CheckBox1->setChecked(fullPaths);
        for (const std::string name : {"a.txt", "line\nbreak.txt"}) {
            SCOPED_TRACE(name + (fullPaths ? " (full paths)" : ""));
            // The line shown last for the hit: a name with a line break takes two.
            const std::string shown = fullPaths ? Listed(name) : name;
            const int line = LineOf(QString::fromStdString(shown).split('\n').last());
            ASSERT_GE(line, 0);
            opened_.clear();
            EXPECT_EQ(RightClick(line, "開く"), allEnabled);
            EXPECT_EQ(RightClick(line, "フォルダを開く"), allEnabled);
            EXPECT_EQ(opened_, (std::vector<std::string>{Listed(name), Listed("")}));
            RightClick(line, "パスをコピー");
            EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdString(Listed(name)));
        }
    }
}

TEST_F(ResultMenuTest, CommandsAreDisabledOffTheResults) {
    const std::vector<bool> disabled(3, false);
    const int a = LineOf("a.txt");
    EXPECT_EQ(RightClick(LineOf("")), disabled);  // the empty line after the last result

    std::filesystem::remove(Listed("b.txt"));
    EXPECT_EQ(RightClick(LineOf("b.txt")), disabled);

    // Once the box is edited its lines no longer stand for the hits.
    QTest::keyClick(form_->Memo1, Qt::Key_X);
    EXPECT_EQ(RightClick(a), disabled);
    form_->CheckBox1->click();  // shown again: usable again
    EXPECT_EQ(RightClick(LineOf(QString::fromStdString(Listed("a.txt")))),
              std::vector<bool>(3, true));
    EXPECT_TRUE(opened_.empty());
}

TEST_F(ResultMenuTest, AFailedOpenIsReportedAndNothingWaits) {
    UseOpener(false);
    BoxWatcher boxes;
    RightClick(LineOf("a.txt"), "開く");
    EXPECT_EQ(opened_, (std::vector<std::string>{Listed("a.txt")}));
    EXPECT_EQ(boxes.seen.count, 1);
    EXPECT_TRUE(boxes.seen.text.contains("xdg-open")) << boxes.seen.text.toStdString();
}

TEST_F(ResultMenuTest, NamesThatAreNotUtf8AreShownReadablyAndOpenedByTheirBytes) {
    struct Name {
        std::string bytes;
        const char* shown;
        const char* copied;  // the end of the file address copied
    };
    const Name names[] = {
        // Shift_JIS, with a trail byte 0x5C
        {"\x95\x5C\x83\x65.txt", "表テ.txt", "%95%5C%83e.txt"},
        // neither UTF-8 nor Shift_JIS
        {"bad\xFF\x81.txt", "bad\\xFF\\x81.txt", "bad%FF%81.txt"},
    };
    for (const Name& name : names)
        Write(name.bytes, "x");
    QTest::mouseClick(form_->Button2, Qt::LeftButton);
    for (const Name& name : names) {
        const int line = LineOf(QString::fromUtf8(name.shown));
        ASSERT_GE(line, 0) << name.shown;
        opened_.clear();
        RightClick(line, "開く");
        EXPECT_EQ(opened_, (std::vector<std::string>{Listed(name.bytes)}));
        // The text shown names another file: the copy is the file's address, bytes kept.
        RightClick(line, "パスをコピー");
        EXPECT_EQ(QGuiApplication::clipboard()->text(),
                  QString::fromStdString("file://" + Listed(name.copied)));
        EXPECT_EQ(FileUrl(Listed(name.bytes)).toEncoded(),
                  QByteArray::fromStdString("file://" + Listed(name.copied)));
    }
}

}  // namespace
}  // namespace tanmira::test
