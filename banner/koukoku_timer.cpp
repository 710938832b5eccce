// TTimer on top of QTimer.
#include "banner/koukoku_timer.h"

#include <QTimer>

namespace tanmira {

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Update();
}

void TTimer::SetInterval(int milliseconds) {
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    Update();
}

void TTimer::SetOnTimer(std::function<void()> handler) {
    onTimer_ = std::move(handler);
    Update();
}

void TTimer::Fire() {
    if (onTimer_)
        onTimer_();
}

void TTimer::Update() {
    StopTicks();
    if (!enabled_ || interval_ <= 0 || !onTimer_)
        return;
    if (!StartTicks(interval_))
        throw EOutOfResources();
}

namespace {

class QtTimer : public TTimer {
  public:
    QtTimer() {
        // Coarse timers may drift by 5 %, which would make a 30-second period visibly uneven.
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Fire(); });
    }

  protected:
    bool StartTicks(int milliseconds) override {
        timer_.start(milliseconds);
        return timer_.isActive();
    }
    void StopTicks() override { timer_.stop(); }

  private:
    QTimer timer_;
};

}  // namespace

TimerFactory QtTimerFactory() {
    return []() -> std::unique_ptr<TTimer> { return std::make_unique<QtTimer>(); };
}

}  // namespace tanmira
