// The start-up against real files in a temporary folder and a simulated box:
// what the data holder holds afterwards, the resolved file names, the box
// files, the search and its outcome.
#include <gtest/gtest.h>

#include <QAction>
#include <QTemporaryDir>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/StartUp.h"
#include "app/Tavrin.h"
#include "device/BoxController.h"
#include "device/PosixSerialPort.h"
#include "device/muATCmd.h"
#include "hub/mVedadAzaro.h"
#include "settings/SettingsSchema.h"
#include "store/muDataHolder.h"
#include "store/muIniIO.h"
#include "support/ProgramFixture.h"
#include "toolkit/mCloseTimer.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"

namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The messages of the start about a missing box (others, such as the one
// about a missing help file, may come before them).
std::vector<ShownMessage> NoBoxMessages(const FakePlatform& platform) {
    std::vector<ShownMessage> found;
    for (const ShownMessage& m : platform.messages)
        if (m.text == StartUp::kNoComPortMessage) found.push_back(m);
    return found;
}

std::vector<std::string> CommandTexts(const TNeltaBox& box) {
    std::vector<std::string> texts;
    for (const TNeltaCommand& c : box.Commands()) texts.push_back(c.text);
    return texts;
}

class StartUpTest : public ::testing::Test {
protected:
    TProgramFixture f;
};

TEST_F(StartUpTest, StoredSettingsAndBoxFileAreLoadedAndTheBoxIsFound) {
    f.WriteFile("tavrin.ini", "[TAVRIN]\r\nFormPos=Middle\r\nSILENT=ON\r\n[Logging]\r\nLogArt=LOG_ALL\r\n");
    f.WriteBoxFile(1, "[AC]\r\nACPower05=ON\r\nAC_Name02=Lampe\r\n[COM]\r\nPort=COM7\r\n");
    f.AddPort(1);  // opens, nobody answers
    TNeltaBox& box = f.AddBox(3, "USB-NELTA8");

    TAC_Program& p = f.Start();
    TmuDataholder& h = f.Holder();

    EXPECT_EQ(h.getValueString("INI|TAVRIN|FormPos"), "Middle");
    EXPECT_TRUE(h.getValueBoolean("INI|TAVRIN|SILENT"));
    EXPECT_EQ(h.getValueString("INI|Logging|LogArt"), "LOG_ALL");
    EXPECT_TRUE(h.getValueBoolean("AC01|AC|ACPower05"));
    EXPECT_FALSE(h.getValueBoolean("AC01|AC|ACPower04"));
    EXPECT_EQ(h.getValueString("AC01|AC|AC_Name02"), "Lampe");
    EXPECT_EQ(h.getValueString("AC01|AC|AC_Name01"), "Steckdosenname");
    EXPECT_EQ(h.getValueString("AC01|COM|Port"), "COM7");  // the box session rewrites it later

    // The search: COM1 and COM3 open; only COM3 answers. Lenient "at" once,
    // the strict test's seven "at", then "ati" twice, nothing else.
    EXPECT_EQ(p.COMPortCount, 2);
    ASSERT_NE(p.muATCmd1, nullptr);
    ASSERT_EQ(p.muATCmd1->ComPortList().size(), 2u);
    EXPECT_FALSE(p.muATCmd1->ComPortList()[0].Responds);
    EXPECT_TRUE(p.muATCmd1->ComPortList()[1].Responds);
    EXPECT_EQ(p.muATCmd1->ComPortList()[1].Ident, box.Ident());
    const std::vector<std::string> expected = {"at", "at", "at", "at", "at", "at", "at", "at", "ati", "ati"};
    EXPECT_EQ(CommandTexts(box), expected);

    // A box: no message, the window shown, the loop may run, auto-hide armed.
    EXPECT_TRUE(NoBoxMessages(f.platform).empty());
    EXPECT_FALSE(p.ComFailed());
    EXPECT_TRUE(p.isVisible());
    ASSERT_NE(p.Timer_Datetime(), nullptr);
    EXPECT_TRUE(p.Timer_Datetime()->Enabled());
    EXPECT_EQ(p.Timer_Datetime()->Interval(), 1000);
    EXPECT_TRUE(p.mCloseTimer_15min->Enabled());
    EXPECT_EQ(p.mCloseTimer_15min->Interval(), 15 * 60 * 1000);
    EXPECT_EQ(p.AutoCloseDeadline, f.platform.NowMs() + 15 * 60 * 1000);

    // The port stays open on the box with the program's line settings.
    std::string port;
    int baud = -1, dataBits = -1, stopBits = -1, parity = -1, flow = -1;
    ASSERT_TRUE(p.get_com_parameter(port, baud, dataBits, stopBits, parity, flow));
    EXPECT_EQ(port, "COM3");
    EXPECT_EQ(baud, static_cast<int>(TBaudRate::br57600));
    EXPECT_EQ(dataBits, static_cast<int>(TDataBits::dbEight));
    EXPECT_EQ(stopBits, static_cast<int>(TStopBits::sbOneStopBit));
    EXPECT_EQ(parity, static_cast<int>(TParityBits::prNone));
    EXPECT_EQ(flow, static_cast<int>(TFlowControl::fcNone));
    EXPECT_FALSE(p.ComPort1->OutCTSFlow());
    EXPECT_FALSE(p.ComPort1->OutDSRFlow());

    // The AT layer logs where the program logs, at the hub's settings.
    EXPECT_EQ(p.muATCmd1->ATComPort(), p.ComPort1);
    EXPECT_EQ(p.muATCmd1->getApplication(), &p.Box().Queue().Pump());
    EXPECT_EQ(p.muATCmd1->Log()->CompoID(), "LOG_ALL");
    EXPECT_EQ(p.muATCmd1->Log()->CurrentDir(), f.Folder());
    EXPECT_EQ(p.muATCmd1->Log()->SystemPath(), "System\\Logging");

    p.ComPort1->SetConnected(false);
    EXPECT_FALSE(p.get_com_parameter(port, baud, dataBits, stopBits, parity, flow));
    EXPECT_EQ(port, "");
}

// Every value of the reference schema, compared by type with the program's.
void ExpectHoldsDefaults(TmuDataholder& actual, const std::string& index,
                         const std::vector<std::string>& skip) {
    TmuDataholder reference;
    RegisterSettingsSchema(reference);
    struct Value {
        std::string path;
        TmDataType tag;
    };
    std::vector<Value> values;
    reference.set_IdxName(index);
    reference.clearNextValueID();
    const int secPos = reference.InitIndex(index);
    const int count = reference.getDataCount();
    ASSERT_GT(count, 0) << index;
    for (int i = 0; i < count; ++i) {
        const int id = reference.getNextValueID();
        TmDataType tag{};
        std::string key;
        reference.getDatatypeAsID(secPos, id, tag);
        reference.getValuenameAsID(secPos, id, key);
        values.push_back({index + "|" + key, tag});
    }
    for (const Value& v : values) {
        if (std::find(skip.begin(), skip.end(), v.path) != skip.end()) continue;
        switch (v.tag) {
            case TmDataType::Integer:
                EXPECT_EQ(actual.getValueInteger(v.path), reference.getValueInteger(v.path)) << v.path;
                break;
            case TmDataType::Boolean:
                EXPECT_EQ(actual.getValueBoolean(v.path), reference.getValueBoolean(v.path)) << v.path;
                break;
            case TmDataType::String:
                EXPECT_EQ(actual.getValueString(v.path), reference.getValueString(v.path)) << v.path;
                break;
            default:
                ADD_FAILURE() << v.path << " has an unexpected type";
        }
    }
}

TEST_F(StartUpTest, EmptyFolderKeepsEveryDefaultAndEndsWithTheMessage) {
    TAC_Program& p = f.Start();
    TmuDataholder& h = f.Holder();

    // "TopLeft" puts the window into the corner and stores 0, 0 there.
    ExpectHoldsDefaults(h, "INI", {"INI|TAVRIN|PositionX", "INI|TAVRIN|PositionY"});
    EXPECT_EQ(h.getValueInteger("INI|TAVRIN|PositionX"), p.x());
    EXPECT_EQ(h.getValueInteger("INI|TAVRIN|PositionY"), p.y());
    EXPECT_EQ(p.mVedadAzaro1->OperationSystem()->DesktopPosition(), "TopLeft");
    for (int box = 1; box <= 16; ++box) {
        char index[8];
        std::snprintf(index, sizeof index, "AC%02d", box);
        ExpectHoldsDefaults(h, index, {});
    }
    ExpectHoldsDefaults(h, "HLP", {});
    // The start-up's own results: the resolved names, the outcome, the window.
    ExpectHoldsDefaults(h, "DEFAULT",
                        {"DEFAULT|PRG|Actuall_AcFile", "DEFAULT|PRG|Actuall_HelpFile",
                         "DEFAULT|PRG|COM_Count", "DEFAULT|PRG|AC_COM_failed", "DEFAULT|PRG|AC_Visible"});

    // No port at all: the message, then the window stays hidden, the loop is
    // skipped and auto-hide is not armed.
    ASSERT_FALSE(f.platform.messages.empty());
    const ShownMessage& last = f.platform.messages.back();
    EXPECT_EQ(last.text, "Tavrin:\r\n\r\nKeine COM Schnittstelle vorhanden, Anwendung beendet sich.");
    EXPECT_EQ(last.buttons, MsgButtons::Ok);
    EXPECT_EQ(last.icon, MsgIcon::Error);
    EXPECT_EQ(last.caption, "");  // the program title
    EXPECT_EQ(NoBoxMessages(f.platform).size(), 1u);
    EXPECT_TRUE(p.ComFailed());
    EXPECT_FALSE(p.isVisible());
    EXPECT_EQ(p.COMPortCount, 0);
    EXPECT_FALSE(p.Timer_Datetime()->Enabled());
    EXPECT_FALSE(p.mCloseTimer_15min->Enabled());
    EXPECT_EQ(p.AutoCloseDeadline, 0);
    p.show();  // FormShow: no close timer without a box
    EXPECT_FALSE(p.mCloseTimer_15min->Enabled());
}

TEST_F(StartUpTest, ResolvedFileNamesAreUpperCasedWhereTheyComeFromDefaultsOrAppDir) {
    f.WriteFile("tavrin.ini", "[HLP]\nLngType=en\n[AC_Config]\nAC_ID=2\n");
    f.AddBox(1, "USB-NELTA4");
    TAC_Program& p = f.Start();
    TmuDataholder& h = f.Holder();
    const std::string dir = Upper(f.Folder());

    EXPECT_EQ(p.AppDir, f.Folder());
    EXPECT_EQ(h.getValueString("INI|PATH|ProgLogFile"), dir + "\\TAVRIN.EXE /SILENT");
    EXPECT_EQ(h.getValueString("Actuall_LogFile"), dir + "\\SYSTEM\\LOGGING\\LOGGING.LOG");
    EXPECT_EQ(h.getValueString("Actuall_Helpfile"), dir + "\\SYSTEM\\HILFE\\TAVRIN_EN.CHM");
    EXPECT_EQ(h.getValueString("COM_Count"), "01");
    // The loop over the box files leaves the last one read (box 1), not AC_ID's.
    EXPECT_EQ(h.getValueString("Actuall_AcFile"), dir + "\\SYSTEM\\AC_CONFIG\\AC_POWER_01.INI");
    EXPECT_EQ(StartUp::ResolveBoxFile(*p.mVedadAzaro1, p.AppDir, 2),
              dir + "\\SYSTEM\\AC_CONFIG\\AC_POWER_02.INI");
}

TEST_F(StartUpTest, BoxFilesFollowComCount) {
    struct Case {
        const char* comCount;        // text of COM_Count in tavrin.ini ("" : no key)
        std::string text;            // "COM_Count" afterwards
        int lastFile;                // box file Actuall_AcFile names
        std::vector<int> loaded;     // boxes whose AC_SN came from their file
        std::vector<int> untouched;  // boxes that keep the default
    };
    const Case cases[] = {
        {"0", "00", 1, {}, {1, 2, 3}},
        {"3", "03", 3, {1, 2, 3}, {4}},
        {"-2", "-2", 1, {}, {1}},
        // A damaged count loads the sixteen boxes there are, and ends.
        {"999999", "999999", 16, {1, 2, 3, 16}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.comCount);
        TProgramFixture fx;
        fx.WriteFile("tavrin.ini", std::string("[AC_Config]\nCOM_Count=") + c.comCount + "\n");
        for (int box : {1, 2, 3, 4, 16}) fx.WriteBoxFile(box, "[AC]\nAC_SN=SN" + std::to_string(box) + "\n");
        fx.AddBox(1, "USB-NELTA4");
        TAC_Program& p = fx.Start();
        TmuDataholder& h = fx.Holder();

        EXPECT_EQ(h.getValueString("COM_Count"), c.text);
        char last[64];
        std::snprintf(last, sizeof last, "\\SYSTEM\\AC_CONFIG\\AC_POWER_%02d.INI", c.lastFile);
        EXPECT_EQ(h.getValueString("Actuall_AcFile"), Upper(fx.Folder()) + last);
        for (int box : c.loaded) {
            char path[32];
            std::snprintf(path, sizeof path, "AC%02d|AC|AC_SN", box);
            EXPECT_EQ(h.getValueString(path), "SN" + std::to_string(box)) << path;
        }
        for (int box : c.untouched) {
            char path[32];
            std::snprintf(path, sizeof path, "AC%02d|AC|AC_SN", box);
            EXPECT_EQ(h.getValueString(path), "") << path;
        }
        // Slot 2 stays selected and bound to the last file read.
        TmuIniIO* ini = p.mVedadAzaro1->IniIO();
        EXPECT_EQ(ini->get_IniIoIndex(), 2);
        EXPECT_EQ(ini->get_IniIoCount(), 2);
        if (!c.loaded.empty()) {
            EXPECT_TRUE(ini->get_Active());
            char name[32];
            std::snprintf(name, sizeof name, "AC_POWER_%02d.INI", c.lastFile);
            EXPECT_EQ(ini->get_Filename(), name);
        } else {
            EXPECT_FALSE(ini->get_Active());
        }
        EXPECT_FALSE(p.ComFailed());
    }
}

TEST_F(StartUpTest, BoxFilePatternFromTavrinIniFindsItsFileInAnyLetterCase) {
    // Only the replacement texts are upper-cased; the lookup of the real
    // folders ignores the case.
    f.WriteFile("tavrin.ini", "[AC_Config]\nAC_File=$APPDIR\\Boxen\\box_$IDX.ini\n");
    f.WriteFile("Boxen/box_01.ini", "[AC]\nAC_SN=4711\n");
    f.AddBox(2, "USB-NELTA4");
    f.Start();
    EXPECT_EQ(f.Holder().getValueString("Actuall_AcFile"), Upper(f.Folder()) + "\\Boxen\\box_01.ini");
    EXPECT_EQ(f.Holder().getValueString("AC01|AC|AC_SN"), "4711");
}

TEST_F(StartUpTest, StoredPositionIsBroughtOntoTheScreenAndStoredBack) {
    // A name that is no preset executes no desktop action.
    f.WriteFile("tavrin.ini", "[TAVRIN]\nFormPos=Irgendwo\nPositionX=5000\nPositionY=-300\n");
    f.AddBox(1, "USB-NELTA4");
    TAC_Program& p = f.Start();
    TmuDataholder& h = f.Holder();
    const int x = h.getValueInteger("INI|TAVRIN|PositionX");
    const int y = h.getValueInteger("INI|TAVRIN|PositionY");
    EXPECT_EQ(p.mVedadAzaro1->OperationSystem()->DesktopPosition(), "Irgendwo");
    EXPECT_EQ(p.pos(), QPoint(x, y));
    EXPECT_GE(x, 0);
    EXPECT_LE(x + p.frameGeometry().width(), 1920);
    EXPECT_GE(y, 0);
    EXPECT_LE(y + p.frameGeometry().height(), 1080);
}

TEST_F(StartUpTest, DesktopActionOfTheStoredNameRunsExactlyOnce) {
    f.WriteFile("tavrin.ini", "[TAVRIN]\nFormPos=ButtomRight\n");
    f.AddBox(1, "USB-NELTA4");
    // The actions exist before FormCreate runs; count the triggers of the
    // preset named in the file and of one that is not.
    int named = 0;
    int other = 0;
    TAC_Program& p = f.Start();
    // Re-run only the placement step against the same window with counters
    // attached: the stored name selects its action by exact name.
    auto* right = p.findChild<QAction*>("Action_Desktop_ButtomRight");
    auto* left = p.findChild<QAction*>("Action_Desktop_ButtomLeft");
    ASSERT_NE(right, nullptr);
    ASSERT_NE(left, nullptr);
    QObject::connect(right, &QAction::triggered, [&] { ++named; });
    QObject::connect(left, &QAction::triggered, [&] { ++other; });
    StartUp::PlaceWindow(p);
    EXPECT_EQ(named, 1);
    EXPECT_EQ(other, 0);

    f.Holder().setValueString("INI|TAVRIN|FormPos", "buttomright");  // the comparison is exact
    StartUp::PlaceWindow(p);
    EXPECT_EQ(named, 1);
}

TEST_F(StartUpTest, BoxVanishingDuringTheSearchEndsTheStartWithoutABox) {
    TNeltaBoxConfig config;
    config.model = "USB-NELTA8";
    config.fault = TNeltaFault::Vanish;
    config.faultAfter = 3;
    f.AddBox(1, config);
    TAC_Program& p = f.Start();
    // The port error is shown, then the start ends as one without a box.
    ASSERT_GE(f.platform.messages.size(), 2u);
    const auto& messages = f.platform.messages;
    EXPECT_EQ(messages.back().text, StartUp::kNoComPortMessage);
    EXPECT_EQ(messages[messages.size() - 2].icon, MsgIcon::Error);
    EXPECT_NE(messages[messages.size() - 2].text, StartUp::kNoComPortMessage);
    EXPECT_EQ(NoBoxMessages(f.platform).size(), 1u);
    EXPECT_TRUE(p.ComFailed());
}

TEST(StartUpSearchTest, MissingPortsCostNoWaiting) {
    // The program's own port (PosixSerialPort) in a folder without a single
    // COM device: 128 names are tried, each failure serves the message queue
    // once (1 ms); no time-out is waited for anywhere.
    QTemporaryDir comDir;
    const char* saved = std::getenv("TAVRIN_COM_DIR");
    const std::string savedValue = saved ? saved : "";
    ::setenv("TAVRIN_COM_DIR", comDir.path().toUtf8().constData(), 1);
    {
        TProgramFixture f;
        const std::int64_t before = f.platform.NowMs();
        TAC_Program* p = new TAC_Program(&f.application);  // no port handed in
        EXPECT_NE(dynamic_cast<PosixSerialPort*>(p->ComPort1), nullptr);
        EXPECT_TRUE(p->ComFailed());
        EXPECT_EQ(p->COMPortCount, 0);
        EXPECT_LE(f.platform.NowMs() - before, 200);
        delete p;
    }
    if (saved)
        ::setenv("TAVRIN_COM_DIR", savedValue.c_str(), 1);
    else
        ::unsetenv("TAVRIN_COM_DIR");
}

}  // namespace
