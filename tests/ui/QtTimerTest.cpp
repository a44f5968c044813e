#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "QtTestApp.h"
#include "toolkit/qt/QtTimer.h"

namespace {

// Serves the event loop until `done` holds or `limitMs` has passed.
template <class Pred>
bool RunUntil(Pred done, int limitMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    return done();
}

void RunFor(int ms) {
    RunUntil([] { return false; }, ms);
}

class QtTimerTest : public ::testing::Test {
protected:
    QtTimerTest() { EnsureQtTestApp(); }
};

TEST_F(QtTimerTest, FiresWhileEnabledOnly) {
    QtTimer timer;
    int ticks = 0;
    timer.SetOnTimer([&] { ++ticks; });
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000);
    timer.SetInterval(10);
    RunFor(50);
    EXPECT_EQ(ticks, 0);

    timer.SetEnabled(true);
    ASSERT_TRUE(RunUntil([&] { return ticks >= 3; }));  // repeats
    timer.SetEnabled(false);
    const int seen = ticks;
    RunFor(50);
    EXPECT_EQ(ticks, seen);
}

TEST_F(QtTimerTest, IntervalZeroNeverFires) {
    QtTimer timer;
    int ticks = 0;
    timer.SetOnTimer([&] { ++ticks; });
    timer.SetInterval(0);
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Enabled());
    RunFor(30);
    EXPECT_EQ(ticks, 0);
    timer.SetInterval(5);  // the enabled timer starts with a usable interval
    EXPECT_TRUE(RunUntil([&] { return ticks > 0; }));
}

TEST_F(QtTimerTest, ReEnablingRestartsTheFullInterval) {
    QtTimer timer;
    int ticks = 0;
    QElapsedTimer sinceRestart;
    qint64 firedAfter = -1;
    timer.SetOnTimer([&] {
        if (++ticks == 1) firedAfter = sinceRestart.elapsed();
    });
    timer.SetInterval(200);
    timer.SetEnabled(true);
    RunFor(120);
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    sinceRestart.start();
    timer.SetEnabled(true);  // enabling an enabled timer changes nothing
    ASSERT_TRUE(RunUntil([&] { return ticks > 0; }));
    EXPECT_GE(firedAfter, 180);  // coarse timers may fire up to 5 % early
}

TEST_F(QtTimerTest, HandlerMayFreeItsTimer) {
    auto* timer = new QtTimer();
    bool ran = false;
    timer->SetOnTimer([&] {
        ran = true;
        delete timer;
    });
    timer->SetInterval(5);
    timer->SetEnabled(true);
    EXPECT_TRUE(RunUntil([&] { return ran; }));
    RunFor(20);
}

}  // namespace
