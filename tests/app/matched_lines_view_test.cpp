// The matched-lines view opened as a user opens it: a search under すべて over a file in each
// encoding, then a double click on a result line. With TANMIRA_SHOW_VIEW set, the last view stays
// open until it is closed (for a screenshot under Xvfb).
#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <filesystem>

#include "app/matched_lines_view.h"
#include "app/result_menu.h"
#include "tests/app/form_fixture.h"

namespace tanmira::test {
namespace {

std::string In(platform::CodePage page, const std::string& utf8) {
    return platform::ConvertCodePage(utf8, platform::CodePage::Utf8, page).value();
}

class MatchedLinesViewTest : public FormTest {
  protected:
    // Double-clicks the result line naming name; gives the view then shown, or null.
    MatchedLinesView* DoubleClick(const QString& name) {
        QPlainTextEdit* box = form_->Memo1;
        for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next()) {
            if (b.text() != name)
                continue;
            const QPoint pos = box->cursorRect(QTextCursor(b)).center();
            QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, pos);
            auto* view = form_->findChild<MatchedLinesView*>();
            return view != nullptr && view->isVisible() ? view : nullptr;
        }
        return nullptr;
    }

    static QStringList Marked(const MatchedLinesView& view) {
        QStringList marked;
        for (const QTextEdit::ExtraSelection& mark : view.Text()->extraSelections())
            marked << mark.cursor.selectedText();
        return marked;
    }
};

TEST_F(MatchedLinesViewTest, ShowsEachFileDecodedFromTheEncodingFoundInIt) {
    using platform::CodePage;
    // ウ (83 45) and テ (83 65) carry the letters E and e as trail bytes.
    Write("sjis.txt", In(CodePage::ShiftJis, "一行目\r\nウェブの設定とテスト\r\n"));
    Write("euc.txt", In(CodePage::EucJp, "設定\n\n旧設定は設定\n"));
    Write("utf8.txt", "なし\r設定だけ");
    Write("mixed.txt", In(CodePage::ShiftJis, "ウェブの設定\r\n") +
                           In(CodePage::EucJp, "旧設定\n") + "UTF-8 の設定");
    form_->ComboBox1->setCurrentIndex(form_->ComboBox1->findText(QString::fromUtf8("すべて")));
    form_->Edit2->setText("設定");
    QTest::mouseClick(form_->Button2, Qt::LeftButton);

    const std::pair<const char*, QString> expected[] = {
        {"sjis.txt", "2: ウェブの設定とテスト\n"},
        {"utf8.txt", "2: 設定だけ\n"},
        {"euc.txt", "1: 設定\n3: 旧設定は設定\n"},
        {"mixed.txt", "1: ウェブの設定\n2: 旧設定\n3: UTF-8 の設定\n"},
    };
    for (const auto& [name, text] : expected) {
        MatchedLinesView* view = DoubleClick(name);
        ASSERT_NE(view, nullptr) << name;
        EXPECT_EQ(view->windowTitle(), QString("一致した行 - ") + name);
        EXPECT_EQ(view->Text()->toPlainText(), text);
        EXPECT_EQ(Marked(*view), QStringList(text.count("設定"), "設定")) << name;
        EXPECT_FALSE(view->isModal());
    }
    if (qEnvironmentVariableIsSet("TANMIRA_SHOW_VIEW")) {
        QEventLoop closed;
        QObject::connect(DoubleClick("mixed.txt"), &QDialog::finished, &closed, &QEventLoop::quit);
        closed.exec();
    }

    // Changed or gone since the search: said in the view.
    Write("utf8.txt", "別の内容");
    EXPECT_TRUE(DoubleClick("utf8.txt")->Text()->toPlainText().contains("ありません"));
    std::filesystem::remove(Listed("euc.txt"));
    EXPECT_TRUE(DoubleClick("euc.txt")->Text()->toPlainText().contains("開けません"));
    QTest::keyClick(form_->findChild<MatchedLinesView*>(), Qt::Key_Escape);
    EXPECT_FALSE(form_->findChild<MatchedLinesView*>()->isVisible());
}

}  // namespace
}  // namespace tanmira::test
