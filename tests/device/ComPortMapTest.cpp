// The COM map against prepared device, sysfs and proc trees: console ports
// are left out without moving the others, and the port listing names what
// stands behind each port without touching it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "MachineTree.h"
#include "device/ComPortMap.h"

namespace {

namespace fs = std::filesystem;

// "fe:00:1234" of a file as /proc/locks writes it.
std::string LockKey(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return "none";
    char text[64];
    std::snprintf(text, sizeof text, "%02x:%02x:%llu", major(st.st_dev), minor(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    return text;
}

using Names = std::vector<std::string>;

TEST(ComPortMapConsole, NamesFromTheActiveFileAndTheCommandLine) {
    const struct {
        const char* active;
        const char* cmdline;
        Names expected;
    } cases[] = {
        {"tty0 ttyS0\n", "", {"tty0", "ttyS0"}},
        {"", "quiet console=ttyS1,115200n8 splash\n", {"ttyS1"}},
        {"", "console=tty0 console=/dev/ttyUSB0,9600", {"tty0", "ttyUSB0"}},
        {"ttyS0\n", "console=ttyS0,115200", {"ttyS0"}},
        // Words after "--" go to the first program; other options only look alike.
        {"", "ro -- console=ttyS2", {}},
        {"", "xconsole=ttyS3 earlycon=uart8250,io,0x3f8 netconsole=6665@10.0.0.1/eth0", {}},
    };
    MachineTree tree;
    const TComPortFolders f = tree.Folders();
    for (const auto& c : cases) {
        tree.Console(c.active, c.cmdline);
        EXPECT_EQ(TComPortMap::ConsoleNames(f.consoleActive, f.cmdline), c.expected) << c.cmdline;
    }
    // Missing files name no console.
    EXPECT_EQ(TComPortMap::ConsoleNames(f.devDir + "/none", f.devDir + "/none"), Names{});
}

TEST(ComPortMapConsole, ConsolePortsAreLeftOutAndTheOthersKeepTheirOrder) {
    NoComDir noComDir;
    MachineTree tree;
    for (const char* name : {"ttyUSB1", "ttyUSB0", "ttyACM0", "ttyS0", "ttyS1", "ttyS2", "tty0"})
        tree.Device(name);
    tree.Sys("ttyS0", "4");
    tree.Sys("ttyS1", "4");
    tree.Sys("ttyS2", "0");  // no UART behind it: never a COM port
    const TComPortFolders f = tree.Folders();
    const std::string d = tree.Dev() + "/";

    const struct {
        const char* active;
        const char* cmdline;
        Names mapped;
        Names leftOut;
    } cases[] = {
        {"", "", {"ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS0", "ttyS1"}, {}},
        {"tty0 ttyS0\n", "", {"ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS1"}, {"ttyS0"}},
        {"", "console=ttyUSB0,115200n8", {"ttyUSB1", "ttyACM0", "ttyS0", "ttyS1"}, {"ttyUSB0"}},
        {"ttyS1", "console=ttyACM0 console=ttyS2", {"ttyUSB0", "ttyUSB1", "ttyS0"}, {"ttyACM0", "ttyS1"}},
    };
    const FoldersScope scope(f);
    for (const auto& c : cases) {
        tree.Console(c.active, c.cmdline);
        Names mapped;
        for (const auto& name : c.mapped) mapped.push_back(d + name);
        EXPECT_EQ(TComPortMap::MachineDevices(f), mapped) << c.active << c.cmdline;
        EXPECT_EQ(TComPortMap::MachineDevices(f.devDir, f.sysTtyDir, f.consoleActive, f.cmdline), mapped);
        // COMn is the n-th remaining device.
        for (std::size_t i = 0; i < mapped.size(); ++i)
            EXPECT_EQ(TComPortMap::DevicePath("COM" + std::to_string(i + 1)), mapped[i]);
        EXPECT_EQ(TComPortMap::DevicePath("COM" + std::to_string(mapped.size() + 1)), "");

        const auto left = TComPortMap::LeftOutPorts(f);
        ASSERT_EQ(left.size(), c.leftOut.size()) << c.active << c.cmdline;
        for (std::size_t i = 0; i < left.size(); ++i) {
            EXPECT_EQ(left[i].device, d + c.leftOut[i]);
            EXPECT_EQ(left[i].reason, "Konsole des Systems");
        }
    }

    // The user's COM folder maps whatever is linked there: nothing is left out.
    tree.Console("ttyS0", "");
    ::setenv("TAVRIN_COM_DIR", d.c_str(), 1);
    EXPECT_TRUE(TComPortMap::LeftOutPorts(f).empty());
    ::unsetenv("TAVRIN_COM_DIR");
}

// One expected line of the listing.
struct Row {
    std::string com;
    std::string device;
    std::string byId;
    std::string driver;
    bool console;
    bool inUse;
    bool searched;
    std::string note;
};

void ExpectRows(const std::vector<TComPortInfo>& got, const std::vector<Row>& expected) {
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(expected[i].device);
        EXPECT_EQ(got[i].com, expected[i].com);
        EXPECT_EQ(got[i].device, expected[i].device);
        EXPECT_EQ(got[i].byId, expected[i].byId);
        EXPECT_EQ(got[i].driver, expected[i].driver);
        EXPECT_EQ(got[i].console, expected[i].console);
        EXPECT_EQ(got[i].inUse, expected[i].inUse);
        EXPECT_EQ(got[i].searched, expected[i].searched);
        EXPECT_EQ(got[i].note, expected[i].note);
    }
}

TEST(ComPortMapDescribe, ListsTheSearchedPortsThenTheLeftOutConsoles) {
    MachineTree tree;
    for (const char* name : {"ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS0", "ttyS1"}) tree.Device(name);
    tree.Sys("ttyUSB0", nullptr, "ftdi_sio");
    tree.Sys("ttyUSB1", nullptr, "ch341-uart");
    tree.Sys("ttyACM0", nullptr, "cdc_acm");
    tree.Sys("ttyS0", "4", "serial8250");
    tree.Sys("ttyS1", "4", "serial8250");
    tree.ById("usb-FTDI_FT232R_USB_UART_A9XYZ-if00-port0", "ttyUSB0");
    tree.ById("usb-1a86_USB_Serial-if00-port0", "ttyUSB1");
    tree.Console("tty0 ttyS0\n", "console=ttyS0,115200n8");
    // Process 4242 has ttyACM0 open; 4343 holds the lock of ttyUSB1 and 4444
    // waits for it; 4545 locks a file that is no port.
    tree.OpenIn(4242, "ttyACM0");
    tree.Locks("1: FLOCK  ADVISORY  WRITE 4343 " + LockKey(tree.Path("ttyUSB1")) + " 0 EOF\n" +
               "1: -> FLOCK  ADVISORY  WRITE 4444 " + LockKey(tree.Path("ttyUSB0")) + " 0 EOF\n" +
               "2: POSIX  ADVISORY  WRITE 4545 00:00:1 0 EOF\n");
    const std::string d = tree.Dev() + "/";
    const std::string byId = d + "serial/by-id/";

    ExpectRows(TComPortMap::DescribePorts(tree.Folders(), ""),
               {
                   {"COM1", d + "ttyUSB0", byId + "usb-FTDI_FT232R_USB_UART_A9XYZ-if00-port0", "ftdi_sio",
                    false, false, true, ""},
                   {"COM2", d + "ttyUSB1", byId + "usb-1a86_USB_Serial-if00-port0", "ch341-uart", false, true,
                    true, "gesperrt von Prozess 4343"},
                   {"COM3", d + "ttyACM0", "", "cdc_acm", false, true, true, "offen in Prozess 4242"},
                   {"COM4", d + "ttyS1", "", "serial8250", false, false, true, ""},
                   {"", d + "ttyS0", "", "serial8250", true, false, false, "Konsole des Systems"},
               });
}

TEST(ComPortMapDescribe, TheComFolderListsItsLinksAsTheyAre) {
    MachineTree tree;
    tree.Device("ttyUSB0");
    tree.Device("ttyS0");
    tree.Sys("ttyUSB0", nullptr, "cp210x");
    tree.Sys("ttyS0", "4", "serial8250");
    tree.ById("usb-Silicon_Labs_CP2102-if00-port0", "ttyUSB0");
    tree.Console("ttyS0", "");
    const fs::path com = fs::path(tree.Dev()).parent_path() / "com";
    fs::create_directories(com);
    fs::create_symlink(tree.Path("serial/by-id/usb-Silicon_Labs_CP2102-if00-port0"), com / "com2");
    fs::create_symlink(tree.Path("ttyS0"), com / "com5");  // the user's choice, console or not
    fs::create_symlink(tree.Path("ttyUSB9"), com / "com7");
    const std::string c = com.string() + "/";
    const std::string d = tree.Dev() + "/";

    ExpectRows(TComPortMap::DescribePorts(tree.Folders(), com.string()),
               {
                   {"COM2", c + "com2", d + "serial/by-id/usb-Silicon_Labs_CP2102-if00-port0", "cp210x",
                    false, false, true, "Verweis auf " + d + "ttyUSB0"},
                   {"COM5", c + "com5", "", "serial8250", true, false, true,
                    "Verweis auf " + d + "ttyS0; Konsole des Systems"},
                   {"COM7", c + "com7", "", "", false, false, true, "Verweis auf " + d + "ttyUSB9 (fehlt)"},
               });
}

// The kernel's own tables: a lock another process holds on a device shows,
// the describing process's own open files and locks do not.
TEST(ComPortMapDescribe, TheRealLockTableShowsAnotherHolder) {
    MachineTree tree;
    tree.Device("ttyUSB0");
    tree.Device("ttyUSB1");
    TComPortFolders f = tree.Folders();
    f.procDir = "/proc";

    const int own = ::open(tree.Path("ttyUSB1").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(own, 0);
    ASSERT_EQ(::flock(own, LOCK_EX | LOCK_NB), 0);

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(own);  // the parent's file and lock stay the parent's
        const int fd = ::open(tree.Path("ttyUSB0").c_str(), O_RDONLY);
        const char ok = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ::close(ready[0]);
    const auto ports = TComPortMap::DescribePorts(f, "");
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(own);

    ASSERT_EQ(ok, '1');
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_TRUE(ports[0].inUse);
    const std::string pid = std::to_string(child);
    EXPECT_EQ(ports[0].note, "offen in Prozess " + pid + "; gesperrt von Prozess " + pid);
    EXPECT_FALSE(ports[1].inUse) << ports[1].note;
}

TEST(ComPortMapDescribe, DeviceSummaryNamesTheLinkTargetAndTheIdName) {
    MachineTree tree;
    tree.Device("ttyUSB0");
    tree.Device("ttyACM0");
    tree.ById("usb-FTDI_FT232R-if00-port0", "ttyUSB0");
    const fs::path link = fs::path(tree.Dev()).parent_path() / "com1";
    fs::create_symlink(tree.Path("ttyUSB0"), link);
    const std::string byIdDir = tree.Folders().byIdDir;
    const std::string byId = byIdDir + "/usb-FTDI_FT232R-if00-port0";

    const struct {
        std::string device;
        std::string expected;
    } cases[] = {
        {tree.Path("ttyUSB0"), tree.Path("ttyUSB0") + "\n" + byId},
        {link.string(), link.string() + " \u2192 " + tree.Path("ttyUSB0") + "\n" + byId},
        {tree.Path("ttyACM0"), tree.Path("ttyACM0")},
        {tree.Path("ttyUSB9"), ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TComPortMap::DeviceSummary(c.device, byIdDir), c.expected);
        EXPECT_EQ(TComPortMap::ById(c.device, byIdDir),
                  c.expected.find('\n') == std::string::npos ? "" : byId);
    }
}

}  // namespace
