// The status-bar clock and the auto-hide countdown on the virtual clock:
// the panel texts, the two-minute warning, hiding at 00:00, and which
// activities restart the period.
#include <QDateTime>
#include <QLayout>
#include <QMouseEvent>
#include <QRegularExpression>

#include "TrayFixture.h"

namespace {

using StatusClockTest = TrayFixture;

TEST(StatusClockText, CountdownReadsMinutesAndSecondsOfTheHour) {
    struct Case {
        std::int64_t remainingMs;
        const char* text;
    };
    const Case cases[] = {
        {15 * 60 * 1000, "Aktiv für ca.: 15:00 Min."},
        {14 * 60 * 1000 + 30 * 1000, "Aktiv für ca.: 14:30 Min."},
        {14 * 60 * 1000 + 59 * 1000 + 999, "Aktiv für ca.: 14:59 Min."},  // the fraction is dropped
        {2 * 60 * 1000, "Aktiv für ca.: 02:00 Min."},
        {999, "Aktiv für ca.: 00:00 Min."},
        {0, "Aktiv für ca.: 00:00 Min."},
        {-5000, "Aktiv für ca.: 00:00 Min."},                  // already past
        {61 * 60 * 1000 + 5000, "Aktiv für ca.: 01:05 Min."},  // hours dropped
    };
    for (const Case& c : cases)
        EXPECT_EQ(TStatusClock::CountdownText(c.remainingMs), QString::fromUtf8(c.text)) << c.remainingMs;
}

TEST(StatusClockText, DateInTheLocalesShortDateAndLongTimeWithoutZone) {
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(TStatusClock::LongTimeFormat(german), QStringLiteral("HH:mm:ss"));
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_FALSE(TStatusClock::LongTimeFormat(us).contains(QLatin1Char('t')));
    EXPECT_TRUE(TStatusClock::LongTimeFormat(us).contains(QStringLiteral("ss")));

    const std::int64_t at = QDateTime(QDate(2024, 3, 7), QTime(9, 5, 3)).toMSecsSinceEpoch();
    // The year in full, as the about box shows it.
    EXPECT_EQ(TStatusClock::DateText(at, german), QStringLiteral("Datum: 07.03.2024, 09:05:03"));
    EXPECT_EQ(TStatusClock::ShortDateFormat(german), QStringLiteral("dd.MM.yyyy"));
    EXPECT_TRUE(TStatusClock::DateText(at, us).contains(QStringLiteral("3/7/2024")));
}

// Each panel is as wide as its text (the seconds under the C locale, "AM"
// under en_US), never narrower than 155 and 50 pixels.
TEST_F(StatusClockTest, PanelsAreWideEnoughForTheirTexts) {
    const QLocale saved;
    const QLocale locales[] = {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                               QLocale(QLocale::German, QLocale::Germany)};
    window->show();
    for (const QLocale& locale : locales) {
        SCOPED_TRACE(locale.name().toStdString());
        QLocale::setDefault(locale);
        ShowByTray();
        platform.Advance(1000);
        window->layout()->activate();
        QCoreApplication::processEvents();
        for (int i = 0; i < 2; ++i) {
            QLabel* panel = view->StatusPanel(i);
            SCOPED_TRACE(panel->text().toStdString());
            EXPECT_GE(panel->width(), panel->fontMetrics().horizontalAdvance(panel->text()));
            EXPECT_GE(panel->width(), i == 0 ? 155 : 50);
        }
        const int year = QDateTime::fromMSecsSinceEpoch(platform.NowMs()).date().year();
        EXPECT_TRUE(view->StatusPanel(0)->text().contains(QString::number(year)));  // four digits
    }
    QLocale::setDefault(saved);
}

TEST_F(StatusClockTest, PanelsFollowTheVirtualClock) {
    ShowByTray();
    EXPECT_EQ(deadline, platform.NowMs() + 15 * 60 * 1000);
    EXPECT_EQ(Countdown(), QStringLiteral("Aktiv ca.:"));  // before the first tick

    platform.Advance(30 * 1000);
    EXPECT_EQ(Countdown(), QStringLiteral("Aktiv für ca.: 14:30 Min."));
    const QRegularExpression date(QStringLiteral("^Datum: .+, .+$"));
    EXPECT_TRUE(date.match(view->StatusPanel(0)->text()).hasMatch())
        << view->StatusPanel(0)->text().toStdString();
    EXPECT_EQ(view->StatusPanel(0)->text(), TStatusClock::DateText(platform.NowMs()));
}

TEST_F(StatusClockTest, WarnsOnceAtTwoMinutesWhileMeantVisible) {
    ShowByTray();
    platform.Advance(13 * 60 * 1000 - 1000);
    EXPECT_TRUE(balloons.empty());
    platform.Advance(1000);  // 02:00
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_EQ(balloons[0].title, QStringLiteral("ACHTUNG !!!"));
    EXPECT_EQ(balloons[0].text, QStringLiteral(" Der Tavrin\rschließt sich in 2 Min."));
    EXPECT_EQ(balloons[0].timeout, 30000);
    EXPECT_EQ(tray->TrayIconTag(), 1);

    // Rearmed and counted down through 02:00 again: no second balloon.
    placement->set_Timer_Close_at_15_Minutes_new();
    platform.Advance(13 * 60 * 1000 + 5000);
    EXPECT_EQ(Countdown(), QStringLiteral("Aktiv für ca.: 01:55 Min."));
    EXPECT_EQ(balloons.size(), 1u);
}

TEST_F(StatusClockTest, NoWarningWhileNotMeantVisible) {
    ShowByTray();
    Holder().setValueBoolean("AC_Visible", false);
    platform.Advance(13 * 60 * 1000 + 1000);
    EXPECT_TRUE(balloons.empty());
    EXPECT_EQ(tray->TrayIconTag(), 0);
}

TEST_F(StatusClockTest, ALateTickThatSkipsTwoMinutesStillWarns) {
    ShowByTray();
    Tick()->SetEnabled(false);  // ticks by hand, at uneven times
    platform.SetNow(deadline - 121 * 1000);
    clock->Timer_DatetimeTimer();
    EXPECT_TRUE(balloons.empty());
    platform.SetNow(deadline - 119 * 1000 - 500);
    clock->Timer_DatetimeTimer();
    EXPECT_EQ(balloons.size(), 1u);
    EXPECT_EQ(Countdown(), QStringLiteral("Aktiv für ca.: 01:59 Min."));
}

TEST_F(StatusClockTest, AtZeroTheWindowHidesAndBothTimersStop) {
    ShowByTray();
    ASSERT_TRUE(window->isVisible());
    ASSERT_TRUE(CloseTimer()->Enabled());
    platform.Advance(15 * 60 * 1000 - 1000);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Countdown(), QStringLiteral("Aktiv für ca.: 00:01 Min."));

    platform.Advance(1000);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(Tick()->Enabled());
    EXPECT_FALSE(CloseTimer()->Enabled());
    EXPECT_EQ(Countdown(), QStringLiteral("Aktiv für ca.: 00:00 Min."));
    EXPECT_EQ(realCloses, 0);  // the program keeps running in the tray

    // Hidden: the status bar keeps its last texts.
    platform.Advance(10 * 1000);
    EXPECT_EQ(Countdown(), QStringLiteral("Aktiv für ca.: 00:00 Min."));
}

TEST_F(StatusClockTest, ATickFarPastTheDeadlineStillHides) {
    ShowByTray();
    Tick()->SetEnabled(false);
    platform.SetNow(deadline + 3 * 60 * 60 * 1000);  // e.g. after a suspend
    clock->Timer_DatetimeTimer();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Countdown(), QStringLiteral("Aktiv für ca.: 00:00 Min."));
}

TEST_F(StatusClockTest, SwitchingRestartsThePeriodMovingTheMouseDoesNot) {
    ShowByTray();
    platform.Advance(14 * 60 * 1000 + 30 * 1000);
    EXPECT_EQ(Countdown(), QStringLiteral("Aktiv für ca.: 00:30 Min."));

    // The mouse over the window stores the position, nothing more.
    QMouseEvent move(QEvent::MouseMove, QPointF(20, 20), QPointF(20, 20), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &move);
    platform.Advance(1000);
    EXPECT_EQ(Countdown(), QStringLiteral("Aktiv für ca.: 00:29 Min."));

    // Switching a socket restarts the countdown and the close timer.
    placement->set_Timer_Close_at_15_Minutes_new();
    EXPECT_EQ(deadline, platform.NowMs() + 15 * 60 * 1000);
    platform.Advance(1000);
    EXPECT_EQ(Countdown(), QStringLiteral("Aktiv für ca.: 14:59 Min."));
    platform.Advance(14 * 60 * 1000);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(CloseTimer()->Enabled());
    platform.Advance(60 * 1000);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(StatusClockTest, WithTheCloseTimerOffSwitchingStillExtendsTheCountdown) {
    ShowByTray();
    CloseTimer()->SetEnabled(false);  // e.g. auto-hide unticked in the settings
    platform.Advance(14 * 60 * 1000);
    placement->set_Timer_Close_at_15_Minutes_new();
    EXPECT_EQ(deadline, platform.NowMs() + 15 * 60 * 1000);
    EXPECT_FALSE(CloseTimer()->Enabled());
    platform.Advance(2 * 60 * 1000);
    EXPECT_TRUE(window->isVisible());

    // Hidden (countdown stopped): nothing changes.
    actions->Action_AC_Prg_Hide()->trigger();
    const std::int64_t before = deadline;
    platform.Advance(1000);
    placement->set_Timer_Close_at_15_Minutes_new();
    EXPECT_EQ(deadline, before);
}

}  // namespace
