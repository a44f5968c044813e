#pragma once
// How the names "COM1", "COM2", ... reach the machine's serial devices.
//
// With the environment variable TAVRIN_COM_DIR set (and not empty), COMn is
// the path $TAVRIN_COM_DIR/comn (lower case), usually a symbolic link to a
// tty or to the slave of a pseudo-terminal (the box simulator makes one).
// Otherwise COM1, COM2, ... are the machine's serial devices in a fixed
// order: /dev/ttyUSB*, then /dev/ttyACM*, then the /dev/ttyS* ports that
// have a real UART behind them, each group by its number.
#include <string>
#include <vector>

class TComPortMap {
public:
    // n of a name "COM" + n (any letter case, n from 1 on); 0 for any other name.
    static int PortNumber(const std::string& name);

    // The device path of a COM name; empty when the name is malformed or the
    // machine has no device at that position.
    static std::string DevicePath(const std::string& name);

    // The machine's serial devices in COM order. The folders are parameters
    // so that the rule can be checked against a prepared tree.
    static std::vector<std::string> MachineDevices(const std::string& devDir = "/dev",
                                                   const std::string& sysTtyDir = "/sys/class/tty");

    // The folder of TAVRIN_COM_DIR, empty when the variable is unset or empty.
    static std::string ComDir();
};
