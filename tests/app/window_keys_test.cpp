// The window used from the keyboard and looked at: the keyboard order, Enter in the path and
// keyword boxes, the focus after a run, and group boxes that cross none of their controls.
#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "app/group_box.h"
#include "tests/app/form_fixture.h"

namespace tanmira::test {
namespace {

// The names of the controls that focus steps visit, pressing key each time.
QStringList Walk(TForm1& form, Qt::Key key, int steps) {
    QStringList visited;
    for (int i = 0; i < steps; ++i) {
        QTest::keyClick(form.focusWidget(), key);
        visited << form.focusWidget()->objectName();
    }
    return visited;
}

TEST_F(FormTest, TabWalksTheStoredKeyboardOrderBothWays) {
    const QStringList order = QString(
                                  "Memo1 CheckBox1 Button2 Button3 Edit3 Edit2 Edit4 Edit5 "
                                  "Memo2 CheckBox3 ComboBox1 Button4 CheckBox2 DriveComboBox1 "
                                  "Edit1 Button1 DirectoryListBox1")
                                  .split(' ');
    const QString memo1 = form_->Memo1->toPlainText();
    const QString memo2 = form_->Memo2->toPlainText();

    form_->Memo1->setFocus();
    QStringList forward = order.mid(1);
    forward << order.first();
    EXPECT_EQ(Walk(*form_, Qt::Key_Tab, order.size()), forward);

    const QStringList backward(order.rbegin(), order.rend());
    EXPECT_EQ(Walk(*form_, Qt::Key_Backtab, order.size()), backward);

    // Both memos passed Tab on without taking it as text.
    EXPECT_EQ(form_->Memo1->toPlainText(), memo1);
    EXPECT_EQ(form_->Memo2->toPlainText(), memo2);

    // A disabled control is stepped over.
    form_->CheckBox3->click();
    form_->Edit5->setFocus();
    EXPECT_EQ(Walk(*form_, Qt::Key_Tab, 1), QStringList({"CheckBox3"}));
}

TEST_F(FormTest, FocusReturnsToTheStartButtonAfterARunStartedFromIt) {
    Write("a.txt", "ファイル内検索");
    form_->Button2->setFocus();
    QString focusDuringRun;
    DuringRun during(*form_, 1, [&] { focusDuringRun = form_->focusWidget()->objectName(); });

    QTest::keyClick(form_->Button2, Qt::Key_Space);

    EXPECT_EQ(form_->Memo1->toPlainText(), "a.txt\n");
    EXPECT_EQ(focusDuringRun, "Button3");  // the disabled start button passed it on
    EXPECT_EQ(form_->focusWidget(), form_->Button2);
}

TEST_F(FormTest, EnterInAKeywordBoxStartsASearchUnlessOneRuns) {
    Write("a.txt", "ファイル内検索");
    Write("b.txt", "ファイル内検索");
    int nestedStarts = 0;
    // Enter while a run is going starts no second run.
    DuringRun during(*form_, 1, [&] {
        QTest::keyClick(form_->Edit4, Qt::Key_Return);
        nestedStarts += form_->Button2->isEnabled() ? 1 : 0;
    });
    form_->Edit4->setFocus();

    QTest::keyClick(form_->Edit4, Qt::Key_Return);

    EXPECT_EQ(nestedStarts, 0);
    EXPECT_EQ(form_->Memo1->toPlainText().split('\n', Qt::SkipEmptyParts).size(), 2);
    EXPECT_EQ(form_->focusWidget(), form_->Edit4);
}

TEST_F(FormTest, EnterInThePathFieldOpensTheTypedFolder) {
    std::filesystem::create_directory(Folder() + "/sub");
    const std::string sub = Listed("sub");
    form_->Edit1->setText(QString::fromStdString(sub));

    QTest::keyClick(form_->Edit1, Qt::Key_Return);

    EXPECT_EQ(form_->DirectoryListBox1->Directory(), sub);
    EXPECT_EQ(form_->Edit1->text().toStdString(), sub);
}

TEST(MainWindowLook, CaptionsAreWholeAndGroupFramesCrossNoControl) {
    TForm1 form(FakeBrowserFactory());
    form.show();
    EXPECT_EQ(QFontInfo(form.font()).family(), "IPAPGothic");
    EXPECT_EQ(QFontInfo(form.font()).pixelSize(), 12);

    for (const TGroupBox* box : form.findChildren<TGroupBox*>()) {
        SCOPED_TRACE(box->objectName().toStdString());
        const QRect frame = box->FrameRect();
        const QRect caption = box->CaptionRect();
        // Inside the frame's lines (each two pixels wide) and not under the caption.
        const QRect inner = frame.adjusted(2, 2, -2, -2);
        EXPECT_LE(caption.right(), inner.right());
        EXPECT_LT(frame.top(), caption.bottom());  // the caption sits on the top line
        for (const QWidget* child : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            SCOPED_TRACE(child->objectName().toStdString());
            EXPECT_TRUE(inner.contains(child->geometry()));
            EXPECT_FALSE(caption.intersects(child->geometry()));
        }
    }
    for (const QLabel* label : form.findChildren<QLabel*>()) {
        SCOPED_TRACE(label->objectName().toStdString());
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
    }
    for (const QCheckBox* box : form.findChildren<QCheckBox*>()) {
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_LE(box->sizeHint().width(), box->width());  // the indicator and the whole caption
    }
    for (const QPushButton* button : form.findChildren<QPushButton*>()) {
        SCOPED_TRACE(button->objectName().toStdString());
        EXPECT_LT(button->fontMetrics().horizontalAdvance(button->text()), button->width() - 4);
    }
}

}  // namespace
}  // namespace tanmira::test
