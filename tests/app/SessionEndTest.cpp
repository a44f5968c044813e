#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <csignal>

#include "AppTestSupport.h"
#include "app/SessionEnd.h"

namespace {

class SessionEndTest : public ::testing::Test {
protected:
    SessionEndTest() { EnsureAppTestApplication(); }
};

TEST_F(SessionEndTest, TerminationSignalsEndTheRunningLoop) {
    for (int sig : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(sig);
        TSessionEnd end;
        EXPECT_FALSE(end.Requested());
        QTimer::singleShot(0, [sig] { ::raise(sig); });
        QTimer guard;
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        guard.start(5000);
        // The message loop itself, ended by the default handling.
        EXPECT_EQ(QCoreApplication::exec(), 0);
        EXPECT_TRUE(end.Requested());
        EXPECT_EQ(end.Signal(), sig);
    }
}

TEST_F(SessionEndTest, SignalBeforeTheLoopIsKeptAndHandledOnce) {
    TSessionEnd end;
    int ends = 0;
    end.SetOnEnd([&] { ++ends; });
    // During the start-up no loop runs; the request is remembered so that
    // the loop is not entered at all.
    ::raise(SIGTERM);
    ::raise(SIGHUP);
    ASSERT_TRUE(ServeUntil([&] { return end.Requested(); }));
    ServeUntil([] { return false; }, 30);
    ::raise(SIGINT);
    ServeUntil([] { return false; }, 30);
    EXPECT_EQ(ends, 1);
}

TEST_F(SessionEndTest, PreviousSignalHandlingComesBack) {
    struct sigaction before {};
    ::sigaction(SIGTERM, nullptr, &before);
    {
        TSessionEnd end;
        struct sigaction during {};
        ::sigaction(SIGTERM, nullptr, &during);
        EXPECT_NE(during.sa_handler, before.sa_handler);
    }
    struct sigaction after {};
    ::sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    // A second instance can be set up again.
    TSessionEnd again;
    ::raise(SIGTERM);
    EXPECT_TRUE(ServeUntil([&] { return again.Requested(); }));
}

}  // namespace
