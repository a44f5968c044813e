#include "toolkit/qt/QtTimer.h"

QtTimer::QtTimer() {
    timer_.setInterval(interval_);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
        // A copy, so that a handler that replaces its own handler does not
        // pull the code from under itself.
        if (auto handler = handler_) handler();
    });
}

QtTimer::~QtTimer() { timer_.stop(); }

void QtTimer::Update() {
    if (enabled_ && interval_ > 0) {
        timer_.setInterval(interval_);
        timer_.start();  // (re)starts the full interval
    } else {
        timer_.stop();
    }
}

void QtTimer::SetInterval(int ms) {
    if (ms < 0) ms = 0;
    if (ms == interval_) return;
    interval_ = ms;
    Update();
}

int QtTimer::Interval() const { return interval_; }

void QtTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Update();
}

bool QtTimer::Enabled() const { return enabled_; }

void QtTimer::SetOnTimer(std::function<void()> handler) { handler_ = std::move(handler); }
