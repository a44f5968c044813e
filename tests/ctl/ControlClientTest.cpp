// tavrinctl against a stand-in of the running program: a thread that holds
// the single-instance lock and answers on the socket as told. The client
// forwards the program's answer, asks again while the program is not ready,
// and never sends a request twice once it may have arrived.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "control/ControlProtocol.h"
#include "control/RuntimeFolder.h"
#include "ctl/ControlClient.h"
#include "ctl/CtlRun.h"

namespace {

using ControlProtocol::TRequest;
using ControlProtocol::TVerb;

class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/tavrinctl-test-XXXXXX";
        path_ = ::mkdtemp(pattern);
        ::chmod(path_.c_str(), 0700);
    }
    ~TempFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The stand-in: every connection's request line goes to `answer`, which
// returns what is sent back (empty: the connection is closed unanswered).
class FakeProgram {
public:
    FakeProgram(const std::string& folder, std::function<std::string(const std::string&)> answer)
        : answer_(std::move(answer)) {
        EXPECT_EQ(lock_.Take(RuntimeFolder::LockPath(folder)), TInstanceLock::TOutcome::Taken);
        listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = RuntimeFolder::SocketPath(folder);
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(listener_, 8), 0);
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeProgram() {
        stop_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        thread_.join();
        ::close(listener_);
    }
    std::vector<std::string> Requests() {
        std::lock_guard<std::mutex> guard(mutex_);
        return requests_;
    }

private:
    void Serve() {
        while (!stop_) {
            const int fd = ::accept(listener_, nullptr, nullptr);
            if (fd < 0) return;
            std::string line;
            char c = 0;
            while (::read(fd, &c, 1) == 1 && c != '\n') line += c;
            {
                std::lock_guard<std::mutex> guard(mutex_);
                requests_.push_back(line);
            }
            const std::string reply = answer_(line);
            if (!reply.empty()) (void)!::write(fd, reply.data(), reply.size());
            ::close(fd);
        }
    }

    TInstanceLock lock_;
    int listener_ = -1;
    std::function<std::string(const std::string&)> answer_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

std::string Answer(TControlCode code, const std::string& message = {}) {
    TControlResult result = TControlResult::Failure(code, message);
    if (code == TControlCode::Done) result.sockets = {{5, "Lampe", true, false, false}};
    return ControlProtocol::FormatResult(result);
}

TRequest On5() { return TRequest{TVerb::On, {"5"}}; }

TEST(ControlClient, ForwardsTheProgramsAnswer) {
    TempFolder folder;
    FakeProgram program(folder.Path(), [](const std::string&) { return Answer(TControlCode::Done); });
    const TControlClient client(folder.Path());
    ASSERT_TRUE(client.ProgramRunning());
    const TControlResult result = client.Send(On5(), 2000);
    EXPECT_TRUE(result.Ok());
    ASSERT_EQ(result.sockets.size(), 1u);
    EXPECT_EQ(result.sockets[0].name, "Lampe");
    EXPECT_EQ(program.Requests(), std::vector<std::string>{"TAVRIN/1 on 5"});
}

TEST(ControlClient, AsksAgainWhileTheProgramIsNotReady) {
    TempFolder folder;
    std::atomic<int> calls{0};
    FakeProgram program(folder.Path(), [&](const std::string&) {
        return ++calls < 3 ? Answer(TControlCode::NotReady, "Tavrin sucht noch die Box")
                           : Answer(TControlCode::Done);
    });
    EXPECT_TRUE(TControlClient(folder.Path()).Send(On5(), 5000).Ok());
    EXPECT_EQ(program.Requests().size(), 3u);
}

TEST(ControlClient, ARequestThatMayHaveArrivedIsNeverSentTwice) {
    TempFolder folder;
    FakeProgram program(folder.Path(), [](const std::string&) { return std::string(); });  // no answer
    const TControlResult result = TControlClient(folder.Path()).Send(TRequest{TVerb::Toggle, {"5"}}, 2000);
    EXPECT_EQ(result.code, TControlCode::Unreachable);
    EXPECT_EQ(program.Requests().size(), 1u);
}

TEST(ControlClient, NoProgramIsUnreachable) {
    TempFolder folder;
    const TControlClient client(folder.Path());
    EXPECT_FALSE(client.ProgramRunning());
    EXPECT_EQ(client.Send(On5(), 2000).code, TControlCode::Unreachable);
    // A program that holds its lock but does not listen yet: asked until the time is up.
    TInstanceLock lock;
    ASSERT_EQ(lock.Take(RuntimeFolder::LockPath(folder.Path())), TInstanceLock::TOutcome::Taken);
    EXPECT_TRUE(client.ProgramRunning());
    EXPECT_EQ(client.Send(On5(), 300).code, TControlCode::Unreachable);
}

TEST(ControlClient, CycleSwitchesOffThenOnAndStopsWhenTheOffFails) {
    struct Case {
        TControlCode offAnswer;
        std::vector<std::string> requests;
        int status;
    };
    const Case cases[] = {
        {TControlCode::Done, {"TAVRIN/1 off 3", "TAVRIN/1 on 3"}, 0},
        {TControlCode::NoAnswer, {"TAVRIN/1 off 3"}, 3},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        FakeProgram program(folder.Path(), [&c](const std::string& line) {
            return line.find(" off ") != std::string::npos ? Answer(c.offAnswer, "x")
                                                           : Answer(TControlCode::Done);
        });
        std::ostringstream out, err;
        const int status = RunCtl(ParseCtlArguments({"cycle", "3", "--off-seconds", "0"}),
                                  TCtlEnvironment{folder.Path(), folder.Path()}, out, err);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(program.Requests(), c.requests);
    }
}

TEST(ControlClient, WindowCommandsNeedTheRunningProgram) {
    TempFolder folder;
    std::ostringstream out, err;
    EXPECT_EQ(RunCtl(ParseCtlArguments({"show"}), TCtlEnvironment{folder.Path(), folder.Path()}, out, err),
              2);
    EXPECT_NE(err.str().find("Tavrin läuft nicht"), std::string::npos);
}

}  // namespace
