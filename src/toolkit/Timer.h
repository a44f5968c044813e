#pragma once
// A window-message timer: fires its tick handler every Interval milliseconds
// while Enabled. Disabling and enabling again restarts the full interval.
// The Qt layer wraps QTimer; tests drive it from a virtual clock.
#include <functional>

class Timer {
public:
    virtual ~Timer() = default;
    virtual void SetInterval(int ms) = 0;
    virtual int Interval() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetOnTimer(std::function<void()> handler) = 0;
};
