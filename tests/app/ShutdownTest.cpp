// The saving steps of the end: what reaches tavrin.ini and the box file, the
// switch-off of the marked sockets, and the end that survives a vanished box.
// The files are bound and loaded by the real start-up steps; the box is the
// in-process simulated one on the virtual clock.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

#include "AppTestSupport.h"
#include "app/SettingsSchema.h"
#include "app/Shutdown.h"
#include "app/StartUp.h"
#include "device/SimulatedSerialPort.h"
#include "device/muATCmd.h"
#include "store/muDataHolder.h"
#include "support/FakePlatform.h"
#include "toolkit/mVedadAzaro.h"
#include "ui/CommandExchange.h"

namespace fs = std::filesystem;

namespace {

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// A box file with every key. Sockets carry texts the program would never
// write ("yes", "No"), so a key the end rewrites is told from one it left.
std::string BoxFileText(const std::string& namePrefix = "Dose") {
    std::ostringstream s;
    s << "; Steckdosenleiste\r\n[AC]\r\nAC_Controller=None\r\nAC_BEEPER=ON\r\nAC_SN=\r\nAC_DELAY=OFF\r\n"
         "AC_DELAYTIME=0\r\nAC_PWDACTIVE=OFF\r\nAC_PWD=\r\n";
    for (int n = 1; n <= 24; ++n) s << "AC_Name" << TwoDigits(n) << "=" << namePrefix << " " << n << "\r\n";
    for (int n = 1; n <= 24; ++n) s << "ACPower" << TwoDigits(n) << "=" << (n % 2 ? "yes" : "No") << "\r\n";
    for (int n = 1; n <= 24; ++n) s << "AC_Down" << TwoDigits(n) << "=No\r\n";
    for (int n = 1; n <= 24; ++n) s << "ACWDown" << TwoDigits(n) << "=No\r\n";
    s << "\r\n[COM]\r\nPort=COM1\r\nBaudrate=2400\r\nStopbit=1\r\nParity=None\r\nFlowcontrol=None\r\n";
    return s.str();
}

std::string MainIniText(int comCount) {
    return "[TAVRIN]\r\nAUTOSTART=OFF\r\nSILENT=OFF\r\nPrgHide=OFF\r\nFormPos=TopLeft\r\nPositionX=150\r\n"
           "PositionY=150\r\n\r\n[AC_Config]\r\nAC_File=$APPDIR\\System\\AC_Config\\AC_Power_$IDX.ini\r\n"
           "AC_ID=1\r\nCOM_Count=" +
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
        exchange = std::make_unique<TCommandExchange>(
            *hub, comPortLogging,
            TCommandExchange::TLinks{[this] { return static_cast<SerialPort*>(&port); },
                                     [this] { return atCmd.get(); }, [](const std::string&) {},
                                     [] { return static_cast<TmuLogging*>(nullptr); }});
        shutdown = std::make_unique<TShutdown>(
            TShutdown::TParts{*hub, *exchange, nullptr},
            TShutdown::TState{appDir, ACDosenCount, [] { return static_cast<TmuLogging*>(nullptr); }});
    }

    // Ends as the main window does: the saving steps, then the release of
    // the hub, which writes tavrin.ini.
    void End() {
        shutdown->SaveAll();
        Release();
    }
    void Release() {
        shutdown.reset();
        exchange.reset();
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
    std::unique_ptr<TCommandExchange> exchange;
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

}  // namespace
