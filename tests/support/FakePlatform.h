#pragma once
// A scripted platform for tests: a virtual clock that advances only when the
// code sleeps or the test advances it, timers that fire from that clock,
// message boxes that answer from a script and are recorded.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "toolkit/Application.h"
#include "toolkit/Platform.h"
#include "toolkit/Timer.h"

class FakePlatform;

class FakeTimer : public Timer {
public:
    explicit FakeTimer(FakePlatform* platform);
    ~FakeTimer() override;
    void SetInterval(int ms) override;
    int Interval() const override { return interval_; }
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return enabled_; }
    void SetOnTimer(std::function<void()> handler) override { handler_ = std::move(handler); }

    std::int64_t DueAt() const { return dueAt_; }
    void Fire();  // runs the tick handler and schedules the next tick
    void Detach() { platform_ = nullptr; }

private:
    FakePlatform* platform_;
    int interval_ = 1000;
    bool enabled_ = false;
    std::int64_t dueAt_ = 0;
    std::function<void()> handler_;
};

struct ShownMessage {
    std::string text;
    std::string caption;
    MsgButtons buttons;
    MsgIcon icon;
};

class FakePlatform : public Platform {
public:
    FakePlatform();
    ~FakePlatform() override;

    // Installs itself as the platform for the lifetime of the object.
    std::int64_t NowMs() override { return now_; }
    void SleepMs(int ms) override;
    Timer* CreateTimer() override;
    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon icon) override;
    void Beep() override { ++beeps; }
    std::string CurrentDir() override { return currentDir; }
    std::string ExecutablePath() override { return executablePath; }

    // Operating system: the version record (osVersionFails makes the query
    // refuse), the values of the version key, system metrics, display text.
    bool GetOsVersion(TOsVersionInfo& info) override;
    bool ReadOsVersionValue(const std::string& name, std::string& value) override;
    std::string OsDisplayText() override { return osDisplayText; }
    int GetSystemMetric(int index) override;

    // Screens as scripted.
    TDesktopRect DesktopRect() override { return desktop; }
    std::vector<TRect> Monitors() override { return monitors; }
    TRect PrimaryScreenRect() override { return primaryScreen; }
    TRect WorkArea() override { return workArea; }

    // Special folders by name; links are recorded, not written.
    std::string SpecialFolder(const std::string& name) override;
    bool SaveLink(const TShellLink& link, const std::string& linkPath) override;
    std::string LinkFileExtension() override { return linkExtension; }

    // Moves the virtual clock on by ms, firing every timer that falls due,
    // in order of their due time.
    void Advance(std::int64_t ms);
    void SetNow(std::int64_t ms) { now_ = ms; }

    // Called after every sleep step (the message pump of a wait); tests use it
    // to let a simulated device react.
    std::function<void(std::int64_t now)> onSleep;

    // Called while a message box is shown (before it is answered), e.g. to
    // look at the windows as they are during the dialog.
    std::function<void(const ShownMessage&)> onMessage;
    std::deque<MsgResult> messageAnswers;  // next answers; OK when empty
    std::vector<ShownMessage> messages;
    int beeps = 0;
    std::string currentDir;
    std::string executablePath;

    TOsVersionInfo osVersion;  // all zero: an unknown system
    bool osVersionFails = false;
    std::map<std::string, std::string> osVersionValues;  // "CurrentVersion", "CurrentBuildNumber"
    std::map<int, int> systemMetrics;
    std::string osDisplayText;

    TDesktopRect desktop{0, 0, 1920, 1080};
    std::vector<TRect> monitors{TRect{0, 0, 1920, 1080}};
    TRect primaryScreen{0, 0, 1920, 1080};
    TRect workArea{0, 0, 1920, 1040};

    std::map<std::string, std::string> specialFolders;
    struct SavedLink {
        TShellLink link;
        std::string path;
    };
    std::vector<SavedLink> savedLinks;
    bool saveLinkFails = false;
    std::string linkExtension = ".desktop";

    // For FakeTimer.
    void Register(FakeTimer* t);
    void Unregister(FakeTimer* t);

private:
    std::int64_t now_ = 1'700'000'000'000;  // a fixed day in 2023
    std::vector<FakeTimer*> timers_;
};

class FakeApplication : public Application {
public:
    void ProcessMessages() override {
        ++processed;
        if (onProcess) onProcess();
    }
    std::string Title() const override { return title; }
    void SetTitle(const std::string& t) override { title = t; }

    int processed = 0;
    std::string title;
    std::function<void()> onProcess;
};
