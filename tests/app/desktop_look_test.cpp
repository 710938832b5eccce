// The window on every screen (inside the available area, controls reachable by scrolling), the
// extension list's whole lines, and the look the program shares: Qt's texts in Japanese, the
// window's proportional font in menus and message boxes, the icon.
#include <QAbstractTextDocumentLayout>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <memory>

#include "app/application_setup.h"
#include "app/screen_fit.h"
#include "tests/app/form_fixture.h"

namespace tanmira::test {
namespace {

TEST(FitInside, TheFrameLiesInsideTheAreaCentredAndShrunkToIt) {
    const QSize window(512, 641);
    const QSize minimum(328, 276);
    struct Case {
        const char* screen;
        QRect available, expected;
    };
    const Case cases[] = {
        {"1600x1000 at 1.5", QRect(0, 0, 1066, 666), QRect(277, 12, 512, 641)},
        {"1280x720 at 2", QRect(0, 0, 640, 360), QRect(64, 0, 512, 360)},
        {"second screen under a panel", QRect(1920, 30, 1280, 690), QRect(2304, 54, 512, 641)},
        {"smaller than the minimum", QRect(0, 0, 300, 200), QRect(0, 0, 328, 276)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitInside(c.available, window, minimum), c.expected) << c.screen;
}

TEST(ScreenFit, TheWindowOpensInsideItsScreenWithEveryControlReachable) {
    TForm1 form(FakeBrowserFactory());
    PlaceOnScreen(form, QMargins(4, 32, 4, 4));
    // The decoration is given in device pixels.
    const int ratio = static_cast<int>(std::ceil(form.devicePixelRatioF()));
    const QMargins logical(4 / ratio, 32 / ratio, 4 / ratio, 4 / ratio);
    const QRect available = form.screen()->availableGeometry();
    // Until the window is shown its position is that of its frame.
    EXPECT_TRUE(available.contains(QRect(form.pos(), form.size().grownBy(logical))));

    // A window smaller than its form scrolls to the control that takes the focus.
    form.resize(form.minimumSize());
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    auto* area = qobject_cast<QScrollArea*>(form.centralWidget());
    ASSERT_NE(area, nullptr);
    QWidget* const controls[] = {form.Button2, form.Memo1, form.Edit1};
    for (QWidget* control : controls) {
        control->setFocus();
        const QRect shown(control->mapTo(area->viewport(), QPoint(0, 0)), QSize(1, 1));
        EXPECT_TRUE(area->viewport()->rect().contains(shown))
            << control->objectName().toStdString();
    }
    // The form never shrinks so far that its groups overlap.
    EXPECT_GE(form.GroupBox3->y(), form.Panel1->geometry().bottom() + 1);
    EXPECT_GE(form.Memo1->height(), 3 * form.Memo1->fontMetrics().height());
}

TEST(ExtensionList, ShowsWholeLinesAndAScrollBarWithASlider) {
    TForm1 form(FakeBrowserFactory());
    form.show();
    QPlainTextEdit* memo = form.Memo2;
    QTextDocument* document = memo->document();
    const qreal line =
        document->documentLayout()->blockBoundingRect(document->firstBlock()).height();
    const qreal lines = (memo->viewport()->height() - document->documentMargin()) / line;
    EXPECT_NEAR(lines, std::round(lines), 1.0 / line) << lines << " lines of " << line;
    EXPECT_GE(std::round(lines), 2);

    QScrollBar* bar = memo->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);  // 22 lines, a few in view
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = Qt::Vertical;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.pageStep = bar->pageStep();
    option.sliderPosition = bar->value();
    const QRect slider = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                      QStyle::SC_ScrollBarSlider, bar);
    const QRect groove = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                      QStyle::SC_ScrollBarGroove, bar);
    EXPECT_GE(slider.height(), 4);
    EXPECT_LT(slider.height(), groove.height());

    // The controls below the list moved down with it and stay inside their group.
    const QWidget* controlsBelow[] = {form.Label6, form.ComboBox1};
    for (const QWidget* below : controlsBelow) {
        EXPECT_GT(below->y(), memo->geometry().bottom()) << below->objectName().toStdString();
        EXPECT_LE(below->geometry().bottom(), form.GroupBox5->height() - 2);
    }
}

TEST(ApplicationLook, QtTextsInJapaneseOneProportionalFontAndTheIcon) {
    auto& application = *qobject_cast<QApplication*>(QCoreApplication::instance());
    ASSERT_TRUE(LoadQtTranslation(application, SystemTranslationsFolder()))
        << "qtbase_ja missing in " << SystemTranslationsFolder().toStdString();
    SetUpApplication(application);

    // The text box's standard menu: 元に戻す, やり直す, 切り取り, ... rather than Undo, Redo, Cut.
    QLineEdit edit;
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        const QString text = action->text();
        EXPECT_TRUE(std::any_of(text.begin(), text.end(), [](QChar c) {
            return c.unicode() > 0x2FFF;
        })) << text.toStdString();
    }

    TForm1 form(FakeBrowserFactory());
    const QFontInfo window(form.font());
    EXPECT_FALSE(window.fixedPitch()) << window.family().toStdString();
    QMessageBox box;
    for (const QWidget* other :
         {static_cast<const QWidget*>(menu.get()), static_cast<const QWidget*>(&box)}) {
        const QFontInfo used(other->font());
        EXPECT_EQ(used.family(), window.family());
        EXPECT_EQ(used.pixelSize(), window.pixelSize());
    }

    EXPECT_FALSE(QApplication::windowIcon().pixmap(32, 32).isNull());
    EXPECT_FALSE(ApplicationIcon().pixmap(32, 32).isNull());
}

}  // namespace
}  // namespace tanmira::test
