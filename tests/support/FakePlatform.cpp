#include "support/FakePlatform.h"

#include <algorithm>
#include <filesystem>
#include <limits>

FakeTimer::FakeTimer(FakePlatform* platform) : platform_(platform) {
    if (platform_) platform_->Register(this);
}

FakeTimer::~FakeTimer() {
    if (platform_) platform_->Unregister(this);
}

void FakeTimer::SetInterval(int ms) {
    interval_ = ms;
    if (enabled_ && platform_) dueAt_ = platform_->NowMs() + interval_;
}

void FakeTimer::SetEnabled(bool enabled) {
    if (enabled && !enabled_ && platform_) dueAt_ = platform_->NowMs() + interval_;
    enabled_ = enabled;
}

void FakeTimer::Fire() {
    if (!enabled_) return;
    if (platform_) dueAt_ = platform_->NowMs() + std::max(1, interval_);
    if (handler_) handler_();
}

FakePlatform::FakePlatform() {
    std::error_code ec;
    currentDir = std::filesystem::current_path(ec).string();
    executablePath = "/usr/bin/tavrin";
    SetPlatform(this);
}

FakePlatform::~FakePlatform() {
    for (FakeTimer* t : timers_) t->Detach();
    SetPlatform(nullptr);
}

void FakePlatform::Register(FakeTimer* t) { timers_.push_back(t); }

void FakePlatform::Unregister(FakeTimer* t) {
    timers_.erase(std::remove(timers_.begin(), timers_.end(), t), timers_.end());
}

Timer* FakePlatform::CreateTimer() { return new FakeTimer(this); }

MsgResult FakePlatform::MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                                   MsgIcon icon) {
    messages.push_back({text, caption, buttons, icon});
    if (onMessage) onMessage(messages.back());
    if (messageAnswers.empty()) return MsgResult::Ok;
    MsgResult r = messageAnswers.front();
    messageAnswers.pop_front();
    return r;
}

void FakePlatform::SleepMs(int ms) {
    Advance(std::max(0, ms));
    if (onSleep) onSleep(now_);
}

void FakePlatform::Advance(std::int64_t ms) {
    const std::int64_t end = now_ + ms;
    for (;;) {
        // The earliest enabled timer due within the step fires first.
        FakeTimer* next = nullptr;
        std::int64_t due = std::numeric_limits<std::int64_t>::max();
        for (FakeTimer* t : timers_)
            if (t->Enabled() && t->DueAt() <= end && t->DueAt() < due) {
                due = t->DueAt();
                next = t;
            }
        if (!next) break;
        now_ = std::max(now_, due);
        next->Fire();
    }
    now_ = end;
}

bool FakePlatform::GetOsVersion(TOsVersionInfo& info) {
    if (osVersionFails) return false;
    const std::uint32_t size = info.size;  // the caller's size field stays
    info = osVersion;
    info.size = size;
    return true;
}

bool FakePlatform::ReadOsVersionValue(const std::string& name, std::string& value) {
    auto it = osVersionValues.find(name);
    if (it == osVersionValues.end()) return false;
    value = it->second;
    return true;
}

int FakePlatform::GetSystemMetric(int index) {
    auto it = systemMetrics.find(index);
    return it == systemMetrics.end() ? 0 : it->second;
}

std::string FakePlatform::SpecialFolder(const std::string& name) {
    auto it = specialFolders.find(name);
    return it == specialFolders.end() ? std::string() : it->second;
}

bool FakePlatform::SaveLink(const TShellLink& link, const std::string& linkPath) {
    if (saveLinkFails) return false;
    savedLinks.push_back({link, linkPath});
    return true;
}
