#pragma once
// tavrinctl's command line: the command, its sockets and its options.
#include <string>
#include <vector>

struct TCtlArguments {
    enum class TCommand {
        None,
        Status,
        On,
        Off,
        Toggle,
        Cycle,
        AllOff,
        Show,
        Hide,
        Quit,
        Ports,
        Help,
        Version
    };
    TCommand command = TCommand::None;
    // on, off, toggle, cycle: the sockets as given.
    std::string sockets;
    double offSeconds = 5.0;
    bool yes = false;
    bool json = false;
    bool direct = false;
    std::string dir;
    int box = 1;
    std::string port;
    double timeoutSeconds = 5.0;
    // Empty when the command line is good; else why not.
    std::string error;
};

TCtlArguments ParseCtlArguments(const std::vector<std::string>& args);
// The usage text of --help.
std::string CtlUsage();
