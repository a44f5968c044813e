// The saving steps of the end: what reaches tavrin.ini and the box file, the
// switch-off of the marked sockets, and the end that survives a vanished box.
// The files are bound and loaded by the real start-up steps; the box is the
// in-process simulated one on the virtual clock.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

#include "AppTestSupport.h"
#include "app/Shutdown.h"
#include "app/StartUp.h"
#include "app/Tavrin.h"
#include "device/BoxController.h"
#include "device/SimulatedSerialPort.h"
#include "device/muATCmd.h"
#include "hub/mVedadAzaro.h"
#include "settings/SettingsSchema.h"
#include "store/muDataHolder.h"
#include "store/muIniIO.h"
#include "support/FakePlatform.h"
#include "support/ProgramFixture.h"
#include "toolkit/muLogging.h"
#include "ui/AC_Prg_Edit.h"
#include "ui/ProgramActions.h"
#include "ui/ProgramView.h"
#include "ui/SocketActions.h"

namespace fs = std::filesystem;

namespace {

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// A box file with every key. Sockets carry texts the program would never
// write ("yes", "No"), so a key the end rewrites is told from one it left.
// `values` replaces the text of single keys.
std::string BoxFileText(const std::string& namePrefix = "Dose",
                        const std::map<std::string, std::string>& values = {}) {
    std::ostringstream s;
    auto line = [&](const std::string& key, const std::string& text) {
        const auto it = values.find(key);
        s << key << "=" << (it != values.end() ? it->second : text) << "\r\n";
    };
    s << "; Steckdosenleiste\r\n[AC]\r\n";
    line("AC_Controller", "None");
    line("AC_BEEPER", "ON");
    line("AC_SN", "");
    line("AC_DELAY", "OFF");
    line("AC_DELAYTIME", "0");
    line("AC_PWDACTIVE", "OFF");
    line("AC_PWD", "");
    for (int n = 1; n <= 24; ++n) line("AC_Name" + TwoDigits(n), namePrefix + " " + std::to_string(n));
    for (int n = 1; n <= 24; ++n) line("ACPower" + TwoDigits(n), n % 2 ? "yes" : "No");
    for (int n = 1; n <= 24; ++n) line("AC_Down" + TwoDigits(n), "No");
    for (int n = 1; n <= 24; ++n) line("ACWDown" + TwoDigits(n), "No");
    s << "\r\n[COM]\r\n";
    line("Port", "COM1");
    line("Baudrate", "2400");
    line("Stopbit", "1");
    line("Parity", "None");
    line("Flowcontrol", "None");
    return s.str();
}

std::string MainIniText(int comCount, const std::string& logArt = "LOG_STD") {
    return "[TAVRIN]\r\nAUTOSTART=OFF\r\nSILENT=no\r\nPrgHide=OFF\r\nFormPos=TopLeft\r\nPositionX=150\r\n"
           "PositionY=150\r\n\r\n[Logging]\r\nLogging=ON\r\nLogArt=" +
           logArt +
           "\r\n\r\n[AC_Config]\r\n"
           "AC_File=$APPDIR\\System\\AC_Config\\AC_Power_$IDX.ini\r\nAC_ID=1\r\nCOM_Count=" +
           std::to_string(comCount) + "\r\n";
}

// key -> value of every key line of a file (sections ignored: the keys of
// the two files are unique).
std::map<std::string, std::string> Keys(const std::string& text) {
    std::map<std::string, std::string> keys;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto eq = line.find('=');
        if (eq != std::string::npos && line[0] != ';') keys[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return keys;
}

class ShutdownTest : public ::testing::Test {
protected:
    static constexpr int kComNo = 3;

    ShutdownTest() {
        EnsureAppTestApplication();
        appDir = dir.path().toStdString();
        platform.currentDir = appDir;
    }

    void Write(const std::string& relative, const std::string& text) {
        const fs::path path = fs::path(appDir) / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string Read(const std::string& relative) const {
        std::ifstream in(fs::path(appDir) / relative, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static std::string BoxFile(int n) { return "System/AC_Config/AC_Power_" + TwoDigits(n) + ".ini"; }

    // The start-up's file steps, a box on COM3 opened as the start leaves it.
    void Load(TNeltaBoxConfig config = {}) {
        hub = std::make_unique<TmVedadAzaro>();
        hub->setApplication(&application);
        RegisterSettingsSchema(*hub->Dataholder());
        StartUp::BindMainIniFile(*hub, appDir);
        StartUp::ReadMainIni(*hub);
        StartUp::ResolveFileNames(*hub, appDir);
        StartUp::ReadBoxFiles(*hub, appDir);

        port.AddBox(kComNo, std::move(config));
        port.SetPort("COM" + std::to_string(kComNo));
        port.SetConnected(true);
        atCmd = std::make_unique<TmuATCmd>();
        atCmd->SetATComPort(&port);
        atCmd->setApplication(&application);
        controller = std::make_unique<TBoxController>(
            TBoxController::TLinks{.hub = hub.get(), .port = &port, .atCmd = [this] { return atCmd.get(); }},
            TBoxController::TState{
                .InitStart = &initStart, .ACDosenCount = &ACDosenCount, .COMPortLogging = &comPortLogging});
        controller->Queue().SetApplication(&application);
        shutdown = std::make_unique<TShutdown>(
            TShutdown::TParts{.hub = *hub, .box = *controller},
            TShutdown::TState{.AppDir = appDir, .ACDosenCount = ACDosenCount, .programLogging = [] {
                                  return static_cast<TmuLogging*>(nullptr);
                              }});
    }

    // Ends as the main window does: the saving steps, then the release of
    // the hub, which writes tavrin.ini.
    void End() {
        shutdown->SaveAll();
        Release();
    }
    void Release() {
        shutdown.reset();
        controller.reset();
        atCmd.reset();
        hub.reset();
    }

    TmuDataholder& Holder() { return *hub->Dataholder(); }
    void Set(const std::string& path, bool value) { Holder().setValueBoolean(path, value); }

    std::vector<std::string> BoxCommands() {
        std::vector<std::string> out;
        if (TNeltaBox* box = port.Box(kComNo))
            for (const auto& c : box->Commands())
                if (!c.text.empty()) out.push_back(c.text);
        return out;
    }

    QTemporaryDir dir;
    std::string appDir;
    FakePlatform platform;
    FakeApplication application;
    SimulatedSerialPort port;
    bool comPortLogging = false;
    int ACDosenCount = 4;
    std::unique_ptr<TmVedadAzaro> hub;
    std::unique_ptr<TmuATCmd> atCmd;
    bool initStart = false;
    std::unique_ptr<TBoxController> controller;
    std::unique_ptr<TShutdown> shutdown;
};

TEST_F(ShutdownTest, WritesBothFilesForTheBoxSocketsOnlyAndSwitchesTheMarkedOnesOff) {
    Write("tavrin.ini", MainIniText(1));
    const std::string boxText = BoxFileText();
    Write(BoxFile(1), boxText);
    Load();

    TmuDataholder& h = Holder();
    h.setValueInteger("INI|TAVRIN|PositionX", 321);
    h.setValueInteger("INI|TAVRIN|PositionY", -5);
    h.setValueString("INI|TAVRIN|FormPos", "Middle");
    Set("INI|TAVRIN|AUTOSTART", true);
    Set("INI|TAVRIN|PrgHide", true);
    h.setValueString("AC01|COM|Port", "COM3");
    h.setValueString("AC01|COM|Baudrate", "57600");
    h.setValueString("AC01|AC|AC_Name03", "");  // an empty name is stored as it is
    h.setValueString("AC01|AC|AC_Name04", "Kühlschrank");
    h.setValueString("AC01|AC|AC_Controller", "NELTA-V1.4-BOX4-USB");
    h.setValueInteger("AC01|AC|AC_DELAYTIME", 7);
    // Socket 2: marked and on. Socket 3: marked, off. Socket 4: action wanted
    // but "Einstellung so lassen". Socket 5 lies beyond the box.
    Set("AC01|AC|ACPower02", true);
    Set("AC01|AC|AC_Down02", true);
    Set("AC01|AC|ACWDown02", true);
    Set("AC01|AC|AC_Down03", true);
    Set("AC01|AC|ACWDown03", true);
    Set("AC01|AC|AC_Down04", true);
    Set("AC01|AC|AC_Down05", true);
    Set("AC01|AC|ACWDown05", true);

    End();

    EXPECT_EQ(BoxCommands(), (std::vector<std::string>{"ato2", "ato3"}));
    EXPECT_FALSE(port.Connected());

    auto main = Keys(Read("tavrin.ini"));
    EXPECT_EQ(main["PositionX"], "321");
    EXPECT_EQ(main["PositionY"], "-5");
    EXPECT_EQ(main["FormPos"], "Middle");
    EXPECT_EQ(main["AUTOSTART"], "ON");
    EXPECT_EQ(main["SILENT"], "OFF");
    EXPECT_EQ(main["PrgHide"], "ON");
    EXPECT_EQ(main["COM_Count"], "1");

    const std::string written = Read(BoxFile(1));
    auto box = Keys(written);
    EXPECT_EQ(box["Port"], "COM3");
    EXPECT_EQ(box["Baudrate"], "57600");
    EXPECT_EQ(box["AC_Controller"], "NELTA-V1.4-BOX4-USB");
    EXPECT_EQ(box["AC_DELAYTIME"], "7");
    EXPECT_EQ(box["AC_BEEPER"], "ON");
    EXPECT_EQ(box["AC_Name01"], "Dose 1");
    EXPECT_EQ(box["AC_Name03"], "");
    EXPECT_EQ(box["AC_Name04"], "Kühlschrank");
    // The switch-off leaves the stored state: the next start switches it on.
    EXPECT_EQ(box["ACPower02"], "ON");
    EXPECT_EQ(box["ACPower01"], "ON");  // read "yes", written back in the file's notation
    EXPECT_EQ(box["ACPower04"], "OFF");
    EXPECT_EQ(box["AC_Down02"], "ON");
    EXPECT_EQ(box["ACWDown02"], "ON");
    EXPECT_EQ(box["ACWDown04"], "OFF");

    // Keys of sockets 5 to 24 keep their text, line for line.
    const auto original = Keys(boxText);
    for (int n = 5; n <= 24; ++n) {
        for (const char* stem : {"AC_Name", "ACPower", "AC_Down", "ACWDown"}) {
            const std::string key = stem + TwoDigits(n);
            EXPECT_EQ(box[key], original.at(key)) << key;
            EXPECT_NE(written.find(key + "=" + original.at(key) + "\r\n"), std::string::npos) << key;
        }
    }
}

// The data holder's reads and the INI binding's writes of the saving, in
// their order, taken from the two components' traces: "get <path>" for a
// read, "<writer> <section>|<key>=<value>" for a write. The inner WriteString
// of a WriteOnOFF is left out.
class ShutdownTraceTest : public ShutdownTest {
protected:
    static constexpr const char* kTraceFile = "System/Logging/writes.log";

    void Trace() {
        fs::create_directories(fs::path(appDir) / "System" / "Logging");
        for (TmuLogging* log :
             {static_cast<TmuLogging*>(hub->IniIO()->Log()), static_cast<TmuLogging*>(Holder().Log())}) {
            log->SetCurrentDir(appDir);
            log->SetSystemPath("System\\Logging");
            log->SetFileName("writes.log");
            log->SetCompoID("LOG_ALL");
            log->SetActiveLog(true);
        }
    }

    std::vector<std::string> Operations() const {
        static const std::vector<std::string> readers = {"getValueInteger", "getValueBoolean",
                                                         "getValueString"};
        static const std::vector<std::string> writers = {"WriteInteger", "WriteString", "WriteOnOFF"};
        auto entry = [](const std::string& line, const std::vector<std::string>& names) -> std::string {
            for (const std::string& name : names)
                if (line.size() > name.size() &&
                    line.compare(line.size() - name.size(), name.size(), name) == 0 &&
                    line.find(" -->> ") != std::string::npos && line.find(" : " + name) != std::string::npos)
                    return name;
            return {};
        };
        auto variable = [](const std::string& line, const std::string& name, std::string& value) {
            const std::string marker = "(" + name + ") ]: = ";
            const auto at = line.find(marker);
            if (at == std::string::npos) return false;
            value = line.substr(at + marker.size());
            return true;
        };

        std::vector<std::string> out;
        std::istringstream in(Read(kTraceFile));
        std::string line, op, section, ident, value, lastOnOff;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (std::string name = entry(line, readers); !name.empty()) {
                op = "get";
                continue;
            }
            if (std::string name = entry(line, writers); !name.empty()) {
                op = name;
                section.clear();
                ident.clear();
                continue;
            }
            if (op == "get" && variable(line, "i_sIdValue", value)) {
                out.push_back("get " + value);
                op.clear();
            } else if (!op.empty() && op != "get") {
                if (variable(line, "i_sSection", section) || variable(line, "i_sIdent", ident)) continue;
                if (variable(line, "i_iValue", value) || variable(line, "i_sValue", value) ||
                    variable(line, "i_bValue", value)) {
                    const std::string write = section + "|" + ident + "=";
                    if (op == "WriteString" && lastOnOff == write) {
                        lastOnOff.clear();  // the OnOFF's own text
                    } else {
                        out.push_back(op + " " + write + value);
                        lastOnOff = op == "WriteOnOFF" ? write : "";
                    }
                    op.clear();
                }
            }
        }
        return out;
    }
};

// Every value is read by its full path just before it is written, the two
// end marks of a socket together; the writer follows the value's type; the
// box's sockets only, then the box's own settings after the port is closed.
TEST_F(ShutdownTraceTest, ReadsAndWritesExactlyTheSavedValuesInTheirOrder) {
    Write("tavrin.ini", MainIniText(1));
    Write(BoxFile(1), BoxFileText());
    ACDosenCount = 2;
    Load();
    TmuDataholder& h = Holder();
    h.setValueInteger("INI|TAVRIN|PositionX", 321);
    h.setValueString("INI|TAVRIN|FormPos", "Middle");
    Set("INI|TAVRIN|PrgHide", true);
    h.setValueString("AC01|COM|Port", "COM3");
    h.setValueString("AC01|AC|AC_Name02", "Lampe");
    Set("AC01|AC|AC_Down02", true);
    h.setValueInteger("AC01|AC|AC_DELAYTIME", 7);
    h.setValueString("AC01|AC|AC_PWD", "geheim");
    Trace();

    shutdown->SaveAll();

    std::vector<std::string> expected = {
        "get INI|TAVRIN|PositionX",
        "WriteInteger TAVRIN|PositionX=321",
        "get INI|TAVRIN|PositionY",
        "WriteInteger TAVRIN|PositionY=150",
        "get INI|TAVRIN|FormPos",
        "WriteString TAVRIN|FormPos=Middle",
        "get INI|TAVRIN|AUTOSTART",
        "WriteOnOFF TAVRIN|AUTOSTART=False",
        "get INI|TAVRIN|SILENT",
        "WriteOnOFF TAVRIN|SILENT=False",
        "get INI|TAVRIN|PrgHide",
        "WriteOnOFF TAVRIN|PrgHide=True",
        "get COM_Count",  // the box file count, once for the selection of box file 01
        "get AC01|COM|Port",
        "WriteString COM|Port=COM3",
        "get AC01|COM|Baudrate",
        "WriteString COM|Baudrate=2400",
        "get AC01|COM|Stopbit",
        "WriteString COM|Stopbit=1",
        "get AC01|COM|Parity",
        "WriteString COM|Parity=None",
        "get AC01|COM|Flowcontrol",
        "WriteString COM|Flowcontrol=None",
    };
    const struct {
        const char* name;
        const char* power;
        const char* down;
    } sockets[] = {{"Dose 1", "True", "False"}, {"Lampe", "False", "True"}};
    for (int n = 1; n <= 2; ++n) {
        const std::string NN = TwoDigits(n);
        const auto& socket = sockets[n - 1];
        for (const std::string& op :
             {"get AC01|AC|AC_Name" + NN, "WriteString AC|AC_Name" + NN + "=" + socket.name,
              "get AC01|AC|ACPower" + NN, "WriteOnOFF AC|ACPower" + NN + "=" + socket.power,
              "get AC01|AC|AC_Down" + NN, "get AC01|AC|ACWDown" + NN,
              "WriteOnOFF AC|AC_Down" + NN + "=" + socket.down, "WriteOnOFF AC|ACWDown" + NN + "=False"})
            expected.push_back(op);
    }
    for (const char* op :
         {"get AC01|AC|AC_Controller", "WriteString AC|AC_Controller=None", "get AC01|AC|AC_BEEPER",
          "WriteOnOFF AC|AC_BEEPER=True", "get AC01|AC|AC_SN",
          "WriteString AC|AC_SN=", "get AC01|AC|AC_DELAY", "WriteOnOFF AC|AC_DELAY=False",
          "get AC01|AC|AC_DELAYTIME", "WriteInteger AC|AC_DELAYTIME=7", "get AC01|AC|AC_PWDACTIVE",
          "WriteOnOFF AC|AC_PWDACTIVE=False", "get AC01|AC|AC_PWD", "WriteString AC|AC_PWD=geheim"})
        expected.push_back(op);
    EXPECT_EQ(Operations(), expected);
}

TEST_F(ShutdownTest, WithoutABoxTheMainFileIsStillWrittenAndNothingIsSent) {
    Write("tavrin.ini", MainIniText(1));
    const std::string boxText = BoxFileText();
    Write(BoxFile(1), boxText);
    ACDosenCount = 0;
    Load();
    port.SetConnected(false);
    Holder().setValueString("INI|TAVRIN|FormPos", "ButtomRight");
    Set("AC01|AC|AC_Down01", true);
    Set("AC01|AC|ACWDown01", true);
    Set("AC01|AC|ACPower01", false);

    End();

    EXPECT_TRUE(BoxCommands().empty());
    EXPECT_EQ(Keys(Read("tavrin.ini"))["FormPos"], "ButtomRight");
    auto box = Keys(Read(BoxFile(1)));
    EXPECT_EQ(box["ACPower01"], "yes");  // no socket key without a box
    EXPECT_EQ(box["AC_Name01"], "Dose 1");
}

TEST_F(ShutdownTest, WithSeveralBoxFilesTheFirstBoxGoesToFileOne) {
    Write("tavrin.ini", MainIniText(2));
    Write(BoxFile(1), BoxFileText("Eins"));
    const std::string second = BoxFileText("Zwei");
    Write(BoxFile(2), second);
    Load();
    ASSERT_EQ(Holder().getValueString("AC01|AC|AC_Name01"), "Eins 1");
    ASSERT_EQ(Holder().getValueString("AC02|AC|AC_Name01"), "Zwei 1");
    Holder().setValueString("AC01|AC|AC_Name02", "Lampe");
    Holder().setValueString("AC01|COM|Port", "COM3");

    End();

    auto first = Keys(Read(BoxFile(1)));
    EXPECT_EQ(first["AC_Name01"], "Eins 1");
    EXPECT_EQ(first["AC_Name02"], "Lampe");
    EXPECT_EQ(first["Port"], "COM3");
    EXPECT_EQ(Read(BoxFile(2)), second);
}

TEST_F(ShutdownTest, ABoxThatVanishesDuringTheSwitchOffLosesNoSetting) {
    Write("tavrin.ini", MainIniText(1));
    Write(BoxFile(1), BoxFileText());
    TNeltaBoxConfig config;
    config.model = "USB-NELTA4";
    config.fault = TNeltaFault::Vanish;
    config.faultAfter = 0;
    Load(config);
    for (int n : {1, 3}) {
        Set("AC01|AC|AC_Down" + TwoDigits(n), true);
        Set("AC01|AC|ACWDown" + TwoDigits(n), true);
    }
    Holder().setValueString("AC01|AC|AC_Name04", "Radio");
    Holder().setValueString("AC01|AC|AC_SN", "SN-77");
    Holder().setValueString("INI|TAVRIN|FormPos", "Middle");

    shutdown->SaveAll();
    EXPECT_EQ(shutdown->PortErrors(), 2);  // both switch-offs met the broken port
    EXPECT_FALSE(port.Connected());
    Release();

    auto box = Keys(Read(BoxFile(1)));
    EXPECT_EQ(box["AC_Name04"], "Radio");
    EXPECT_EQ(box["ACWDown03"], "ON");
    EXPECT_EQ(box["AC_SN"], "SN-77");
    EXPECT_EQ(box["ACPower01"], "ON");
    EXPECT_EQ(Keys(Read("tavrin.ini"))["FormPos"], "Middle");
}

// ---------------------------------------------------------------------------
// The whole program: started against a simulated box, ended by "Beenden" or
// by the end of the session (the windows destroyed with NoExit still set).

class ShutdownProgramTest : public ::testing::Test {
protected:
    static constexpr int kComNo = 3;

    // A USB-NELTA4 on COM3 whose echo and reply arrive together.
    TNeltaBox& AddBox() {
        TNeltaBoxConfig config;
        config.model = "USB-NELTA4";
        config.replyDelayMs = 0;
        return f.AddBox(kComNo, config);
    }
    // Sockets 2 and 3 marked "Ausschalten", socket 2 stored on.
    static std::string MarkedBoxFile() {
        return BoxFileText("Dose", {{"ACPower02", "ON"},
                                    {"AC_Down02", "ON"},
                                    {"ACWDown02", "ON"},
                                    {"ACPower03", "OFF"},
                                    {"AC_Down03", "ON"},
                                    {"ACWDown03", "ON"}});
    }
    TAC_Program& StartAndInitialise() {
        TAC_Program& p = f.Start();
        f.Run(1000);  // the silent-start window's tick: the box initialisation
        return p;
    }
    void Beenden() {
        f.Program().ProgramActions().Action_TrayPrg_CloseExecute()->trigger();
        f.Stop();
    }
    // Commands (bare carriage returns left out) from position `from` on.
    std::vector<std::string> CommandsFrom(std::size_t from) {
        std::vector<std::string> out;
        const auto& all = f.Box(kComNo)->Commands();
        for (std::size_t i = from; i < all.size(); ++i)
            if (!all[i].text.empty()) out.push_back(all[i].text);
        return out;
    }
    std::size_t CommandCount() { return f.Box(kComNo)->Commands().size(); }
    std::string BoxFile() const { return f.ReadFile(TProgramFixture::BoxFilePath(1)); }

    TProgramFixture f;
};

TEST_F(ShutdownProgramTest, BeendenSwitchesTheMarkedSocketsOffAndTheNextStartRestoresThem) {
    f.WriteFile("tavrin.ini", MainIniText(1));
    const std::string boxText = MarkedBoxFile();
    f.WriteBoxFile(1, boxText);
    TNeltaBox& box = AddBox();
    TAC_Program& p = StartAndInitialise();
    ASSERT_EQ(p.ACDosenCount, 4);
    ASSERT_TRUE(box.Socket(2));
    f.Holder().setValueString("AC01|AC|AC_Name04", "Radio");
    const std::size_t mark = CommandCount();

    Beenden();

    EXPECT_EQ(CommandsFrom(mark), (std::vector<std::string>{"ato2", "ato3"}));
    EXPECT_FALSE(box.Socket(2));
    auto main = Keys(f.ReadFile("tavrin.ini"));
    EXPECT_EQ(main["SILENT"], "OFF");  // read "no", written in the program's notation
    EXPECT_EQ(main["FormPos"], "TopLeft");
    const std::string written = BoxFile();
    auto keys = Keys(written);
    EXPECT_EQ(keys["ACPower02"], "ON");  // the switch-off leaves the stored state
    EXPECT_EQ(keys["ACPower03"], "OFF");
    EXPECT_EQ(keys["AC_Name04"], "Radio");
    EXPECT_EQ(keys["Port"], "COM3");
    EXPECT_EQ(keys["Baudrate"], "57600");
    // Only sockets 1 to 4 are written: the keys of 5 to 24 keep their text.
    const auto original = Keys(boxText);
    for (int n = 5; n <= 24; ++n)
        for (const char* stem : {"AC_Name", "ACPower", "AC_Down", "ACWDown"}) {
            const std::string key = stem + TwoDigits(n);
            EXPECT_NE(written.find("\r\n" + key + "=" + original.at(key) + "\r\n"), std::string::npos) << key;
        }

    // The next start drives socket 2 back on, socket 3 stays off.
    StartAndInitialise();
    EXPECT_TRUE(box.Socket(2));
    EXPECT_FALSE(box.Socket(3));
    f.Stop();
}

TEST_F(ShutdownProgramTest, TheEndOfTheSessionSavesAndSwitchesOffWithoutBeenden) {
    f.WriteFile("tavrin.ini", MainIniText(1, "LOG_ALL"));
    f.WriteBoxFile(1, MarkedBoxFile());
    f.MakeFolder("System/Logging");
    AddBox();
    TAC_Program& p = StartAndInitialise();
    ASSERT_TRUE(p.NoExit);
    p.WMSysCommand(TAC_Program::SysCommand::Close);  // the title bar's close only hides
    f.Run(10);
    const std::string logPath = "System/Logging/mLogging.log";
    EXPECT_EQ(f.ReadFile(logPath).find("Sorry NoExit"), std::string::npos);
    f.Holder().setValueString("AC01|AC|AC_Name01", "Licht");
    const std::size_t mark = CommandCount();

    f.Stop();  // the windows are destroyed, the silent-start window first

    EXPECT_EQ(CommandsFrom(mark), (std::vector<std::string>{"ato2", "ato3"}));
    EXPECT_EQ(Keys(BoxFile())["AC_Name01"], "Licht");
    const std::string log = f.ReadFile(logPath);
    EXPECT_NE(log.find("Sorry NoExit verhindert das Beenden vom Programm"), std::string::npos);
    // FormDestroy ran once.
    std::size_t destroys = 0;
    for (auto at = log.find("Alle Klassen vernichten !!!"); at != std::string::npos;
         at = log.find("Alle Klassen vernichten !!!", at + 1))
        ++destroys;
    EXPECT_EQ(destroys, 1u);
    EXPECT_NE(log.find("Alle noch vorhandenen Klassen vernichten!"), std::string::npos);
}

TEST_F(ShutdownProgramTest, AStartWithoutABoxStillWritesTheMainFileAndSendsNothing) {
    f.WriteFile("tavrin.ini", MainIniText(1));
    const std::string boxText = MarkedBoxFile();
    f.WriteBoxFile(1, boxText);
    TAC_Program& p = f.Start();
    ASSERT_TRUE(p.ComFailed());
    const std::size_t written = f.Port().Written().size();

    f.Stop();

    EXPECT_EQ(f.Port().Written().size(), written);
    EXPECT_EQ(Keys(f.ReadFile("tavrin.ini"))["SILENT"], "OFF");
    EXPECT_EQ(Keys(BoxFile())["ACPower01"], "yes");  // no socket key without a box
}

TEST_F(ShutdownProgramTest, ABoxUnpluggedBeforeTheEndLeavesBothFilesWritten) {
    f.WriteFile("tavrin.ini", MainIniText(1));
    f.WriteBoxFile(1, MarkedBoxFile());
    AddBox();
    StartAndInitialise();
    f.Holder().setValueString("AC01|AC|AC_Name04", "Radio");
    f.Holder().setValueString("INI|TAVRIN|FormPos", "Middle");
    f.Port().RemovePort(kComNo);

    Beenden();

    auto keys = Keys(BoxFile());
    EXPECT_EQ(keys["AC_Name04"], "Radio");
    EXPECT_EQ(keys["ACPower02"], "ON");
    EXPECT_EQ(keys["Port"], "COM3");
    EXPECT_EQ(keys["AC_Controller"].rfind("NELTA-", 0), 0u);
    EXPECT_EQ(Keys(f.ReadFile("tavrin.ini"))["FormPos"], "Middle");
}

TEST_F(ShutdownProgramTest, ASocketMarkedInTheEditDialogClosedByItsCloseBoxIsSwitchedOffAtTheEnd) {
    f.WriteFile("tavrin.ini", MainIniText(1));
    f.WriteBoxFile(1, BoxFileText());
    AddBox();
    TAC_Program& p = StartAndInitialise();
    QTimer::singleShot(0, AC_Edit, [] {
        AC_Edit->Edit1()->setText(QStringLiteral("Heizlüfter"));
        AC_Edit->CheckBox_WDown()->setChecked(true);
        AC_Edit->ComboBox_AC_WindowsOFF()->setCurrentIndex(TAC_Edit::EntrySwitchOff);
        AC_Edit->close();
    });
    p.SocketActions().Edit(1)->trigger();
    EXPECT_EQ(p.View().ACNameX(1)->text(), QStringLiteral("Heizlüfter"));
    const std::size_t mark = CommandCount();

    Beenden();

    EXPECT_EQ(CommandsFrom(mark), (std::vector<std::string>{"ato1"}));
    auto keys = Keys(BoxFile());
    EXPECT_EQ(keys["AC_Name01"], "Heizlüfter");
    EXPECT_EQ(keys["AC_Down01"], "ON");
    EXPECT_EQ(keys["ACWDown01"], "ON");
}

TEST_F(ShutdownProgramTest, EmergencyOffIsStoredForTheBoxSocketsAtTheEnd) {
    f.WriteFile("tavrin.ini", MainIniText(1));
    f.WriteBoxFile(1, BoxFileText("Dose", {{"ACPower02", "ON"}, {"ACPower04", "ON"}}));
    TNeltaBox& box = AddBox();
    TAC_Program& p = StartAndInitialise();
    ASSERT_TRUE(box.Socket(4));
    const std::size_t mark = CommandCount();

    p.ProgramActions().Action_DangerOFF()->trigger();
    EXPECT_EQ(CommandsFrom(mark), (std::vector<std::string>{"att0", "atoff"}));
    for (int n = 1; n <= 24; ++n) EXPECT_FALSE(f.Holder().getValueBoolean("AC01|AC|ACPower" + TwoDigits(n)));
    Beenden();

    auto keys = Keys(BoxFile());
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(keys["ACPower" + TwoDigits(n)], "OFF") << n;
    EXPECT_EQ(keys["ACPower05"], "yes");
}

}  // namespace
