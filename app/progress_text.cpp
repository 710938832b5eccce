// The progress text of a search in the status bar.
#include "app/progress_text.h"

#include <QStatusBar>

#include "display/display_text.h"

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
    bar_->showMessage(FromSystemText(latest_));
    pending_ = false;
    sinceShown_.start();
}

}  // namespace tanmira
