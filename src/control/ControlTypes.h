#pragma once
// What scripts learn about a box and what an operation on it gave, the same
// whether it went through the running program or straight to the box.
#include <string>
#include <vector>

// Exit status of tavrinctl and result code of a control request.
enum class TControlCode {
    Done = 0,
    Usage = 1,        // unknown command or option, bad socket selection
    Unreachable = 2,  // no running program and no box reachable
    NoAnswer = 3,     // the box did not answer a switching command
    NotReady = 4,     // the program is still searching its box (asked again later; never an exit status)
};

struct TSocketStatus {
    int number = 0;
    std::string name;
    bool on = false;
    // AC_Down: an action is wanted for the socket when the program ends.
    bool endAction = false;
    // ACWDown: that action switches the socket off.
    bool endOff = false;
};

struct TControlResult {
    TControlCode code = TControlCode::Done;
    // Why it failed (German, for people); empty when done.
    std::string message;
    // The box as identified ("USB-NELTA8") and its port ("COM3"); filled by
    // status and by switching.
    std::string model;
    std::string port;
    // status: every socket of the box; a switch: the sockets switched, in
    // the state stored after it.
    std::vector<TSocketStatus> sockets;

    bool Ok() const { return code == TControlCode::Done; }
    static TControlResult Failure(TControlCode code, std::string message) {
        TControlResult result;
        result.code = code;
        result.message = std::move(message);
        return result;
    }
};
