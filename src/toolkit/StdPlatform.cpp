#include "toolkit/StdPlatform.h"

#include <chrono>
#include <filesystem>
#include <thread>
#include <unistd.h>

#include "toolkit/Timer.h"

namespace {
// Without a message loop nothing can fire; the timer only keeps its state.
class InertTimer : public Timer {
public:
    void SetInterval(int ms) override { interval_ = ms; }
    int Interval() const override { return interval_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    bool Enabled() const override { return enabled_; }
    void SetOnTimer(std::function<void()> handler) override { handler_ = std::move(handler); }

private:
    int interval_ = 1000;
    bool enabled_ = false;
    std::function<void()> handler_;
};
}  // namespace

std::int64_t StdPlatform::NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void StdPlatform::SleepMs(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Timer* StdPlatform::CreateTimer() { return new InertTimer(); }

MsgResult StdPlatform::MessageBox(const std::string&, const std::string&, MsgButtons, MsgIcon) {
    return MsgResult::Ok;
}

void StdPlatform::Beep() {}

std::string StdPlatform::CurrentDir() {
    std::error_code ec;
    auto p = std::filesystem::current_path(ec);
    return ec ? std::string() : p.string();
}

std::string StdPlatform::ExecutablePath() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    buf[n] = '\0';
    return buf;
}
