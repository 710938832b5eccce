// TTimer: a periodic timer that leaves a running period undisturbed when a property is assigned
// the value it already has. It raises EOutOfResources (search/exceptions.h) when the system
// refuses a timer.
#pragma once

#include <functional>
#include <memory>

#include "search/exceptions.h"

namespace tanmira {

// Calls OnTimer every Interval milliseconds while Enabled, Interval is not 0 and a handler is set.
// Assigning a property its current value does nothing; assigning a different value stops the
// timer and, if it may run, starts it anew, so the next tick is one full Interval later.
// Subclasses supply the ticking itself.
class TTimer {
  public:
    virtual ~TTimer() = default;

    bool Enabled() const { return enabled_; }
    int Interval() const { return interval_; }

    // These raise EOutOfResources when the timer has to start and the system refuses it.
    void SetEnabled(bool enabled);
    void SetInterval(int milliseconds);
    void SetOnTimer(std::function<void()> handler);

  protected:
    // Starts ticking every milliseconds; false when the system refuses.
    virtual bool StartTicks(int milliseconds) = 0;
    virtual void StopTicks() = 0;

    // Called by the subclass on each tick.
    void Fire();

  private:
    void Update();

    bool enabled_ = false;
    int interval_ = 1000;
    std::function<void()> onTimer_;
};

// Makes a timer, owned by the caller, that ticks on the calling thread.
using TimerFactory = std::function<std::unique_ptr<TTimer>()>;

// Timers on top of QTimer.
TimerFactory QtTimerFactory();

}  // namespace tanmira
