#pragma once
// What tavrinctl does with its command line: through the running program
// when one runs for the user (box 1), else straight to the box; the
// output and the exit status.
#include <iosfwd>
#include <string>

#include "ctl/CtlArguments.h"

struct TCtlEnvironment {
    // The folder of the running program's lock and socket.
    std::string runtimeFolder;
    // The data folder when --dir is not given.
    std::string dataFolder;
};

// $TAVRIN_HOME, else $XDG_DATA_HOME/tavrin, else ~/.local/share/tavrin.
std::string DefaultDataFolder();
TCtlEnvironment DefaultCtlEnvironment();

// The exit status.
int RunCtl(const TCtlArguments& args, const TCtlEnvironment& environment, std::ostream& out,
           std::ostream& err);
