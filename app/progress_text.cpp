// The progress text of a search in the status bar.
#include "app/progress_text.h"

#include <QStatusBar>

namespace tanmira {

void ThrottledStatusText::Set(const std::string& text) {
    latest_ = text;
    pending_ = true;
    if (!sinceShown_.isValid() || sinceShown_.elapsed() >= kIntervalMs)
        Show();
}

void ThrottledStatusText::Flush() {
    if (pending_)
        Show();
}

void ThrottledStatusText::Show() {
    bar_->showMessage(QString::fromLocal8Bit(latest_));
    pending_ = false;
    sinceShown_.start();
}

}  // namespace tanmira
