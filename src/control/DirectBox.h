#pragma once
// A box driven straight from a script, while no Tavrin runs for it: the box
// file of the data folder names the port, the box is checked with "at" and
// identified with "ati", and every switch is written into the box file
// (ACPower<NN>, every other byte kept) so that the next start of Tavrin
// drives the box back to it.
//
// Unlike the program's exchange it sleeps no fixed time: it waits on the
// port for the answer, with a timeout.
#include <memory>
#include <string>
#include <vector>

#include "control/ControlTypes.h"

class SerialPort;

struct TDirectOptions {
    // The data folder (tavrin.ini, System/AC_Config/...).
    std::string dataDir;
    // Box file 1 to 16.
    int box = 1;
    // "COMn" or a device path; empty: the box file's [COM] Port.
    std::string port;
    // Longest wait for one answer of the box, in milliseconds.
    int timeoutMs = 5000;
};

class TDirectBox {
public:
    // `port` replaces the real serial port (tests); not owned.
    explicit TDirectBox(TDirectOptions options, SerialPort* port = nullptr);
    ~TDirectBox();

    TDirectBox(const TDirectBox&) = delete;
    TDirectBox& operator=(const TDirectBox&) = delete;

    // Reads the box file, opens the port, checks the box ("at") and
    // identifies it ("ati"). Unreachable when the file, the port or the
    // box's answer is missing.
    TControlResult Open();

    // The names of sockets 1 to the box's socket count (after Open).
    std::vector<std::string> Names() const;
    // Model, port and every socket with its stored state and marks.
    TControlResult Status() const;
    // Each socket on, off or toggled, in order; stored after each answered
    // command. NoAnswer when the box did not answer one (the rest is not sent).
    enum class TSwitch { On, Off, Toggle };
    TControlResult Switch(const std::vector<int>& sockets, TSwitch what);
    // "att0" and "atoff"; every socket stored off.
    TControlResult AllOff();

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};
