// The progress text of a search in the status bar.
#include "app/progress_text.h"

#include <QStatusBar>

#include "display/display_text.h"
#include "search/search_window.h"

namespace tanmira {

void ThrottledStatusText::Set(const std::string& text) {
    latest_ = text;
    count_.reset();
    pending_ = true;
    if (Due())
        Show();
}

void ThrottledStatusText::SetFileProgress(int file, int total) {
    count_.emplace(file, total);
    pending_ = true;
    if (Due())
        Show();
}

const std::string& ThrottledStatusText::Latest() const {
    if (count_)
        latest_ = FileProgressText(count_->first, count_->second);
    count_.reset();
    return latest_;
}

void ThrottledStatusText::Flush() {
    if (pending_)
        Show();
}

void ThrottledStatusText::Show() {
    bar_->showMessage(FromSystemText(Latest()));
    pending_ = false;
    sinceShown_.start();
}

}  // namespace tanmira
