// The running program's socket as scripts and strangers reach it: requests
// answered in order, and garbage, oversized requests, another user, idle
// connections and a flood of connections refused while the program goes on
// serving. Clients are plain sockets on their own threads, as other
// processes would be.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <future>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "app/ControlChannel.h"
#include "app/SingleInstance.h"
#include "control/ControlProtocol.h"

namespace {

int Connect(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    timeval timeout{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return fd;
}

// Everything the program sends until it closes the connection (or 5 s pass).
std::string ReadAll(int fd) {
    std::string got;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) got.append(buffer, static_cast<std::size_t>(n));
    return got;
}

// Sends `bytes` on a new connection and reads answers until `answers` blocks came.
std::string Exchange(const std::string& path, const std::string& bytes, int answers = 1) {
    const int fd = Connect(path);
    if (fd < 0) return "no connection: " + std::string(std::strerror(errno));
    // A refused client can find the connection closed before it sends: the
    // refusal is still there to read, and the broken pipe must not end it.
    (void)!::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    std::string got;
    char buffer[512];
    ssize_t n;
    auto blocks = [&got] {
        int count = 0;
        for (std::size_t at = got.find("end\n"); at != std::string::npos; at = got.find("end\n", at + 1))
            ++count;
        return count;
    };
    // No answer block expected: everything until the program closes.
    while ((answers == 0 || blocks() < answers) && (n = ::read(fd, buffer, sizeof buffer)) > 0)
        got.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return got;
}

TControlCode CodeOf(const std::string& block) {
    ControlProtocol::TResultReader reader;
    reader.Feed(block);
    return reader.Done() ? reader.Result().code : static_cast<TControlCode>(-1);
}

class ControlChannelTest : public ::testing::Test {
protected:
    ControlChannelTest() {
        EnsureAppTestApplication();
        EXPECT_EQ(instance.Claim(), TSingleInstance::Outcome::First);
        EXPECT_TRUE(instance.Listen([this] { ++raised; }));
        instance.Channel().SetHandler([this](const std::string& line, TControlChannel::TReply reply) {
            lines.push_back(line);
            TControlResult result;
            const ControlProtocol::TParsed parsed = ControlProtocol::ParseRequest(line);
            if (!parsed.request) result = parsed.error;
            reply(ControlProtocol::FormatResult(result));
        });
    }
    std::string Path() const { return instance.ServerPath().toStdString(); }
    std::string Run(const std::string& bytes, int answers = 1) {
        auto client = std::async(std::launch::async,
                                 [this, bytes, answers] { return Exchange(Path(), bytes, answers); });
        EXPECT_TRUE(ServeUntil(
            [&] { return client.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
        return client.get();
    }

    QTemporaryDir dir;
    TSingleInstance instance{QStringLiteral("Tavrin"), dir.path()};
    std::vector<std::string> lines;
    int raised = 0;
};

TEST_F(ControlChannelTest, RequestsOfOneConnectionAreAnsweredInOrder) {
    const std::string got = Run("TAVRIN/1 status\nTAVRIN/1 on 5\n", 2);
    EXPECT_EQ(lines, (std::vector<std::string>{"TAVRIN/1 status", "TAVRIN/1 on 5"}));
    EXPECT_EQ(got, "TAVRIN/1 0 \nend\nTAVRIN/1 0 \nend\n");
    // A later start of the program still finds it.
    EXPECT_EQ(Run("raise\n", 0), "ok\n");
    EXPECT_EQ(raised, 1);
}

TEST_F(ControlChannelTest, GarbageAndOversizedRequestsGetAnErrorAndTheProgramGoesOn) {
    EXPECT_EQ(CodeOf(Run(std::string("\x01\xfe\xff garbage\n"))), TControlCode::Usage);
    const std::string oversized = Run(std::string(5000, 'x'));
    EXPECT_EQ(CodeOf(oversized), TControlCode::Usage);
    EXPECT_NE(oversized.find("Anfrage%20zu%20lang"), std::string::npos);
    // An oversized line is never handed on.
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_EQ(CodeOf(Run("TAVRIN/1 status\n")), TControlCode::Done);
}

TEST_F(ControlChannelTest, IdleConnectionsAreClosedAndAFloodIsBounded) {
    instance.Channel().SetIdleMs(300);
    // More connections than the program serves at once, none of them sending.
    std::vector<std::future<std::string>> idle;
    for (int i = 0; i < TControlChannel::kMaxConnections + 4; ++i)
        idle.push_back(std::async(std::launch::async, [this] {
            const int fd = Connect(Path());
            if (fd < 0) return std::string("no connection");
            const std::string got = ReadAll(fd);
            ::close(fd);
            return got;
        }));
    // Every one of them ends (closed at once or after its idle time) with no answer.
    for (auto& client : idle) {
        ASSERT_TRUE(ServeUntil(
            [&] { return client.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
        EXPECT_EQ(client.get(), "");
    }
    EXPECT_TRUE(ServeUntil([&] { return instance.Channel().Connections() == 0; }));
    EXPECT_EQ(CodeOf(Run("TAVRIN/1 status\n")), TControlCode::Done);
}

TEST_F(ControlChannelTest, AnotherUserIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to connect as another user";
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    // The socket reachable for everybody, as a mistaken set-up would leave it:
    // the peer's credentials still decide.
    ::chmod(dir.path().toLocal8Bit().constData(), 0755);
    ::chmod(Path().c_str(), 0777);
    const std::string path = Path();  // named after the user: taken before the change of user
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) ::_exit(2);
        const std::string got = Exchange(path, "TAVRIN/1 on 5\n");
        (void)!::write(pipeFds[1], got.data(), got.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    int status = 0;
    bool ended = false;
    ASSERT_TRUE(ServeUntil([&] { return ended || (ended = ::waitpid(child, &status, WNOHANG) == child); }));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    const std::string got = ReadAll(pipeFds[0]);
    ::close(pipeFds[0]);
    EXPECT_EQ(CodeOf(got), TControlCode::Unreachable) << got;
    EXPECT_TRUE(lines.empty());  // never handed on
}

}  // namespace
