#pragma once
// tavrinctl's side of the running program's local socket.
#include <string>

#include "control/ControlProtocol.h"

class TControlClient {
public:
    // `folder` holds the program's lock and socket (RuntimeFolder::Default()).
    explicit TControlClient(std::string folder);

    // A Tavrin of this user runs (it holds the single-instance lock).
    bool ProgramRunning() const;
    // Sends one request and waits for its answer, at most `timeoutMs` in
    // all. While the program answers "not ready" (it is still searching its
    // box) the request is sent again. Unreachable when no program answers.
    TControlResult Send(const ControlProtocol::TRequest& request, int timeoutMs) const;

private:
    // One connection, one request, one answer.
    enum class TExchange { NotConnected, NoAnswer, Answered };
    TExchange Exchange(const std::string& line, long long deadlineMs, TControlResult& result) const;

    std::string folder_;
};
