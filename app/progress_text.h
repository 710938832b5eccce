// The progress text of a search in the status bar: set for every file, painted at most about 30
// times a second, so that a run over many small files does not spend its time repainting.
#pragma once

#include <QElapsedTimer>
#include <optional>
#include <string>
#include <utility>

class QStatusBar;

namespace tanmira {

class ThrottledStatusText {
  public:
    explicit ThrottledStatusText(QStatusBar* bar) : bar_(bar) {}

    // Takes text as the latest value; shows it now when the last showing is old enough.
    void Set(const std::string& text);

    // Takes the file loop's FileProgressText as the latest value, built only when it is shown
    // or asked for: the loop sets one for every file.
    void SetFileProgress(int file, int total);

    // Shows the latest value if it is not shown yet (the end of a run).
    void Flush();

    // The latest value, shown or not.
    const std::string& Latest() const;

  private:
    static constexpr qint64 kIntervalMs = 33;

    // Whether a value set now is shown at once.
    bool Due() const { return !sinceShown_.isValid() || sinceShown_.elapsed() >= kIntervalMs; }
    void Show();

    QStatusBar* bar_;
    mutable std::string latest_;
    // The latest value is this file count, its text not built yet.
    mutable std::optional<std::pair<int, int>> count_;
    bool pending_ = false;
    QElapsedTimer sinceShown_;
};

}  // namespace tanmira
