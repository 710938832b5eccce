// The main window under stress during a search: stop and close at every point of the file loop
// and during the walk, a second start request while one runs, and the result style and extension
// list changed under it. Run under AddressSanitizer and LeakSanitizer by the sanitizer build of
// the test script.
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <filesystem>

#include "tests/app/form_fixture.h"

namespace tanmira::test {
namespace {

constexpr int kFiles = 6;
const char kKeyword[] = "ファイル内検索";

class WindowStressTest : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        for (int i = 0; i < kFiles; ++i)
            Write("f" + std::to_string(i) + ".txt", kKeyword);
    }

    int ResultCount() const {
        return static_cast<int>(form_->Memo1->toPlainText().split('\n', Qt::SkipEmptyParts).size());
    }
};

// A stop ("中止") or a close at the k-th event processing of a run, for every k the run has.
TEST_F(WindowStressTest, StopOrCloseAtEveryPointOfARun) {
    for (const bool closing : {false, true}) {
        for (int k = 1; k <= kFiles; ++k) {
            SCOPED_TRACE((closing ? "close at " : "stop at ") + std::to_string(k));
            SetUp();
            DuringRun request(*form_, k, [this, closing] {
                if (closing)
                    form_->close();
                else
                    QTest::mouseClick(form_->Button3, Qt::LeftButton);
            });
            QTest::mouseClick(form_->Button2, Qt::LeftButton);
            EXPECT_FALSE(form_->Searching());
            if (closing) {
                EXPECT_FALSE(form_->isVisible());
                EXPECT_EQ(form_->State(), nullptr);
                continue;
            }
            EXPECT_EQ(ResultCount(), k - 1);
            EXPECT_TRUE(form_->Button2->isEnabled());
        }
    }
}

// A tree whose walk takes well over the walk's event interval: 8,000 folders, one hit.
class WalkStressTest : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        for (int i = 0; i < 40; ++i) {
            for (int j = 0; j < 200; ++j)
                std::filesystem::create_directories(Folder() + "/" + std::to_string(i) + "/" +
                                                    std::to_string(j));
        }
        Write("0/hit.txt", kKeyword);
        form_->CheckBox2->setChecked(true);  // "サブフォルダ含む"
    }

    // True while the status shows the walk's count rather than the file loop's "i / n".
    bool Walking() const { return !form_->StatusBar1->currentMessage().contains('/'); }
};

TEST_F(WalkStressTest, StopOrCloseDuringTheWalk) {
    for (const bool closing : {false, true}) {
        SCOPED_TRACE(closing ? "close" : "stop");
        SetUp();
        bool acted = false;
        DuringRun request(
            *form_, [this] { return Walking(); },
            [&] {
                acted = true;
                if (closing)
                    form_->close();
                else
                    QTest::mouseClick(form_->Button3, Qt::LeftButton);
            });
        BoxWatcher boxes;
        QTest::mouseClick(form_->Button2, Qt::LeftButton);
        ASSERT_TRUE(acted);
        EXPECT_FALSE(form_->Searching());
        EXPECT_EQ(boxes.seen.count, 0);
        if (closing) {
            EXPECT_FALSE(form_->isVisible());
            EXPECT_EQ(form_->State(), nullptr);
            continue;
        }
        EXPECT_TRUE(Walking());
        EXPECT_EQ(form_->Memo1->toPlainText(), "");
        EXPECT_TRUE(form_->Button2->isEnabled());
        // The next run walks the whole tree.
        QTest::mouseClick(form_->Button2, Qt::LeftButton);
        EXPECT_EQ(form_->Memo1->toPlainText(), "hit.txt\n");
    }
}

TEST_F(WalkStressTest, SecondStartRequestDuringTheWalkStartsNoSecondRun) {
    bool stillSearching = false;
    DuringRun again(
        *form_, [this] { return Walking(); },
        [&] {
            form_->Button2Click();
            stillSearching = form_->Searching();
        });
    QTest::mouseClick(form_->Button2, Qt::LeftButton);
    EXPECT_TRUE(stillSearching);
    EXPECT_EQ(form_->Memo1->toPlainText(), "hit.txt\n");
}

TEST_F(WindowStressTest, SecondStartRequestDuringARunStartsNoSecondRun) {
    bool stillSearching = false;
    std::string progressAfter;
    DuringRun again(*form_, 2, [&] {
        QTest::mouseClick(form_->Button2, Qt::LeftButton);
        QTest::keyClick(form_->Button2, Qt::Key_Space);
        form_->Button2->click();
        form_->Button2Click();  // as a queued click that got past the disabled button would
        stillSearching = form_->Searching();
        progressAfter = form_->ProgressText();  // painted or not
    });
    QTest::mouseClick(form_->Button2, Qt::LeftButton);
    EXPECT_TRUE(stillSearching);
    EXPECT_EQ(progressAfter, "0 / 6");  // no run went through the files meanwhile
    EXPECT_EQ(ResultCount(), kFiles);
    EXPECT_TRUE(form_->Button2->isEnabled());
}

TEST_F(WindowStressTest, ResultStyleAndExtensionListChangedAtEveryStep) {
    Write("other.dat", kKeyword);
    std::vector<std::unique_ptr<DuringRun>> steps;
    for (int k = 1; k <= kFiles + 1; ++k) {
        steps.push_back(std::make_unique<DuringRun>(*form_, k, [this, k] {
            QTest::mouseClick(form_->CheckBox1, Qt::LeftButton);  // "フルパス表示"
            if (k == 1)
                QTest::mouseClick(form_->Button4, Qt::LeftButton);  // clears the extension list
        }));
    }
    QTest::mouseClick(form_->Button2, Qt::LeftButton);
    // Every file passes once the list is empty, and the results follow the box's final state.
    EXPECT_EQ(ResultCount(), kFiles + 1);
    EXPECT_TRUE(form_->CheckBox1->isChecked());
    EXPECT_TRUE(form_->Memo1->toPlainText().startsWith(QString::fromStdString(Folder())));
    EXPECT_TRUE(form_->Memo2->toPlainText().isEmpty());
}

}  // namespace
}  // namespace tanmira::test
