#include "app/SingleInstance.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QWidget>
#include <future>
#include <thread>

#include "AppTestSupport.h"

namespace {

using Outcome = TSingleInstance::Outcome;

template <class Pred>
bool ServeUntil(Pred done, int limitMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    return done();
}

class SingleInstanceTest : public ::testing::Test {
protected:
    SingleInstanceTest() { EnsureAppTestApplication(); }
    QTemporaryDir dir;
    QString folder() const { return dir.path(); }
};

TEST_F(SingleInstanceTest, SecondStartAsksTheRunningOneAndEnds) {
    TSingleInstance first("Tavrin", folder());
    ASSERT_EQ(first.Claim(), Outcome::First);
    int requests = 0;
    ASSERT_TRUE(first.Listen([&] { ++requests; }));

    // The second start runs as another process would: on its own thread,
    // without an application object, while the first serves its loop.
    auto second = std::async(std::launch::async, [&] {
        TSingleInstance other("Tavrin", folder());
        return other.Claim(2000);
    });
    ASSERT_TRUE(ServeUntil([&] { return requests == 1; }));
    EXPECT_EQ(second.get(), Outcome::OtherRunning);
    EXPECT_TRUE(first.Holding());

    // A third start after the second is served the same way.
    auto third = std::async(std::launch::async, [&] { return TSingleInstance("Tavrin", folder()).Claim(2000); });
    ASSERT_TRUE(ServeUntil([&] { return requests == 2; }));
    EXPECT_EQ(third.get(), Outcome::OtherRunning);
}

TEST_F(SingleInstanceTest, BusyOrStartingInstanceStillEndsTheSecondStartQuickly) {
    TSingleInstance first("Tavrin", folder());
    ASSERT_EQ(first.Claim(), Outcome::First);
    // Not listening yet (still starting): the lock alone decides.
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(TSingleInstance("Tavrin", folder()).Claim(100), Outcome::OtherRunning);
    EXPECT_LT(t.elapsed(), 2000);

    // Listening but not serving its loop: the request waits in the queue
    // and is served later.
    int requests = 0;
    ASSERT_TRUE(first.Listen([&] { ++requests; }));
    EXPECT_EQ(TSingleInstance("Tavrin", folder()).Claim(100), Outcome::OtherRunning);
    EXPECT_EQ(requests, 0);
    EXPECT_TRUE(ServeUntil([&] { return requests == 1; }));
}

TEST_F(SingleInstanceTest, LockFollowsTheInstancesLife) {
    {
        TSingleInstance first("Tavrin", folder());
        ASSERT_EQ(first.Claim(), Outcome::First);
        ASSERT_TRUE(first.Listen({}));
        // Other keys (other programs, other users' names) do not interfere.
        EXPECT_EQ(TSingleInstance("TavrinOther", folder()).Claim(), Outcome::First);
    }
    // The first instance has ended: the next start is the first again.
    TSingleInstance next("Tavrin", folder());
    EXPECT_EQ(next.Claim(), Outcome::First);
    EXPECT_TRUE(next.Listen({}));
}

TEST_F(SingleInstanceTest, StaleSocketOfACrashedInstanceIsReplaced) {
    TSingleInstance probe("Tavrin", folder());
    {
        QFile stale(probe.ServerPath());
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    ASSERT_EQ(probe.Claim(), Outcome::First);
    int requests = 0;
    ASSERT_TRUE(probe.Listen([&] { ++requests; }));
    auto second = std::async(std::launch::async, [&] { return TSingleInstance("Tavrin", folder()).Claim(2000); });
    ASSERT_TRUE(ServeUntil([&] { return requests == 1; }));
    EXPECT_EQ(second.get(), Outcome::OtherRunning);
}

TEST_F(SingleInstanceTest, ForeignTalkOnTheSocketIsIgnored) {
    TSingleInstance first("Tavrin", folder());
    ASSERT_EQ(first.Claim(), Outcome::First);
    int requests = 0;
    ASSERT_TRUE(first.Listen([&] { ++requests; }));
    for (const QByteArray& talk : {QByteArray("hello\n"), QByteArray(500, 'x'), QByteArray("rai")}) {
        QLocalSocket socket;
        socket.connectToServer(first.ServerPath());
        ASSERT_TRUE(socket.waitForConnected(1000));
        socket.write(talk);
        socket.flush();
        ServeUntil([] { return false; }, 50);
    }
    EXPECT_EQ(requests, 0);
}

TEST_F(SingleInstanceTest, MissingFolderLetsTheProgramStart) {
    TSingleInstance broken("Tavrin", folder() + "/missing");
    EXPECT_EQ(broken.Claim(), Outcome::Failed);
    EXPECT_FALSE(broken.Listen({}));
}

TEST_F(SingleInstanceTest, BringingForwardRestoresOrRaisesButLeavesTheTrayAlone) {
    QWidget window;
    window.resize(100, 100);

    BringWindowForward(&window);  // hidden in the tray: stays hidden
    EXPECT_TRUE(window.isHidden());
    window.setWindowState(Qt::WindowMinimized);
    BringWindowForward(&window);
    EXPECT_TRUE(window.isHidden());

    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    BringWindowForward(&window);
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());

    BringWindowForward(&window);  // visible: raised, still shown normally
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
    BringWindowForward(nullptr);
}

}  // namespace
