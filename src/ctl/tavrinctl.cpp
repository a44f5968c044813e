// tavrinctl: switches the sockets of the box from scripts, through the
// running Tavrin or straight to the box (tavrinctl --help).
#include <iostream>
#include <string>
#include <vector>

#include "ctl/CtlArguments.h"
#include "ctl/CtlRun.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return RunCtl(ParseCtlArguments(args), DefaultCtlEnvironment(), std::cout, std::cerr);
}
