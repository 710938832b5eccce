// The edit shortcuts: exact ShortCut values, and actions that touch only the focused text box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/edit_shortcuts.h"
#include "tests/app/form_fixture.h"

namespace tanmira::test {
namespace {

TEST(ShortCutValue, FindsOnlyExactKeyAndModifierMatches) {
    TActionList actions(nullptr);
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* action;  // nullptr: no action handles the key
    };
    const Case cases[] = {
        {Qt::Key_X, Qt::ControlModifier, "EditCut1"},
        {Qt::Key_C, Qt::ControlModifier, "EditCopy1"},
        {Qt::Key_V, Qt::ControlModifier, "EditPaste1"},
        {Qt::Key_A, Qt::ControlModifier, "EditSelectAll1"},
        {Qt::Key_Z, Qt::ControlModifier, "EditUndo1"},
        {Qt::Key_Delete, Qt::NoModifier, "EditDelete1"},
        {Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier, nullptr},
        {Qt::Key_Delete, Qt::ShiftModifier, nullptr},
        {Qt::Key_X, Qt::ControlModifier | Qt::AltModifier, nullptr},
        {Qt::Key_X, Qt::NoModifier, nullptr},
        {Qt::Key_Insert, Qt::ControlModifier, nullptr},
    };
    for (const Case& c : cases) {
        const TEditAction* found = actions.Find(ShortCutValue(c.key, c.modifiers));
        if (c.action == nullptr) {
            EXPECT_EQ(found, nullptr) << c.key;
        } else {
            ASSERT_NE(found, nullptr) << c.action;
            EXPECT_EQ(found->name, c.action);
        }
    }
    EXPECT_EQ(ShortCutValue(Qt::Key_X, Qt::ControlModifier), 16472);
    EXPECT_EQ(ShortCutValue(Qt::Key_Delete, Qt::NoModifier), 46);
}

class ShortcutTest : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        QApplication::setActiveWindow(form_.get());
        QApplication::clipboard()->setText("clip");
    }
    QString Clipboard() const { return QApplication::clipboard()->text(); }
};

TEST_F(ShortcutTest, CutCopyPasteAndUndoInALineBox) {
    form_->Edit3->setFocus();
    form_->Edit3->setText("abc");
    form_->Edit3->selectAll();
    QTest::keyClick(form_->Edit3, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(form_->Edit3->text(), "");
    EXPECT_EQ(Clipboard(), "abc");

    QTest::keyClick(form_->Edit3, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(form_->Edit3, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form_->Edit3->text(), "abcabc");

    QTest::keyClick(form_->Edit3, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(form_->Edit3->text(), "abcabc");

    // Copy with nothing selected leaves the clipboard alone.
    form_->Edit3->setText("xyz");
    form_->Edit3->deselect();
    QTest::keyClick(form_->Edit3, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "abc");
}

TEST_F(ShortcutTest, ModifiersMustMatchExactly) {
    form_->Edit4->setFocus();
    form_->Edit4->setText("abc");
    form_->Edit4->selectAll();
    QTest::keyClick(form_->Edit4, Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(form_->Edit4->text(), "abc");
    EXPECT_EQ(Clipboard(), "clip");
}

TEST_F(ShortcutTest, DeleteAndSelectAllInTheResultBox) {
    form_->Memo1->setFocus();
    form_->Memo1->setPlainText("first\nsecond");
    QTest::keyClick(form_->Memo1, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(form_->Memo1->textCursor().selectedText().size(), 12);
    QTest::keyClick(form_->Memo1, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "first\nsecond");

    // Del with a selection deletes it; with none, the box deletes one character forward.
    QTest::keyClick(form_->Memo1, Qt::Key_Delete);
    EXPECT_EQ(form_->Memo1->toPlainText(), "");
    form_->Memo1->setPlainText("xy");
    QTextCursor start = form_->Memo1->textCursor();
    start.movePosition(QTextCursor::Start);
    form_->Memo1->setTextCursor(start);
    QTest::keyClick(form_->Memo1, Qt::Key_Delete);
    EXPECT_EQ(form_->Memo1->toPlainText(), "y");
}

TEST_F(ShortcutTest, ActOnNoTextBoxWhenTheFocusIsElsewhere) {
    form_->Edit2->selectAll();
    const QString before = form_->Edit2->text();
    // The folder list does nothing with the keys either: no copy of a line, no selection.
    const int folderRow = form_->DirectoryListBox1->currentRow();
    for (QWidget* control : std::initializer_list<QWidget*>{form_->Button4, form_->ComboBox1,
                                                            form_->DirectoryListBox1}) {
        SCOPED_TRACE(control->objectName().toStdString());
        control->setFocus();
        for (int key : {Qt::Key_X, Qt::Key_C, Qt::Key_V, Qt::Key_A, Qt::Key_Z})
            QTest::keyClick(control, static_cast<Qt::Key>(key), Qt::ControlModifier);
        QTest::keyClick(control, Qt::Key_Delete);
        EXPECT_EQ(form_->Edit2->text(), before);
        EXPECT_EQ(Clipboard(), "clip");
        EXPECT_EQ(form_->Memo2->toPlainText().split('\n').size(), 22);
    }
    EXPECT_EQ(form_->DirectoryListBox1->currentRow(), folderRow);
    EXPECT_EQ(form_->DirectoryListBox1->selectedItems().size(), 1);
}

}  // namespace
}  // namespace tanmira::test
