// Fakes for the banner's tests: a clock that drives fake timers, and a browser that records what
// it is asked to load and reports completion only when the test says so.
#pragma once

#include <QString>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "banner/browser.h"
#include "banner/koukoku2.h"
#include "banner/koukoku_timer.h"
#include "search/exceptions.h"

// Lets test failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tanmira::testing {

class FakeClock;

class FakeTimer : public TTimer {
  public:
    explicit FakeTimer(FakeClock& clock);
    ~FakeTimer() override;

    bool active = false;
    long long due = 0;

    // One tick: the next is due one period later unless the handler restarts the timer.
    void Tick() {
        due += period_;
        Fire();
    }

  protected:
    bool StartTicks(int milliseconds) override;
    void StopTicks() override { active = false; }

  private:
    FakeClock& clock_;
    int period_ = 0;
};

class FakeClock {
  public:
    long long now = 0;
    bool refuse = false;  // the system refuses every timer started from now on
    std::vector<FakeTimer*> timers;

    TimerFactory Factory() {
        return [this]() -> std::unique_ptr<TTimer> { return std::make_unique<FakeTimer>(*this); };
    }

    // Lets milliseconds pass, running every tick that falls due, in time order.
    void Advance(long long milliseconds) {
        const long long end = now + milliseconds;
        for (;;) {
            FakeTimer* next = nullptr;
            for (FakeTimer* t : timers) {
                if (t->active && t->due <= end && (!next || t->due < next->due))
                    next = t;
            }
            if (!next)
                break;
            now = next->due;
            next->Tick();
        }
        now = end;
    }
};

inline FakeTimer::FakeTimer(FakeClock& clock) : clock_(clock) {
    clock_.timers.push_back(this);
}

inline FakeTimer::~FakeTimer() {
    std::erase(clock_.timers, this);
}

inline bool FakeTimer::StartTicks(int milliseconds) {
    if (clock_.refuse)
        return false;
    active = true;
    period_ = milliseconds;
    due = clock_.now + milliseconds;
    return true;
}

class FakeBrowser : public Browser {
  public:
    struct Navigation {
        long long time;
        QString address;
    };

    FakeBrowser(QWidget* parent, const FakeClock& clock)
        : widget_(new QWidget(parent)), clock_(clock) {}
    ~FakeBrowser() override { delete widget_; }

    void Navigate(const QString& address) override {
        if (refuse && refuse(address))
            throw Exception("refused: " + address.toStdString());
        navigations.push_back({clock_.now, address});
    }
    QString InnerText() const override { return text; }
    QWidget* Widget() override { return widget_; }

    void Complete(const QString& url) { onDocumentComplete(url); }
    void Fail(const QString& url, int httpStatus) { onLoadFailed(url, httpStatus); }

    // The addresses asked for, without the about:blank pages.
    std::vector<QString> Pages() const {
        std::vector<QString> pages;
        for (const auto& n : navigations) {
            if (n.address != "about:blank")
                pages.push_back(n.address);
        }
        return pages;
    }

    QString text;                                // what the current document holds
    std::function<bool(const QString&)> refuse;  // addresses whose Navigate raises
    std::vector<Navigation> navigations;

  private:
    QWidget* widget_;
    const FakeClock& clock_;
};

// A handler wrapper for a banner under test: what a handler raises is kept in errors.
inline Tkoukoku::HandlerGuard CollectingGuard(std::vector<std::string>& errors) {
    return [&errors](const std::function<void()>& handler) {
        try {
            handler();
        } catch (const std::exception& e) {
            errors.push_back(e.what());
        }
    };
}

}  // namespace tanmira::testing
