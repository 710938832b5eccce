// Fakes for the banner's tests: a clock that drives fake timers (the browser that records what it
// is asked to load is the test support's FakeBrowser).
#pragma once

#include <QString>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "banner/koukoku2.h"
#include "banner/koukoku_timer.h"
#include "tests/support/fake_browser.h"

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

    // Reads the time, for a FakeBrowser to record with its navigations.
    std::function<long long()> Reader() const {
        return [this] { return now; };
    }

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
