#pragma once
// How the names "COM1", "COM2", ... reach the machine's serial devices.
//
// With the environment variable TAVRIN_COM_DIR set (and not empty), COMn is
// the path $TAVRIN_COM_DIR/comn (lower case), usually a symbolic link to a
// tty or to the slave of a pseudo-terminal (the box simulator makes one).
// Whatever is linked there is used as it is.
// Otherwise COM1, COM2, ... are the machine's serial devices in a fixed
// order: /dev/ttyUSB*, then /dev/ttyACM*, then the /dev/ttyS* ports that
// have a real UART behind them, each group by its number. A device that
// carries the kernel's console (named in /sys/class/tty/console/active or by
// a console= option of the kernel command line) is left out: writing "at"
// to it would reach the system's console or its login prompt. The COM
// numbers are the positions in the list of the remaining devices.
#include <string>
#include <vector>

// The places the map reads the machine from. Tests point them at a prepared
// tree.
struct TComPortFolders {
    std::string devDir = "/dev";
    std::string sysTtyDir = "/sys/class/tty";
    std::string consoleActive = "/sys/class/tty/console/active";
    std::string cmdline = "/proc/cmdline";
    std::string byIdDir = "/dev/serial/by-id";
    std::string procDir = "/proc";
};

// A device the map leaves out, and why (for the trace).
struct TLeftOutPort {
    std::string device;  // "/dev/ttyS0"
    std::string reason;  // "Konsole des Systems"
};

// One line of a port listing (the control program's "ports").
struct TComPortInfo {
    std::string com;        // "COM1"; empty for a device that has no COM name
    std::string device;     // the path the program opens ("/dev/ttyUSB0", "$TAVRIN_COM_DIR/com1")
    std::string byId;       // the /dev/serial/by-id link that leads to the device, if any
    std::string driver;     // kernel driver of the tty ("ftdi_sio", "cdc_acm", "serial8250"), if known
    bool console = false;   // the device carries the kernel's console
    bool inUse = false;     // another process has it open or locked
    bool searched = false;  // the start's search tries this name
    std::string note;       // why it is left out, who holds it, where a link leads
};

class TComPortMap {
public:
    // The number of names the start's search tries ("COM1" to "COM128").
    static constexpr int kSearchedPorts = 128;
    static constexpr const char* kConsoleReason = "Konsole des Systems";

    // n of a name "COM" + n (any letter case, n from 1 on); 0 for any other name.
    static int PortNumber(const std::string& name);

    // The device path of a COM name; empty when the name is malformed or the
    // machine has no device at that position. Reads the machine through Folders().
    static std::string DevicePath(const std::string& name);

    // The machine's serial devices in COM order, console devices left out.
    // The folders and files are parameters so that the rule can be checked
    // against a prepared tree.
    static std::vector<std::string> MachineDevices(
        const std::string& devDir = "/dev", const std::string& sysTtyDir = "/sys/class/tty",
        const std::string& consoleActive = "/sys/class/tty/console/active",
        const std::string& cmdline = "/proc/cmdline");
    static std::vector<std::string> MachineDevices(const TComPortFolders& folders);

    // The serial devices MachineDevices leaves out, in the order they would
    // have had. Empty while TAVRIN_COM_DIR names the ports.
    static std::vector<TLeftOutPort> LeftOutPorts(const TComPortFolders& folders = Folders());

    // The tty names ("ttyS0") that carry the console: the names listed in the
    // active file and the devices of the command line's console= options
    // (options after a comma dropped, a leading "/dev/" too).
    static std::vector<std::string> ConsoleNames(const std::string& consoleActive,
                                                 const std::string& cmdline);

    // Every COM name the search would try with a device behind it (COM1, ...
    // as mapped; with TAVRIN_COM_DIR the links that exist there), then the
    // console devices that were left out (com empty, searched false).
    // Describing changes nothing on a port: no device is opened (opening
    // raises DTR and RTS); "in use" comes from the open files of other
    // processes (/proc/<pid>/fd, as far as this user may read them) and from
    // the lock table (/proc/locks), where the exclusive lock of another Tavrin
    // shows for every user.
    static std::vector<TComPortInfo> DescribePorts(const TComPortFolders& folders = Folders(),
                                                   const std::string& comDir = ComDir());

    // The link in byIdDir that leads to the same device as `device`; empty
    // when there is none.
    static std::string ById(const std::string& device, const std::string& byIdDir = Folders().byIdDir);

    // The device behind a path for a person to read: the path, with the
    // device a link leads to ("/tmp/com/com1 -> /dev/pts/3"), and its
    // /dev/serial/by-id name on a second line where there is one. Empty when
    // there is nothing at the path.
    static std::string DeviceSummary(const std::string& device,
                                     const std::string& byIdDir = Folders().byIdDir);

    // The folder of TAVRIN_COM_DIR, empty when the variable is unset or empty.
    static std::string ComDir();

    // The places DevicePath and the defaults above read (normally the
    // machine's own); a test may point them at a prepared tree.
    static const TComPortFolders& Folders();
    static void SetFolders(const TComPortFolders& folders);
};
