// The box driven straight from a script: against the in-process simulated
// port on the virtual clock, and against the simulator program on a
// pseudo-terminal on the real clock.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "SimProcess.h"
#include "control/DirectBox.h"
#include "device/PtyFixture.h"
#include "device/SimulatedSerialPort.h"
#include "support/FakePlatform.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

ino_t InodeOf(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

std::string PathText(const fs::path& path) { return path.string(); }

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// A box file as a user's machine has it: CR LF line ends, comments, a name
// in Windows-1252, keys the program does not know, odd spacing, a last line
// without line end. Only the values below vary.
struct TBoxFile {
    std::string port = "COM3";
    std::map<int, bool> on;
    std::map<int, std::string> names;  // raw bytes of the file
    std::map<int, bool> endAction;
    std::map<int, bool> endOff;
    bool withPowerKeys = true;

    std::string Bytes() const {
        auto onOff = [](const std::map<int, bool>& values, int n) {
            auto it = values.find(n);
            return it != values.end() && it->second ? "ON" : "OFF";
        };
        std::string s = "; Tavrin - Einstellungen der Steckdosenleiste\r\n\r\n[AC]\r\nAC_Controller=None\r\n";
        s += "Farbe = blau   \r\n";
        for (int n = 1; n <= 24; ++n) {
            auto it = names.find(n);
            s +=
                "AC_Name" + TwoDigits(n) + "=" + (it != names.end() ? it->second : "Steckdosenname") + "\r\n";
        }
        s += ";   Schaltzustände\r\n";
        for (int n = 1; n <= 24 && withPowerKeys; ++n)
            s += "ACPower" + TwoDigits(n) + "=" + onOff(on, n) + "\r\n";
        for (int n = 1; n <= 24; ++n) s += "AC_Down" + TwoDigits(n) + " =" + onOff(endAction, n) + "\r\n";
        for (int n = 1; n <= 24; ++n) s += "ACWDown" + TwoDigits(n) + "= " + onOff(endOff, n) + "\r\n";
        s += "\r\n[COM]\r\nPort=" + port + "\r\nBaudrate=2400\r\n\r\n[Eigenes]\r\nNotiz=Flur \xB7 oben\r\n";
        s += "Schluss=ohne Zeilenende";
        return s;
    }
};

// A data folder of its own for every test.
class DataFolder {
public:
    DataFolder() {
        static std::atomic<int> counter{0};
        root_ = fs::temp_directory_path() /
                ("tavrin-direct-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    ~DataFolder() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    std::string Path() const { return root_.string(); }
    fs::path BoxFile(int box = 1) const {
        return root_ / "System" / "AC_Config" / ("AC_Power_" + TwoDigits(box) + ".ini");
    }
    void Write(const TBoxFile& file, int box = 1) const { WriteBytes(BoxFile(box), file.Bytes()); }

private:
    fs::path root_;
};

std::string Describe(const std::vector<TSocketStatus>& sockets) {
    std::string text;
    for (const auto& s : sockets)
        text += std::to_string(s.number) + ":" + s.name + ":" + (s.on ? "on" : "off") +
                (s.endAction ? ":end" : "") + (s.endOff ? ":off" : "") + " ";
    return text;
}

class DirectBoxTest : public ::testing::Test {
protected:
    DirectBoxTest() {
        // The loggers look below the current folder: without a log folder
        // there, their lines go nowhere.
        platform.currentDir = data.Path();
    }

    TNeltaBoxConfig Config(int busyAnswers = 0) {
        TNeltaBoxConfig config;
        config.busyAnswers = busyAnswers;
        return config;
    }

    std::unique_ptr<TDirectBox> Make(TDirectOptions options = {}) {
        if (options.dataDir.empty()) options.dataDir = data.Path();
        return std::make_unique<TDirectBox>(options, &port);
    }

    // A box opened on COM3 as the box file names it; the commands of the
    // opening are dropped from Written().
    std::unique_ptr<TDirectBox> Opened(TDirectOptions options = {}) {
        port.ClearWritten();
        auto box = Make(options);
        const TControlResult result = box->Open();
        EXPECT_TRUE(result.Ok()) << result.message;
        EXPECT_EQ(port.Written(), "at\rati\r");
        port.ClearWritten();
        return box;
    }

    std::string FileBytes(int box = 1) const { return ReadBytes(data.BoxFile(box)); }

    FakePlatform platform;
    DataFolder data;
    SimulatedSerialPort port;
};

TEST_F(DirectBoxTest, SwitchSendsOneCommandAndChangesOnlyThatPowerKey) {
    struct Case {
        const char* what;
        TDirectBox::TSwitch how;
        bool storedOn;
        const char* sent;
        bool on;
    };
    const Case cases[] = {
        {"on", TDirectBox::TSwitch::On, false, "atn5\r", true},
        {"off", TDirectBox::TSwitch::Off, true, "ato5\r", false},
        {"toggle an off socket", TDirectBox::TSwitch::Toggle, false, "atn5\r", true},
        {"toggle an on socket", TDirectBox::TSwitch::Toggle, true, "ato5\r", false},
        // The box may be out of step with the file: the command goes out.
        {"on when stored on", TDirectBox::TSwitch::On, true, "atn5\r", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TBoxFile file;
        file.names[1] = "K\xFChlschrank";
        file.names[5] = "Drucker";
        file.on[2] = true;
        file.on[5] = c.storedOn;
        data.Write(file);
        const ino_t before = InodeOf(data.BoxFile());
        TNeltaBox& sim = port.AddBox(3, Config());
        sim.SetSocket(5, !c.on);

        auto box = Opened();
        const TControlResult result = box->Switch({5}, c.how);
        ASSERT_TRUE(result.Ok()) << result.message;
        EXPECT_EQ(port.Written(), c.sent);
        EXPECT_EQ(sim.Socket(5), c.on);
        EXPECT_EQ(Describe(result.sockets), std::string("5:Drucker:") + (c.on ? "on" : "off") + " ");
        EXPECT_EQ(result.model, "USB-NELTA8");
        EXPECT_EQ(result.port, "COM3");

        file.on[5] = c.on;
        EXPECT_EQ(FileBytes(), file.Bytes());
        // A file whose value did not change is left as it is.
        if (c.storedOn == c.on) {
            EXPECT_EQ(InodeOf(data.BoxFile()), before);
        }
        // What is stored is what a later status reads.
        EXPECT_EQ(box->Status().sockets[4].on, c.on);
    }
}

TEST_F(DirectBoxTest, OpenChecksAndIdentifiesTheBoxOnTheProgramsLineSettings) {
    data.Write(TBoxFile{});
    port.AddBox(3, Config());
    auto box = Make();
    const TControlResult result = box->Open();
    ASSERT_TRUE(result.Ok()) << result.message;
    EXPECT_EQ(port.Written(), "at\rati\r");
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(port.Port(), "COM3");
    EXPECT_EQ(port.BaudRate(), TBaudRate::br57600);
    EXPECT_EQ(port.DataBits(), TDataBits::dbEight);
    EXPECT_EQ(port.StopBits(), TStopBits::sbOneStopBit);
    EXPECT_EQ(port.Parity(), TParityBits::prNone);
    EXPECT_EQ(port.FlowControl(), TFlowControl::fcNone);
    EXPECT_EQ(result.model, "USB-NELTA8");
    EXPECT_EQ(result.port, "COM3");
    EXPECT_EQ(box->Names().size(), 8u);
    // Opening leaves the file as it was.
    EXPECT_EQ(FileBytes(), TBoxFile{}.Bytes());
    box.reset();
    EXPECT_FALSE(port.Connected());
}

TEST_F(DirectBoxTest, ModelComesFromTheIdentification) {
    struct Case {
        const char* ident;
        const char* model;
        int sockets;
    };
    const Case cases[] = {
        {"NELTA-V1.4-BOX8-USB-NELTA8", "USB-NELTA8", 8},
        {"nelta-v2-box24-usb-nelta24", "USB-NELTA24", 24},   // letter case of the box ignored
        {"NELTA-V1.4-BOX4-USB-NELTA16", "USB-NELTA16", 16},  // the model decides, not the controller
        {"USB-NELTA12 / USB-NELTA4", "USB-NELTA12", 12},     // a later model of the table wins
        {"USB-NELTA20", "USB-NELTA20", 20},
    };
    data.Write(TBoxFile{});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ident);
        TNeltaBoxConfig config = Config();
        config.ident = c.ident;
        port.AddBox(3, config);
        auto box = Make();
        const TControlResult result = box->Open();
        ASSERT_TRUE(result.Ok()) << result.message;
        EXPECT_EQ(result.model, c.model);
        EXPECT_EQ(static_cast<int>(box->Names().size()), c.sockets);
        EXPECT_EQ(static_cast<int>(box->Status().sockets.size()), c.sockets);
    }
}

TEST_F(DirectBoxTest, OpenReportsWhatIsNotABox) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::string message;
    };
    auto withBox = [this](TNeltaBoxConfig config) { port.AddBox(3, std::move(config)); };
    const Case cases[] = {
        {"a port where nobody answers", [this] { port.AddPort(3); }, "keine Box an COM3"},
        {"a box that only answers ERROR",
         [&] {
             TNeltaBoxConfig config = Config();
             config.fault = TNeltaFault::Error;
             withBox(config);
         },
         "keine Box an COM3"},
        {"an identification without a model",
         [&] {
             TNeltaBoxConfig config = Config();
             config.ident = "NELTA-V1.4-BOX8-USB-NELTA9";
             withBox(config);
         },
         "COM3: unbekanntes Boxmodell (Kennung \"NELTA-V1.4-BOX8-USB-NELTA9\")"},
        {"a port another program holds",
         [&] {
             withBox(Config());
             port.SetInUse(3, true);
         },
         "COM3 wird von einem anderen Programm benutzt"},
        {"a port that does not exist", [] {}, "COM3 nicht vorhanden"},
        {"a box that goes during the identification",
         [&] {
             TNeltaBoxConfig config = Config();
             config.fault = TNeltaFault::Vanish;
             config.faultAfter = 1;
             withBox(config);
         },
         "COM3: Schnittstelle COM3: Verbindung unterbrochen"},
    };
    data.Write(TBoxFile{});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        port.RemovePort(3);
        c.arrange();
        auto box = Make();
        const TControlResult result = box->Open();
        EXPECT_EQ(result.code, TControlCode::Unreachable);
        EXPECT_EQ(result.message, c.message);
        EXPECT_FALSE(port.Connected());
        // Nothing can be done with a box that did not open.
        EXPECT_EQ(box->Switch({1}, TDirectBox::TSwitch::On).code, TControlCode::Unreachable);
        EXPECT_EQ(box->Status().code, TControlCode::Unreachable);
        EXPECT_TRUE(box->Names().empty());
    }
    // "at" is repeated for a box answering ERROR, but not without end.
    port.RemovePort(3);
    TNeltaBoxConfig config = Config();
    config.fault = TNeltaFault::Error;
    TNeltaBox& sim = port.AddBox(3, config);
    Make()->Open();
    EXPECT_GE(sim.Commands().size(), 2u);
    EXPECT_LE(sim.Commands().size(), 10u);
}

TEST_F(DirectBoxTest, MissingFileOrPortIsReported) {
    port.AddBox(3, Config());
    const std::string file = PathText(data.BoxFile());
    EXPECT_EQ(Make()->Open().message, "Boxdatei " + file + " nicht vorhanden oder nicht lesbar");

    TBoxFile noPort;
    noPort.port = "";
    data.Write(noPort);
    EXPECT_EQ(Make()->Open().message, "keine Schnittstelle: weder --port noch [COM] Port in " + file);

    TBoxFile oddPort;
    oddPort.port = "LPT1";
    data.Write(oddPort);
    const TControlResult result = Make()->Open();
    EXPECT_EQ(result.code, TControlCode::Unreachable);
    EXPECT_EQ(result.message, "Schnittstelle \"LPT1\" ist weder COMn noch ein Gerätepfad");
    EXPECT_TRUE(port.Written().empty());
}

TEST_F(DirectBoxTest, BusyBoxIsFollowedUntilItNamesThePort) {
    for (int busy : {1, 3, 10}) {
        SCOPED_TRACE(busy);
        data.Write(TBoxFile{});
        TNeltaBox& sim = port.AddBox(3, Config(busy));
        auto box = Opened();
        const TControlResult result = box->Switch({5, 6}, TDirectBox::TSwitch::On);
        ASSERT_TRUE(result.Ok()) << result.message;
        // "OK WAIT", busy - 1 times "WAIT", then "SET PORT 5 ON": one bare
        // carriage return per answer after the first, then the next socket.
        const std::string crs(static_cast<std::size_t>(busy), '\r');
        EXPECT_EQ(port.Written(), "atn5\r" + crs + "atn6\r" + crs);
        EXPECT_TRUE(sim.Socket(5));
        EXPECT_TRUE(sim.Socket(6));
        TBoxFile file;
        file.on[5] = file.on[6] = true;
        EXPECT_EQ(FileBytes(), file.Bytes());
    }
}

TEST_F(DirectBoxTest, BoxThatStaysBusyIsBoundedAndNotConfirmed) {
    struct Case {
        int timeoutMs;
        bool boundByAttempts;
    };
    // The box answers every carriage return after 20 ms: 100 of them take
    // 2 s, so a long timeout ends by the count and a short one by the time.
    for (const Case c : {Case{5000, true}, Case{300, false}}) {
        SCOPED_TRACE(c.timeoutMs);
        data.Write(TBoxFile{});
        TNeltaBoxConfig config = Config(1);
        config.fault = TNeltaFault::Wait;
        config.faultAfter = 2;
        port.AddBox(3, config);
        TDirectOptions options;
        options.timeoutMs = c.timeoutMs;
        auto box = Opened(options);
        const std::int64_t start = platform.NowMs();
        const TControlResult result = box->Switch({2, 3}, TDirectBox::TSwitch::On);
        EXPECT_EQ(result.code, TControlCode::NoAnswer);
        EXPECT_EQ(result.message, "Steckdose 2: die Box meldet nach WAIT kein PORT");
        // The box took the command: the state is stored as asked, and the
        // next socket is not sent.
        EXPECT_EQ(Describe(result.sockets), "2:Steckdosenname:on ");
        TBoxFile file;
        file.on[2] = true;
        EXPECT_EQ(FileBytes(), file.Bytes());
        const std::string written = port.Written();
        ASSERT_EQ(written.rfind("atn2\r", 0), 0u) << written;
        const std::string crs = written.substr(5);
        EXPECT_EQ(crs, std::string(crs.size(), '\r'));
        EXPECT_LE(crs.size(), 100u);
        if (c.boundByAttempts) {
            EXPECT_EQ(crs.size(), 100u);
        } else {
            EXPECT_LE(platform.NowMs() - start, 2 * c.timeoutMs);  // virtual clock
        }
    }
}

TEST_F(DirectBoxTest, UnansweredSwitchStoresNothingAndStopsTheList) {
    struct Case {
        TNeltaFault fault;
        std::string message;
    };
    const Case cases[] = {
        {TNeltaFault::Silent, "Steckdose 4: keine Antwort der Box"},
        {TNeltaFault::Error, "Steckdose 4: die Box meldet ERROR"},
        {TNeltaFault::Vanish, "Steckdose 4: Schnittstelle COM3: Verbindung unterbrochen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        TBoxFile file;
        file.on[4] = true;
        data.Write(file);
        TNeltaBoxConfig config = Config();
        config.fault = c.fault;
        config.faultAfter = 2;  // "at" and "ati" answered
        port.AddBox(3, config);
        auto box = Opened();
        TControlResult result;
        EXPECT_NO_THROW(result = box->Switch({4, 7}, TDirectBox::TSwitch::Toggle));
        EXPECT_EQ(result.code, TControlCode::NoAnswer);
        EXPECT_EQ(result.message, c.message);
        EXPECT_TRUE(result.sockets.empty());
        EXPECT_EQ(port.Written().find("ato7"), std::string::npos);
        EXPECT_EQ(port.Written().find("atn7"), std::string::npos);
        EXPECT_EQ(FileBytes(), file.Bytes());
        EXPECT_TRUE(box->Status().sockets[3].on);
    }
}

TEST_F(DirectBoxTest, AnsweredSwitchesBeforeAFailureStayStored) {
    data.Write(TBoxFile{});
    TNeltaBoxConfig config = Config();
    // The box stops answering after its answer to "atn1".
    config.fault = TNeltaFault::Silent;
    config.faultAfter = 3;
    port.AddBox(3, config);
    auto box = Opened();
    const TControlResult result = box->Switch({1, 5, 6}, TDirectBox::TSwitch::On);
    EXPECT_EQ(result.code, TControlCode::NoAnswer);
    EXPECT_EQ(result.message, "Steckdose 5: keine Antwort der Box");
    EXPECT_EQ(Describe(result.sockets), "1:Steckdosenname:on ");
    EXPECT_EQ(port.Written(), "atn1\ratn5\r");
    TBoxFile file;
    file.on[1] = true;
    EXPECT_EQ(FileBytes(), file.Bytes());
}

TEST_F(DirectBoxTest, SocketBeyondTheBoxIsRefusedBeforeAnythingIsSent) {
    data.Write(TBoxFile{});
    port.AddBox(3, Config());  // eight sockets
    auto box = Opened();
    for (const std::vector<int>& sockets : {std::vector<int>{9}, {1, 9}, {0}}) {
        const TControlResult result = box->Switch(sockets, TDirectBox::TSwitch::On);
        EXPECT_EQ(result.code, TControlCode::Usage);
        EXPECT_EQ(result.message, "Steckdose " + std::to_string(sockets.back()) + " gibt es nicht (1 bis 8)");
    }
    EXPECT_TRUE(port.Written().empty());
    EXPECT_EQ(FileBytes(), TBoxFile{}.Bytes());
}

TEST_F(DirectBoxTest, AllOffSendsDelayAndAllOffAndStoresEverySocketOff) {
    TBoxFile file;
    file.on[1] = file.on[3] = file.on[8] = file.on[24] = true;
    file.names[3] = "Lampe Flur";
    data.Write(file);
    TNeltaBox& sim = port.AddBox(3, Config(2));
    sim.SetSocket(1, true);
    sim.SetSocket(3, true);
    auto box = Opened();
    const TControlResult result = box->AllOff();
    ASSERT_TRUE(result.Ok()) << result.message;
    EXPECT_EQ(port.Written(), "att0\ratoff\r\r\r");
    EXPECT_FALSE(sim.Socket(1));
    EXPECT_FALSE(sim.Socket(3));
    EXPECT_EQ(result.sockets.size(), 8u);
    EXPECT_EQ(result.sockets[2].name, "Lampe Flur");
    for (const auto& s : result.sockets) EXPECT_FALSE(s.on) << s.number;
    // All 24 sockets of the file, beyond the box's eight too.
    file.on.clear();
    EXPECT_EQ(FileBytes(), file.Bytes());
}

TEST_F(DirectBoxTest, AllOffWithoutAnswerStillStoresEverySocketOff) {
    TBoxFile file;
    file.on[2] = true;
    data.Write(file);
    TNeltaBoxConfig config = Config();
    config.fault = TNeltaFault::Silent;
    config.faultAfter = 2;
    port.AddBox(3, config);
    auto box = Opened();
    const TControlResult result = box->AllOff();
    EXPECT_EQ(result.code, TControlCode::NoAnswer);
    EXPECT_EQ(result.message, "Alle Steckdosen: keine Antwort der Box");
    EXPECT_EQ(port.Written(), "att0\ratoff\r");
    EXPECT_EQ(FileBytes(), TBoxFile{}.Bytes());
}

TEST_F(DirectBoxTest, BoxNumberChoosesItsFileAndItsPort) {
    TBoxFile first;
    first.names[1] = "Erste";
    data.Write(first, 1);
    TBoxFile second;
    second.port = "COM5";
    second.names[1] = "Zweite";
    data.Write(second, 2);
    port.AddBox(3, Config());
    TNeltaBoxConfig config = Config();
    config.model = "USB-NELTA4";
    TNeltaBox& sim = port.AddBox(5, config);

    TDirectOptions options;
    options.box = 2;
    auto box = Make(options);
    const TControlResult opened = box->Open();
    ASSERT_TRUE(opened.Ok()) << opened.message;
    EXPECT_EQ(opened.port, "COM5");
    EXPECT_EQ(opened.model, "USB-NELTA4");
    EXPECT_EQ(box->Names(),
              (std::vector<std::string>{"Zweite", "Steckdosenname", "Steckdosenname", "Steckdosenname"}));
    ASSERT_TRUE(box->Switch({4}, TDirectBox::TSwitch::On).Ok());
    EXPECT_TRUE(sim.Socket(4));
    second.on[4] = true;
    EXPECT_EQ(FileBytes(2), second.Bytes());
    EXPECT_EQ(FileBytes(1), first.Bytes());
}

TEST_F(DirectBoxTest, BoxFileIsFoundWhereTavrinIniNamesIt) {
    struct Case {
        const char* what;
        std::optional<std::string> tavrinIni;
        fs::path file;  // relative to the data folder
    };
    const Case cases[] = {
        {"no tavrin.ini", std::nullopt, "System/AC_Config/AC_Power_01.ini"},
        {"tavrin.ini without the key", "[AC_Config]\r\nAC_ID=1\r\n", "System/AC_Config/AC_Power_01.ini"},
        {"the key as shipped", "[AC_Config]\r\nAC_File=$APPDIR\\System\\AC_Config\\AC_Power_$IDX.ini\r\n",
         "System/AC_Config/AC_Power_01.ini"},
        // Another folder, named in other letters than on disk.
        {"a folder of the user's", "[ac_config]\r\nac_file = $APPDIR\\LEISTEN\\box_$IDX.INI\r\n",
         "Leisten/Box_01.ini"},
    };
    port.AddBox(3, Config());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(data.Path() + "/System");
        fs::remove_all(data.Path() + "/Leisten");
        fs::remove(data.Path() + "/tavrin.ini");
        if (c.tavrinIni) WriteBytes(data.Path() + "/tavrin.ini", *c.tavrinIni);
        TBoxFile file;
        file.names[2] = c.what;
        WriteBytes(fs::path(data.Path()) / c.file, file.Bytes());

        auto box = Make();
        const TControlResult result = box->Open();
        ASSERT_TRUE(result.Ok()) << result.message;
        EXPECT_EQ(box->Names()[1], c.what);
        ASSERT_TRUE(box->Switch({2}, TDirectBox::TSwitch::On).Ok());
        file.on[2] = true;
        EXPECT_EQ(ReadBytes(fs::path(data.Path()) / c.file), file.Bytes());
        if (c.tavrinIni) {
            EXPECT_EQ(ReadBytes(data.Path() + "/tavrin.ini"), *c.tavrinIni);
        }
    }
}

TEST_F(DirectBoxTest, PortOptionReplacesTheFilesPort) {
    data.Write(TBoxFile{});  // COM3, where no box is
    TNeltaBox& sim = port.AddBox(6, Config());
    TDirectOptions options;
    options.port = "com6";
    auto box = Make(options);
    const TControlResult result = box->Open();
    ASSERT_TRUE(result.Ok()) << result.message;
    EXPECT_EQ(result.port, "COM6");
    ASSERT_TRUE(box->Switch({1}, TDirectBox::TSwitch::On).Ok());
    EXPECT_TRUE(sim.Socket(1));
    // The port option is not stored.
    TBoxFile file;
    file.on[1] = true;
    EXPECT_EQ(FileBytes(), file.Bytes());
}

TEST_F(DirectBoxTest, StatusShowsTheStoredStateOfEverySocket) {
    TBoxFile file;
    file.names[1] = "K\xFChlschrank";
    file.names[4] = "Drucker";
    file.on[4] = true;
    file.endAction[2] = true;
    file.endAction[3] = file.endOff[3] = true;
    file.on[12] = true;  // beyond the box
    data.Write(file);
    TNeltaBoxConfig config = Config();
    config.model = "USB-NELTA4";
    port.AddBox(3, config);
    auto box = Opened();
    const TControlResult status = box->Status();
    ASSERT_TRUE(status.Ok());
    EXPECT_EQ(status.model, "USB-NELTA4");
    EXPECT_EQ(status.port, "COM3");
    EXPECT_EQ(Describe(status.sockets),
              "1:Kühlschrank:off 2:Steckdosenname:off:end 3:Steckdosenname:off:end:off 4:Drucker:on ");
    EXPECT_EQ(box->Names(),
              (std::vector<std::string>{"Kühlschrank", "Steckdosenname", "Steckdosenname", "Drucker"}));
    EXPECT_TRUE(port.Written().empty());
}

TEST_F(DirectBoxTest, FileThatCannotBeWrittenIsReportedAfterTheSwitch) {
    data.Write(TBoxFile{});
    TNeltaBox& sim = port.AddBox(3, Config());
    auto box = Opened();
    // The file is replaced by a folder of its name after the opening.
    fs::remove(data.BoxFile());
    fs::create_directory(data.BoxFile());
    TControlResult result;
    EXPECT_NO_THROW(result = box->Switch({3, 4}, TDirectBox::TSwitch::On));
    EXPECT_EQ(result.code, TControlCode::Unreachable);
    EXPECT_EQ(result.message, "Steckdose 3 geschaltet, aber " + PathText(data.BoxFile()) + " nicht lesbar");
    EXPECT_TRUE(sim.Socket(3));
    EXPECT_EQ(port.Written(), "atn3\r");
    EXPECT_FALSE(box->Status().sockets[2].on);
}

TEST_F(DirectBoxTest, PowerKeyMissingFromTheFileIsReportedBeforeSending) {
    TBoxFile file;
    file.withPowerKeys = false;
    data.Write(file);
    port.AddBox(3, Config());
    auto box = Opened();
    const TControlResult result = box->Switch({2}, TDirectBox::TSwitch::On);
    EXPECT_EQ(result.code, TControlCode::Unreachable);
    EXPECT_EQ(result.message, PathText(data.BoxFile()) + ": Schlüssel ACPower02 fehlt");
    EXPECT_TRUE(port.Written().empty());
    EXPECT_EQ(FileBytes(), file.Bytes());
}

// ---- The simulator program on a pseudo-terminal, real clock ---------------------

class DirectBoxSimTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fs::exists(SimProcess::Program())) << SimProcess::Program(); }

    TDirectOptions Options() const {
        TDirectOptions options;
        options.dataDir = data.Path();
        options.timeoutMs = 2000;
        return options;
    }

    ComDir dir;
    DataFolder data;
};

TEST_F(DirectBoxSimTest, SwitchesTheSimulatorAndStoresTheState) {
    const std::string log = dir.Path() + "/commands.log";
    SimProcess sim({"--dir", dir.Path(), "--com", "2", "--model", "USB-NELTA12", "--busy", "1",
                    "--reply-delay", "5", "--log", log});
    ASSERT_TRUE(sim.WaitForLink(dir.Link(2)));
    TBoxFile file;
    file.port = "COM2";
    data.Write(file);

    TDirectBox box(Options());
    const TControlResult opened = box.Open();
    ASSERT_TRUE(opened.Ok()) << opened.message;
    EXPECT_EQ(opened.model, "USB-NELTA12");
    EXPECT_EQ(box.Names().size(), 12u);

    for (bool on : {true, false}) {
        const auto start = std::chrono::steady_clock::now();
        const TControlResult result = box.Switch({10}, TDirectBox::TSwitch::Toggle);
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        ASSERT_TRUE(result.Ok()) << result.message;
        std::cout << "[ time     ] toggle of socket 10: " << ms.count() << " ms\n";
        file.on[10] = on;
        EXPECT_EQ(ReadBytes(data.BoxFile()), file.Bytes());
    }

    std::vector<std::string> commands;
    std::istringstream lines(ReadBytes(log));
    for (std::string line; std::getline(lines, line);) commands.push_back(line.substr(line.rfind(' ') + 1));
    EXPECT_EQ(commands, (std::vector<std::string>{"at", "ati", "atn10", "<CR>", "ato10", "<CR>"}));
}

TEST_F(DirectBoxSimTest, PortInUseAndDevicePath) {
    SimProcess sim({"--dir", dir.Path(), "--com", "4", "--busy", "0", "--reply-delay", "2"});
    ASSERT_TRUE(sim.WaitForLink(dir.Link(4)));
    TBoxFile file;
    file.port = "COM4";
    data.Write(file);

    auto first = std::make_unique<TDirectBox>(Options());
    ASSERT_TRUE(first->Open().Ok());
    const TControlResult busy = TDirectBox(Options()).Open();
    EXPECT_EQ(busy.code, TControlCode::Unreachable);
    EXPECT_EQ(busy.message, "COM4 wird von einem anderen Programm benutzt");
    first.reset();

    // The terminal itself, by its path.
    TDirectOptions options = Options();
    options.port = fs::read_symlink(dir.Link(4)).string();
    TDirectBox byPath(options);
    const TControlResult opened = byPath.Open();
    ASSERT_TRUE(opened.Ok()) << opened.message;
    EXPECT_EQ(opened.port, options.port);
    ASSERT_TRUE(byPath.Switch({3}, TDirectBox::TSwitch::On).Ok());
    file.on[3] = true;
    EXPECT_EQ(ReadBytes(data.BoxFile()), file.Bytes());
    const char* comDir = std::getenv("TAVRIN_COM_DIR");
    EXPECT_EQ(std::string(comDir ? comDir : ""), dir.Path());
}

}  // namespace
