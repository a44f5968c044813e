#pragma once
// A window-message timer over QTimer. Enabling (again) starts the full
// interval; changing the interval of an enabled timer restarts it. An
// interval of 0 fires never, even while the timer is enabled.
#include <QTimer>
#include <functional>

#include "toolkit/Timer.h"

class QtTimer : public Timer {
public:
    QtTimer();
    ~QtTimer() override;

    void SetInterval(int ms) override;
    int Interval() const override;
    void SetEnabled(bool enabled) override;
    bool Enabled() const override;
    void SetOnTimer(std::function<void()> handler) override;

private:
    void Update();

    QTimer timer_;
    int interval_ = 1000;
    bool enabled_ = false;
    std::function<void()> handler_;
};
