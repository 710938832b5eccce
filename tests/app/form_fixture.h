// Helpers of the window tests: a form on a temporary folder (with the fake banner browser),
// actions run from inside a search's event processing, and a reader of error boxes.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/Unit1.h"
#include "banner/browser.h"
#include "tests/support/fake_browser.h"
#include "tests/support/temp_tree.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace tanmira::test {

using testing::FakeBrowserFactory;

// Runs action the k-th time the file loop of a running search of form lets events through (k
// from 1), that is before file k-1 is tested, however many times the walk let events through
// first: the loop shows "i / n" after letting events through before file i. k = 1 is the first
// time of the run, in the walk or before the first file: either way before any file is tested.
class DuringRun : public QObject {
  public:
    DuringRun(const TForm1& form, int k, std::function<void()> action)
        : DuringRun(
              form,
              [&form, k] {
                  return k == 1 || form.ProgressText().starts_with(std::to_string(k - 2) + " / ");
              },
              std::move(action)) {}

    // Runs action the first time a running search lets events through while when() holds.
    DuringRun(const TForm1& form, std::function<bool()> when, std::function<void()> action)
        : form_(form), when_(std::move(when)), action_(std::move(action)) {
        Post();
    }

  protected:
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        if (form_.Searching() && when_()) {
            action_();
            return true;
        }
        // Posted again: handled at the next event processing, not within this one.
        Post();
        return true;
    }

  private:
    void Post() { QCoreApplication::postEvent(this, new QEvent(QEvent::User)); }

    const TForm1& form_;
    std::function<bool()> when_;
    std::function<void()> action_;
};

// What an error box showed.
struct SeenBox {
    int count = 0;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
};

// Watches for modal message boxes while it lives, records each and presses its OK button.
class BoxWatcher {
  public:
    BoxWatcher() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            ++seen.count;
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.icon = box->icon();
            seen.buttons = static_cast<int>(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        });
        timer_.start();
    }
    SeenBox seen;

  private:
    QTimer timer_;
};

// A shown main window on a fresh temporary folder.
class FormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        form_ = std::make_unique<TForm1>(FakeBrowserFactory());
        form_->show();
        form_->DirectoryListBox1->SetDirectory(Folder());
        // The test files are written in UTF-8 unless a test says otherwise.
        form_->ComboBox1->setCurrentIndex(2);
    }

    std::string Folder() const { return tree_.Root(); }
    // The path of name as the search lists it.
    std::string Listed(const std::string& name) const {
        return form_->DirectoryListBox1->Directory() + "/" + name;
    }
    void Write(const std::string& name, const std::string& bytes) { tree_.File(name, bytes); }

    testing::TempTree tree_;
    std::unique_ptr<TForm1> form_;
};

}  // namespace tanmira::test
