#include "ctl/ControlClient.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "control/RuntimeFolder.h"

namespace {

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class TFd {
public:
    explicit TFd(int fd) : fd_(fd) {}
    ~TFd() {
        if (fd_ >= 0) ::close(fd_);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

// Waits until `fd` is ready for `events` or the deadline passed.
bool WaitFor(int fd, short events, long long deadlineMs) {
    while (true) {
        const long long left = deadlineMs - NowMs();
        if (left <= 0) return false;
        pollfd p{fd, events, 0};
        const int rc = ::poll(&p, 1, static_cast<int>(left));
        if (rc > 0) return true;
        if (rc < 0 && errno != EINTR) return false;
    }
}

}  // namespace

TControlClient::TControlClient(std::string folder) : folder_(std::move(folder)) {}

bool TControlClient::ProgramRunning() const {
    return !folder_.empty() && TInstanceLock::HeldElsewhere(RuntimeFolder::LockPath(folder_));
}

TControlClient::TExchange TControlClient::Exchange(const std::string& line, long long deadlineMs,
                                                   TControlResult& result) const {
    const std::string path = RuntimeFolder::SocketPath(folder_);
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) return TExchange::NotConnected;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    TFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd.Get() < 0) return TExchange::NotConnected;
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return TExchange::NotConnected;
    // From here on the request may have reached the program: it is never
    // sent twice (a toggle would toggle again).

    const std::string request = line + '\n';
    std::size_t sent = 0;
    while (sent < request.size()) {
        if (!WaitFor(fd.Get(), POLLOUT, deadlineMs)) return TExchange::NoAnswer;
        const ssize_t n = ::send(fd.Get(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return TExchange::NoAnswer;
        sent += static_cast<std::size_t>(n);
    }
    ControlProtocol::TResultReader reader;
    char buffer[4096];
    while (!reader.Done()) {
        if (!WaitFor(fd.Get(), POLLIN, deadlineMs)) return TExchange::NoAnswer;
        const ssize_t n = ::recv(fd.Get(), buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return TExchange::NoAnswer;  // the program closed the connection
        if (!reader.Feed(std::string(buffer, static_cast<std::size_t>(n)))) return TExchange::NoAnswer;
    }
    result = reader.Result();
    return TExchange::Answered;
}

TControlResult TControlClient::Send(const ControlProtocol::TRequest& request, int timeoutMs) const {
    const long long deadline = NowMs() + timeoutMs;
    const std::string line = ControlProtocol::FormatRequest(request);
    TControlResult result =
        TControlResult::Failure(TControlCode::Unreachable, "Tavrin läuft nicht oder antwortet nicht");
    while (true) {
        TControlResult answer;
        const TExchange exchange = Exchange(line, deadline, answer);
        if (exchange == TExchange::Answered) {
            if (answer.code != TControlCode::NotReady) return answer;
            result = TControlResult::Failure(TControlCode::Unreachable, answer.message);
        } else if (exchange == TExchange::NoAnswer) {
            return TControlResult::Failure(TControlCode::Unreachable, "Tavrin hat nicht geantwortet");
        } else if (!ProgramRunning()) {
            return result;
        }
        // Starting, still searching its box, or busy: asked again.
        if (NowMs() + 100 >= deadline) return result;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}
