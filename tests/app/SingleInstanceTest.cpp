#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QWidget>
#include <future>
#include <thread>

#include "AppTestSupport.h"
#include "app/SingleInstance.h"

namespace {

using Outcome = TSingleInstance::Outcome;

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
    auto third =
        std::async(std::launch::async, [&] { return TSingleInstance("Tavrin", folder()).Claim(2000); });
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
    auto second =
        std::async(std::launch::async, [&] { return TSingleInstance("Tavrin", folder()).Claim(2000); });
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

// The lock never lies where another user could create and hold it.
TEST_F(SingleInstanceTest, TheLockFolderIsOneOnlyTheUserCanChange) {
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray savedCache = qgetenv("XDG_CACHE_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    const bool hadRuntime = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    const bool hadCache = qEnvironmentVariableIsSet("XDG_CACHE_HOME");
    const QString root = folder();
    auto mkdirMode = [](const QString& path, mode_t mode) {
        QDir().mkpath(path);
        ::chmod(QFile::encodeName(path).constData(), mode);
    };
    mkdirMode(root + "/run", 0700);
    mkdirMode(root + "/shared", 0777);
    mkdirMode(root + "/home", 0755);
    mkdirMode(root + "/xdgcache", 0755);
    mkdirMode(root + "/planted/tavrin", 0777);

    struct Case {
        const char* what;
        const char* runtime;  // null: unset
        const char* cache;    // null: unset
        QString expected;
    } cases[] = {
        {"the private runtime folder", "/run", nullptr, root + "/run"},
        {"no runtime folder: the user's cache", nullptr, nullptr, root + "/home/.cache/tavrin"},
        {"a runtime folder others may write to", "/shared", nullptr, root + "/home/.cache/tavrin"},
        {"the cache named by XDG_CACHE_HOME", nullptr, "/xdgcache", root + "/xdgcache/tavrin"},
        {"a cache folder others may write to", nullptr, "/planted", QString()},
    };
    qputenv("HOME", QFile::encodeName(root + "/home"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.runtime)
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root + c.runtime));
        else
            qunsetenv("XDG_RUNTIME_DIR");
        if (c.cache)
            qputenv("XDG_CACHE_HOME", QFile::encodeName(root + c.cache));
        else
            qunsetenv("XDG_CACHE_HOME");
        const QString got = TSingleInstance::DefaultFolder();
        EXPECT_EQ(got, c.expected);
        EXPECT_FALSE(got.startsWith(QDir::tempPath() + "/") && !got.startsWith(root));
        if (!got.isEmpty()) {
            QFileInfo info(got);
            EXPECT_TRUE(info.isDir());
            EXPECT_EQ(info.ownerId(), ::getuid());
            EXPECT_FALSE(info.permissions() & (QFile::WriteGroup | QFile::WriteOther));
        }
    }
    // Without such a folder the lock is not taken, and the reason is given.
    TSingleInstance none("Tavrin", QString());
    EXPECT_EQ(none.Claim(), Outcome::Failed);
    EXPECT_FALSE(none.LastError().isEmpty());

    qputenv("HOME", savedHome);
    if (hadRuntime)
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
    else
        qunsetenv("XDG_RUNTIME_DIR");
    if (hadCache)
        qputenv("XDG_CACHE_HOME", savedCache);
    else
        qunsetenv("XDG_CACHE_HOME");
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
