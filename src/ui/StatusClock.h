#pragma once
// The status bar tick `Timer_Datetime` (every 1000 ms while the main window
// is visible): panel 0 shows "Datum: " with today's date and the time in the
// user's formats, panel 1 the time left until the window hides itself,
// "Aktiv für ca.: mm:ss Min.". At 02:00 left, while the window is meant to be
// visible, the tray warns once; at 00:00 the window is hidden and both
// auto-hide timers stop.
//
// The deadline is the main window's auto-close deadline (milliseconds of the
// platform clock); arming it sets it to now + 15 minutes. Time comes from
// GetPlatform().NowMs(), so tests run the countdown on a virtual clock.
#include <QLocale>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QLabel;
class Timer;

class TStatusClock {
public:
    static constexpr int TickInterval = 1000;
    static constexpr std::int64_t AutoHidePeriodMs = 15 * 60 * 1000;
    // The warning is given when this many seconds are left.
    static constexpr int WarningSeconds = 120;

    struct TLinks {
        QLabel* datePanel = nullptr;       // panel 0, "Datum:"
        QLabel* countdownPanel = nullptr;  // panel 1, "Aktiv ca.:"
        std::int64_t* deadline = nullptr;  // the auto-close deadline
        std::function<bool()> acVisible;   // "AC_Visible"
        // The tray's two-minute warning (shown once per run by the tray).
        std::function<void()> showWarning;
        std::function<void()> hideMainWindow;
        std::function<void()> stopCloseTimer;  // mCloseTimer_15min off
    };

    explicit TStatusClock(TLinks links);
    ~TStatusClock();

    TStatusClock(const TStatusClock&) = delete;
    TStatusClock& operator=(const TStatusClock&) = delete;

    Timer* Timer_Datetime() const { return timer_.get(); }

    // deadline := now + 15 minutes.
    void ArmDeadline();
    std::int64_t Deadline() const { return *links_.deadline; }
    // Milliseconds left until the deadline; never below 0.
    std::int64_t RemainingMs() const;

    // The tick.
    void Timer_DatetimeTimer();

    // "Aktiv für ca.: 14:59 Min." for the time left (minutes and seconds of
    // the hour; a time already past reads 00:00).
    static QString CountdownText(std::int64_t remainingMs);
    // "Datum: " + short date + ", " + long time, in the locale's formats.
    static QString DateText(std::int64_t nowMs, const QLocale& locale = QLocale());
    // The locale's long time format without the time-zone name.
    static QString LongTimeFormat(const QLocale& locale);
    // The user's short date format with the year in full (Qt's short
    // formats of many locales have two digits where the desktop's have
    // four); the status bar and the about box show dates alike.
    static QString ShortDateFormat(const QLocale& locale);
    // The least widths of the two panels; a longer text widens its panel.
    static constexpr int DatePanelWidth = 155;
    static constexpr int CountdownPanelWidth = 50;

private:
    static void SetPanelText(QLabel* panel, const QString& text, int leastWidth);

    TLinks links_;
    std::int64_t ownDeadline_ = 0;
    std::unique_ptr<Timer> timer_;
    // Seconds left at the previous tick (-1: none since the last arming), so
    // that a tick that comes late and skips 02:00 still warns.
    std::int64_t lastSeconds_ = -1;
};
