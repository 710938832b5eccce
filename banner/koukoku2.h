// Tkoukoku: the advertising banner frame at the top of the main window. At start-up it fetches
// the advertisement list and then shows a page drawn at random from it every 30 seconds.
#pragma once

#include <QFrame>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

#include "banner/browser.h"
#include "banner/koukoku_timer.h"
#include "search/string_list.h"

namespace tanmira {

// The advertising-list address: http://HOST/soft/koukoku/koukokulist.txt, where HOST is the
// environment variable TANMIRA_AD_HOST when it is set and not empty, and this build's
// TANMIRA_AD_HOST otherwise.
QString DefaultAdListAddress();

class Tkoukoku : public QFrame {
    Q_OBJECT
  public:
    // A banner frame whose browser comes from factory (the real browser unless replaced) and whose
    // timers come from timers (QTimer unless replaced). The start-up timer runs from here on.
    explicit Tkoukoku(QWidget* parent, BrowserFactory factory = WebEngineBrowserFactory(),
                      TimerFactory timers = QtTimerFactory());
    ~Tkoukoku() override;

    // Places the browser at left inside the frame (the window's stored value), until the next
    // start-up or resize moves it.
    void SetBrowserLeft(int left);

    // Runs every handler of the banner, so that what a handler raises is reported; the
    // application passes its one handler wrapper. Without one, errors go to qWarning.
    using HandlerGuard = std::function<void(const std::function<void()>& handler)>;
    void SetHandlerGuard(HandlerGuard guard);

    // Fetches the list from host (and port) instead of this build's host; the scheme and the path
    // stay as they are. For tests against a local server; call before the start-up.
    void SetListHost(const QString& host);

    // Components.
    std::unique_ptr<TTimer> koukokutimer;  // rotation: each tick shows the next page
    std::unique_ptr<Browser> koukokuweb;   // fetches the list and shows the pages
    std::unique_ptr<TTimer> kidou;         // one-shot start-up
    std::unique_ptr<TTimer> saishutoku;    // one-shot retry of a list download that failed

    // Fields; all zero until the start-up.
    std::int32_t ListLoaded = 0;  // -1 once the list has been read
    std::int32_t LastIndex = 0;   // entry shown last; -5 before the first page
    std::unique_ptr<TStringList> AdList;
    std::int32_t BannerWidth = 0;
    std::int32_t BannerHeight = 0;
    std::int32_t IntervalSeconds = 0;

    // Handlers; each may raise, and the wiring reports what they raise.
    void kidouTimer();
    void koukokuwebDocumentComplete(const QString& url);
    void koukokuwebLoadFailed(const QString& url, int httpStatus);
    void koukokuwebPageTooLarge(const QString& address);
    void koukokutimerTimer();
    void saishutokuTimer();
    void FrameResize();
    void ReadAdList(TStringList& list);

    // The time between a failed list download and the next try.
    static constexpr int kRetryMilliseconds = 60000;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Runs a handler so that nothing it raises crosses a Qt frame.
    void Guarded(const std::function<void()>& handler);

    // Sets the width then the height of the frame, then lets the parent's layout give the frame
    // its aligned geometry again.
    void ResizeAligned(int width, int height);

    QString listAddress_;
    HandlerGuard guard_;
    QStringList tooLarge_;  // addresses not shown again until the list is read again
};

}  // namespace tanmira
