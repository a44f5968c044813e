// The real serial port on pseudo-terminals, and the mapping of COM names.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "MachineTree.h"
#include "PtyFixture.h"
#include "device/ComPortMap.h"
#include "device/PosixSerialPort.h"
#include "device/muATCmd.h"
#include "support/FakePlatform.h"
#include "toolkit/LogTestDir.h"
#include "toolkit/muLogging.h"

namespace {

using Clock = std::chrono::steady_clock;

long ElapsedMs(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

int ErrorCodeOf(PosixSerialPort& port) {
    try {
        port.SetConnected(true);
    } catch (const SerialPortError& e) {
        return e.Code();
    }
    return 0;
}

// Waits (real time, bounded) until the port has count bytes waiting.
bool WaitForInput(PosixSerialPort& port, int count) {
    const auto start = Clock::now();
    while (port.GetInputCount() < count) {
        if (ElapsedMs(start) > 1000) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class PosixPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.Ok());
        port.SetPort("COM4");
        port.SetBaudRate(TBaudRate::br57600);
    }
    ComDir dir;
    Pty pty{dir, 4};
    PosixSerialPort port;
};

TEST_F(PosixPortTest, OpensTheLinkedDeviceAndCloses) {
    EXPECT_FALSE(port.Connected());
    port.SetConnected(true);
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(port.DevicePath(), dir.Link(4));
    EXPECT_EQ(port.GetInputCount(), 0);
    port.SetConnected(true);  // open already: nothing happens
    port.SetConnected(false);
    EXPECT_FALSE(port.Connected());
    EXPECT_THROW(port.GetInputCount(), SerialPortError);
    EXPECT_THROW(port.ClearInput(), SerialPortError);
}

TEST_F(PosixPortTest, MissingDevicesAreRefused) {
    for (const char* name : {"COM9", "LPT1", "COM"}) {
        port.SetPort(name);
        EXPECT_EQ(ErrorCodeOf(port), ENOENT) << name;
        EXPECT_FALSE(port.Connected());
    }
}

TEST_F(PosixPortTest, SecondOpenerIsRefusedInAndBetweenProcesses) {
    port.SetConnected(true);
    PosixSerialPort second;
    second.SetPort("COM4");
    EXPECT_EQ(ErrorCodeOf(second), EBUSY);

    const pid_t child = ::fork();
    if (child == 0) {
        PosixSerialPort other;
        other.SetPort("COM4");
        ::_exit(ErrorCodeOf(other) == EBUSY ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "another process opened the port";

    // Closing releases the device for the next opener.
    port.SetConnected(false);
    EXPECT_EQ(ErrorCodeOf(second), 0);
    EXPECT_TRUE(second.Connected());
}

// Opens `path` the plain way (no advisory lock) in a child process that is
// not root (as root it becomes the user "nobody"): 0 when the open worked,
// EBUSY when the terminal refused it, another errno otherwise.
int PlainOpenAsUser(const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(100);
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) ::_exit(0);
        ::_exit(errno == EBUSY ? 1 : 2);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    switch (WEXITSTATUS(status)) {
        case 0:
            return 0;
        case 1:
            return EBUSY;
        default:
            return -WEXITSTATUS(status);
    }
}

TEST_F(PosixPortTest, TheTerminalItselfRefusesAnotherUserWhileThePortIsOpen) {
    // The user may open the terminal at all; root would pass the exclusive
    // flag, so the check runs as another user.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chmod(pty.SlavePath().c_str(), 0666), 0);
    }
    ASSERT_EQ(PlainOpenAsUser(pty.SlavePath()), 0) << "the terminal cannot be opened at all";
    port.SetConnected(true);
    EXPECT_EQ(PlainOpenAsUser(pty.SlavePath()), EBUSY);
    // Closing clears the flag again.
    port.SetConnected(false);
    EXPECT_EQ(PlainOpenAsUser(pty.SlavePath()), 0);
}

TEST_F(PosixPortTest, PortNameRules) {
    Pty five(dir, 5);
    ASSERT_TRUE(five.Ok());
    port.SetConnected(true);
    port.SetPort("COM4");
    EXPECT_EQ(port.DevicePath(), dir.Link(4));
    port.SetPort("COM5");  // open: closed and reopened under the new name
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(port.DevicePath(), dir.Link(5));
    PosixSerialPort other;
    other.SetPort("COM4");
    EXPECT_EQ(ErrorCodeOf(other), 0) << "COM4 stayed locked";
    EXPECT_THROW(port.SetPort("COM9"), SerialPortError);
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.Port(), "COM9");
}

TEST_F(PosixPortTest, EightBitBytesPassUnchangedBothWays) {
    port.SetConnected(true);
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);

    EXPECT_EQ(port.WriteText(all), 256);
    EXPECT_EQ(pty.Read(256), all);

    ASSERT_TRUE(pty.Write(all));
    ASSERT_TRUE(WaitForInput(port, 256));
    EXPECT_EQ(port.GetInputCount(), 256);
    EXPECT_EQ(port.ReadText(256), all);
    EXPECT_EQ(port.GetInputCount(), 0);
}

TEST_F(PosixPortTest, ReadsWaitForTheirCountOrTheTimeout) {
    port.SetConnected(true);
    auto start = Clock::now();
    EXPECT_EQ(port.ReadText(0), "");
    EXPECT_LT(ElapsedMs(start), 50);

    ASSERT_TRUE(pty.Write("x"));
    start = Clock::now();
    EXPECT_EQ(port.ReadText(2), "x");  // 500 ms + 2 x 100 ms
    const long waited = ElapsedMs(start);
    EXPECT_GE(waited, 650);
    EXPECT_LT(waited, 1500);
}

TEST_F(PosixPortTest, ClearInputDiscardsOnlyWhatArrived) {
    port.SetConnected(true);
    ASSERT_TRUE(pty.Write("stale"));
    ASSERT_TRUE(WaitForInput(port, 5));
    port.ClearInput();
    EXPECT_EQ(port.GetInputCount(), 0);
    port.WriteText("at\r");
    EXPECT_EQ(pty.Read(3), "at\r");  // the transmit side is untouched
    ASSERT_TRUE(pty.Write("ok"));
    ASSERT_TRUE(WaitForInput(port, 2));
    EXPECT_EQ(port.ReadText(2), "ok");
}

TEST_F(PosixPortTest, VanishedDeviceRaisesWithoutHanging) {
    port.SetConnected(true);
    port.WriteText("at\r");
    EXPECT_EQ(pty.Read(3), "at\r");
    pty.Close();

    const auto start = Clock::now();
    EXPECT_THROW(port.GetInputCount(), SerialPortError);
    EXPECT_THROW(port.ReadText(10), SerialPortError);
    EXPECT_THROW(port.WriteText("at\r"), SerialPortError);
    EXPECT_LT(ElapsedMs(start), 500);
    EXPECT_TRUE(port.Connected()) << "the port keeps its state";
    port.SetConnected(false);
}

TEST(PosixPortSettings, FlowControlFollowsItsSwitches) {
    PosixSerialPort port;
    EXPECT_EQ(port.Port(), "COM1");
    EXPECT_EQ(port.BaudRate(), TBaudRate::br9600);
    EXPECT_EQ(port.DataBits(), TDataBits::dbEight);
    EXPECT_EQ(port.FlowControl(), TFlowControl::fcNone);

    port.SetFlowControl(TFlowControl::fcHardware);
    EXPECT_TRUE(port.OutCTSFlow());
    EXPECT_EQ(port.ControlRTS(), TRTSFlowControl::rtsHandshake);
    EXPECT_EQ(port.FlowControl(), TFlowControl::fcHardware);

    port.SetOutDSRFlow(true);
    EXPECT_EQ(port.FlowControl(), TFlowControl::fcCustom);
    // None clears CTS, RTS and XonXoff but leaves the DSR switch alone.
    port.SetFlowControl(TFlowControl::fcNone);
    EXPECT_FALSE(port.OutCTSFlow());
    EXPECT_EQ(port.ControlRTS(), TRTSFlowControl::rtsDisable);
    EXPECT_TRUE(port.OutDSRFlow());
    EXPECT_EQ(port.FlowControl(), TFlowControl::fcCustom);
    port.SetOutDSRFlow(false);
    EXPECT_EQ(port.FlowControl(), TFlowControl::fcNone);

    port.SetFlowControl(TFlowControl::fcSoftware);
    EXPECT_TRUE(port.XonXoffIn() && port.XonXoffOut());
    EXPECT_EQ(port.FlowControl(), TFlowControl::fcSoftware);
    EXPECT_EQ(PosixSerialPort::BaudOf(TBaudRate::br57600), 57600);
    EXPECT_EQ(PosixSerialPort::BaudOf(TBaudRate::br256000), 256000);
}

TEST_F(PosixPortTest, SettingsChangeOnAnOpenPort) {
    port.SetConnected(true);
    // Speeds outside the classic table and every parity are accepted.
    for (TBaudRate rate : {TBaudRate::br14400, TBaudRate::br56000, TBaudRate::br128000, TBaudRate::br9600}) {
        EXPECT_NO_THROW(port.SetBaudRate(rate));
        EXPECT_EQ(port.BaudRate(), rate);
    }
    for (TParityBits parity :
         {TParityBits::prOdd, TParityBits::prMark, TParityBits::prSpace, TParityBits::prNone})
        EXPECT_NO_THROW(port.SetParity(parity));
    port.SetStopBits(TStopBits::sbTwoStopBits);
    port.SetDataBits(TDataBits::dbSeven);
    port.SetDataBits(TDataBits::dbEight);
    EXPECT_TRUE(port.Connected());
    // Still a raw line afterwards.
    port.WriteText("\n\r");
    EXPECT_EQ(pty.Read(2), "\n\r");
}

TEST(ComPortMap, PortNumbers) {
    const struct {
        const char* name;
        int n;
    } cases[] = {{"COM1", 1},  {"com12", 12}, {"Com128", 128}, {"COM0", 0}, {"COM", 0},
                 {"COM1a", 0}, {"LPT1", 0},   {"COM-1", 0},    {"", 0}};
    for (const auto& c : cases) EXPECT_EQ(TComPortMap::PortNumber(c.name), c.n) << c.name;
}

TEST(ComPortMap, ComFolderNamesTheLinks) {
    ComDir dir;
    EXPECT_EQ(TComPortMap::DevicePath("COM3"), dir.Path() + "/com3");
    EXPECT_EQ(TComPortMap::DevicePath("com17"), dir.Path() + "/com17");
    EXPECT_EQ(TComPortMap::DevicePath("COM0"), "");
}

TEST(ComPortMap, MachineDevicesInFixedOrder) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("tavrin-devtree-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const fs::path dev = root / "dev";
    const fs::path sys = root / "sys";
    fs::create_directories(dev);
    for (const char* name :
         {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyS1", "ttyS2", "ttyS10", "ttyX", "tty5", "console"})
        std::ofstream(dev / name).put('\0');
    auto uart = [&](const char* name, const char* type) {
        fs::create_directories(sys / name / "device");
        if (type) std::ofstream(sys / name / "type") << type << "\n";
    };
    uart("ttyS0", "4");      // a 16550A
    uart("ttyS1", "0");      // PORT_UNKNOWN: no UART behind it
    uart("ttyS2", nullptr);  // no type attribute: the device link decides

    const std::string d = dev.string() + "/";
    const std::vector<std::string> expected = {d + "ttyUSB2", d + "ttyUSB10", d + "ttyACM0", d + "ttyS0",
                                               d + "ttyS2"};
    // No console on this tree (the machine's own console files would name one).
    const std::string none = (root / "none").string();
    EXPECT_EQ(TComPortMap::MachineDevices(dev.string(), sys.string(), none, none), expected);
    fs::remove_all(root);
}

// ---------------------------------------------------------------------------
// Every port gets its line settings back

// Line settings another program could have left on a port.
const struct {
    const char* what;
    void (*change)(termios&);
} kStartSettings[] = {
    {"the terminal's defaults at 9600",
     [](termios& t) {
         ::cfsetispeed(&t, B9600);
         ::cfsetospeed(&t, B9600);
     }},
    {"raw 115200 without hang-up, VMIN 1, VTIME 5",
     [](termios& t) {
         ::cfmakeraw(&t);
         t.c_cflag = (t.c_cflag & ~HUPCL) | CLOCAL;
         t.c_cc[VMIN] = 1;
         t.c_cc[VTIME] = 5;
         ::cfsetspeed(&t, B115200);
     }},
    {"7E2 at 1200 with RTS/CTS, XON/XOFF and output processing",
     [](termios& t) {
         t.c_cflag = (t.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS | HUPCL;
         t.c_iflag |= IXON | IXOFF | ICRNL;
         t.c_oflag |= OPOST | ONLCR;
         ::cfsetspeed(&t, B1200);
     }},
};

// Applies a start setting to the terminal and gives back what it then has.
termios Prepare(const PtyPair& pty, void (*change)(termios&)) {
    termios t = pty.Settings();
    change(t);
    EXPECT_TRUE(pty.SetSettings(t));
    return pty.Settings();
}

TEST(PosixPortRestore, LineSettingsComeBackAtTheClose) {
    for (const auto& c : kStartSettings) {
        for (bool byDestruction : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (byDestruction ? ", closed by destruction" : ", closed"));
            ComDir dir;
            PtyPair pty;
            ASSERT_TRUE(pty.Ok());
            ASSERT_EQ(::symlink(pty.SlavePath().c_str(), dir.Link(2).c_str()), 0);
            const termios before = Prepare(pty, c.change);

            auto port = std::make_unique<PosixSerialPort>();
            port->SetPort("COM2");
            port->SetBaudRate(TBaudRate::br57600);
            port->SetConnected(true);
            // The program's own line while it is open: raw, no hang-up.
            const termios during = pty.Settings();
            EXPECT_EQ(during.c_cflag & HUPCL, 0u);
            EXPECT_EQ(during.c_lflag & (ICANON | ECHO), 0u);
            EXPECT_NE(SettingsDifference(before, during), "");
            EXPECT_EQ(port->WriteText("at\r"), 3);
            if (byDestruction)
                port.reset();
            else
                port->SetConnected(false);
            EXPECT_EQ(SettingsDifference(before, pty.Settings()), "");
            EXPECT_EQ(pty.Received(), "at\r") << "the bytes written before the close went out";
        }
    }
}

// The start's search with the real port over a machine whose console is a
// serial port: the console is never opened, every other port is opened,
// asked and closed again and keeps the line settings it had.
TEST(PosixPortRestore, TheSearchSkipsTheConsoleAndLeavesEveryPortAsItWas) {
    FakePlatform platform;
    LogTestDir logDir(platform);
    FakeApplication app;
    NoComDir noComDir;
    MachineTree tree;
    PtyPair usb, acm, console;
    ASSERT_TRUE(usb.Ok() && acm.Ok() && console.Ok());
    tree.Device("ttyUSB0", usb.SlavePath());
    tree.Device("ttyACM0", acm.SlavePath());
    tree.Device("ttyS0", console.SlavePath());
    tree.Sys("ttyS0", "4", "serial8250");
    tree.Console("tty0 ttyS0\n", "console=ttyS0,115200n8 quiet");
    const FoldersScope scope(tree.Folders());

    PtyPair* ptys[] = {&usb, &acm, &console};
    std::vector<termios> before;
    for (std::size_t i = 0; i < std::size(ptys); ++i)
        before.push_back(Prepare(*ptys[i], kStartSettings[i].change));

    PosixSerialPort port;
    port.SetBaudRate(TBaudRate::br57600);
    {
        TmuATCmd at;
        at.Log()->SetCompoID("LOG_ALL");
        at.SetATComPort(&port);
        at.setApplication(&app);
        ASSERT_TRUE(at.SearchCOMPorts());
        std::vector<int> found;
        for (const mComPort& entry : at.ComPortList()) found.push_back(entry.PortNo);
        EXPECT_EQ(found, (std::vector<int>{1, 2}));
        // Nobody answers: each port is asked four times, switching from one
        // open port to the next; the last one stays open.
        ASSERT_TRUE(at.SearchATCmd());
        EXPECT_TRUE(port.Connected());
        EXPECT_EQ(port.DevicePath(), tree.Path("ttyACM0"));
        port.SetConnected(false);
    }

    for (std::size_t i = 0; i < std::size(ptys); ++i)
        EXPECT_EQ(SettingsDifference(before[i], ptys[i]->Settings()), "") << kStartSettings[i].what;
    EXPECT_EQ(usb.Received(), "at\rat\rat\rat\r");
    EXPECT_EQ(acm.Received(), "at\rat\rat\rat\r");
    EXPECT_EQ(console.Received(), "") << "the console was written to";
    const std::string log = logDir.Read();
    EXPECT_NE(log.find("COM-Port " + tree.Path("ttyS0") + " übergangen: Konsole des Systems"),
              std::string::npos)
        << log.substr(0, 2000);
}

}  // namespace
