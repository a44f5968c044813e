#include "ui/StatusClock.h"

#include <QDateTime>
#include <QLabel>
#include <algorithm>

#include "toolkit/Platform.h"
#include "toolkit/Timer.h"

TStatusClock::TStatusClock(TLinks links) : links_(std::move(links)) {
    if (!links_.deadline) links_.deadline = &ownDeadline_;
    timer_.reset(GetPlatform().CreateTimer());
    timer_->SetEnabled(false);
    timer_->SetInterval(TickInterval);
    timer_->SetOnTimer([this] { Timer_DatetimeTimer(); });
}

TStatusClock::~TStatusClock() { timer_->SetEnabled(false); }

void TStatusClock::ArmDeadline() {
    *links_.deadline = GetPlatform().NowMs() + AutoHidePeriodMs;
    lastSeconds_ = -1;
}

std::int64_t TStatusClock::RemainingMs() const {
    const std::int64_t remaining = *links_.deadline - GetPlatform().NowMs();
    return remaining > 0 ? remaining : 0;
}

QString TStatusClock::CountdownText(std::int64_t remainingMs) {
    const std::int64_t seconds = remainingMs > 0 ? remainingMs / 1000 : 0;
    const int minutesOfHour = static_cast<int>((seconds / 60) % 60);
    const int secondsOfMinute = static_cast<int>(seconds % 60);
    return QStringLiteral("Aktiv für ca.: %1:%2 Min.")
        .arg(minutesOfHour, 2, 10, QLatin1Char('0'))
        .arg(secondsOfMinute, 2, 10, QLatin1Char('0'));
}

QString TStatusClock::LongTimeFormat(const QLocale& locale) {
    // Qt's long time format ends in the time-zone name ("t"); the status bar
    // shows the time alone, as the desktop's own long time format does.
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (!quoted && c == QLatin1Char('t')) continue;
        out += c;
    }
    return out.simplified();
}

QString TStatusClock::ShortDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString TStatusClock::DateText(std::int64_t nowMs, const QLocale& locale) {
    const QDateTime now = QDateTime::fromMSecsSinceEpoch(nowMs).toLocalTime();
    return QStringLiteral("Datum: ") + locale.toString(now.date(), ShortDateFormat(locale)) +
           QStringLiteral(", ") + locale.toString(now.time(), LongTimeFormat(locale));
}

void TStatusClock::SetPanelText(QLabel* panel, const QString& text, int leastWidth) {
    if (!panel) return;
    panel->setText(text);
    const QMargins m = panel->contentsMargins();
    const int needed =
        panel->fontMetrics().horizontalAdvance(text) + m.left() + m.right() + 2 * panel->margin() + 4;
    panel->setMinimumWidth(std::max(leastWidth, needed));
}

void TStatusClock::Timer_DatetimeTimer() {
    const std::int64_t now = GetPlatform().NowMs();
    const std::int64_t remaining = RemainingMs();
    const std::int64_t seconds = remaining / 1000;
    const QString countdown = CountdownText(remaining);

    // The warning when 02:00 is left; also when a late tick went from above
    // 02:00 straight to below it.
    const bool reachesWarning =
        seconds == WarningSeconds || (lastSeconds_ > WarningSeconds && seconds < WarningSeconds);
    lastSeconds_ = seconds;
    if (reachesWarning && links_.acVisible && links_.acVisible() && links_.showWarning) links_.showWarning();

    // Within one update of the status bar: both texts, each panel as wide
    // as its text needs (never below its least width).
    QWidget* bar = links_.datePanel ? links_.datePanel->parentWidget() : nullptr;
    const bool updates = bar && bar->updatesEnabled();
    if (updates) bar->setUpdatesEnabled(false);
    SetPanelText(links_.datePanel, DateText(now), DatePanelWidth);
    SetPanelText(links_.countdownPanel, countdown, CountdownPanelWidth);
    if (updates) bar->setUpdatesEnabled(true);

    if (seconds == 0) {
        if (links_.hideMainWindow) links_.hideMainWindow();
        timer_->SetEnabled(false);
        if (links_.stopCloseTimer) links_.stopCloseTimer();
    }
}
