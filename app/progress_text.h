// The progress text of a search in the status bar: set for every file, painted at most about 30
// times a second, so that a run over many small files does not spend its time repainting.
#pragma once

#include <QElapsedTimer>
#include <string>

class QStatusBar;

namespace tanmira {

class ThrottledStatusText {
  public:
    explicit ThrottledStatusText(QStatusBar* bar) : bar_(bar) {}

    // Takes text as the latest value; shows it now when the last showing is old enough.
    void Set(const std::string& text);

    // Shows the latest value if it is not shown yet (the end of a run).
    void Flush();

    // The latest value, shown or not.
    const std::string& Latest() const { return latest_; }

  private:
    static constexpr qint64 kIntervalMs = 33;

    void Show();

    QStatusBar* bar_;
    std::string latest_;
    bool pending_ = false;
    QElapsedTimer sinceShown_;
};

}  // namespace tanmira
