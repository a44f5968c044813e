// Operating system services on the scripted platform: the version text, the
// placement and resize rules, on-top failures, the message pump and shortcuts.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/FakePlatform.h"
#include "toolkit/Form.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"

namespace {

namespace fs = std::filesystem;

// A form with a geometry and an on-top band that can refuse.
class GeometryForm : public Form {
public:
    explicit GeometryForm(TRect g) : geometry(g) {}
    std::string Name() const override { return "GeometryForm"; }
    std::vector<Control*> OwnedControls() const override { return {}; }
    TRect Geometry() const override { return geometry; }
    void SetPosition(int left, int top) override {
        geometry.x = left;
        geometry.y = top;
    }
    bool Visible() const override { return true; }
    void Show() override {}
    void Hide() override {}
    void Close() override {}
    bool SetStayOnTop(bool on) override {
        if (refuseWithErrno != 0) {
            errno = refuseWithErrno;
            return false;
        }
        onTop = on;
        return true;
    }

    TRect geometry;
    bool onTop = false;
    int refuseWithErrno = 0;
};

class OperationSystemTest : public ::testing::Test {
protected:
    // Windows NT workstation record of the given version.
    void SetNt(std::uint32_t major, std::uint32_t minor, std::uint8_t productType = 1) {
        platform.osVersion = TOsVersionInfo{};
        platform.osVersion.platformId = 2;
        platform.osVersion.major = major;
        platform.osVersion.minor = minor;
        platform.osVersion.productType = productType;
    }

    // Routes the service's trace into a fresh log file at level All.
    std::string TraceToTempLog() {
        logDir =
            fs::path(::testing::TempDir()) /
            ("ossvc_log_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(logDir);
        fs::create_directories(logDir / "System" / "Logging");
        os.Log()->SetCurrentDir(logDir.string());
        os.Log()->SetSystemPath("System\\Logging");
        os.Log()->SetCompoID("LOG_ALL");
        return (logDir / "System" / "Logging" / "mLogging.log").string();
    }

    static std::string ReadAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    FakePlatform platform;
    TmuOperationSystem os;
    fs::path logDir;
};

struct VersionCase {
    const char* what;
    std::uint32_t platformId, major, minor;
    std::uint8_t productType;
    std::uint16_t suiteMask;
    const char* servicePack;
    const char* registryVersion;  // nullptr: no value
    const char* registryBuild;
    int metric89;
    const char* expected;
};

const VersionCase kVersionCases[] = {
    {"win10 reporting 6.2", 2, 6, 2, 1, 0, "", "6.3", "19045", 0, "Windows 10 Professional"},
    {"xp with service pack", 2, 5, 1, 1, 0, "Service Pack 3", nullptr, nullptr, 0,
     "Windows XP Professional Service Pack 3"},
    {"xp home edition", 2, 5, 1, 1, 0x200, "", nullptr, nullptr, 0, "Windows XP Home Edition"},
    {"2000", 2, 5, 0, 1, 0, "", nullptr, nullptr, 0, "Windows 2000 Professional"},
    {"server 2003 r2", 2, 5, 2, 3, 0, "", nullptr, nullptr, 1, "Windows Server 2003 \"R2\" Professional"},
    {"xp x64", 2, 5, 2, 1, 0, "", nullptr, nullptr, 0, "Windows XP x64 Professional"},
    {"home server", 2, 5, 2, 3, 0x8000, "", nullptr, nullptr, 0, "Windows Home Server Professional"},
    {"server 2003", 2, 5, 2, 3, 0, "", nullptr, nullptr, 0, "Windows Server 2003 Professional"},
    {"nt4", 2, 4, 0, 1, 0, "", nullptr, nullptr, 0, "Windows NT Professional"},
    {"vista", 2, 6, 0, 1, 0, "Service Pack 2", nullptr, nullptr, 0,
     "Windows Vista Professional Service Pack 2"},
    {"server 2008", 2, 6, 0, 3, 0, "", nullptr, nullptr, 0, "Windows Server 2008 Professional"},
    {"seven home", 2, 6, 1, 1, 0x200, "", nullptr, nullptr, 0, "Windows 7 Home Edition"},
    {"server 2008 r2", 2, 6, 1, 3, 0, "", nullptr, nullptr, 0, "Windows Server 2008 R2 Professional"},
    {"eight without registry", 2, 6, 2, 1, 0, "", nullptr, nullptr, 0, "Windows 8 Professional"},
    {"6.2 with registry build 9200", 2, 6, 2, 1, 0, "", "6.2", "9200", 0, "Windows 8 8 Professional"},
    {"6.2 with registry build 9600", 2, 6, 2, 1, 0, "", "6.2", "9600", 0, "Windows 8 8.1 Professional"},
    {"6.2 with preview build 9880", 2, 6, 2, 1, 0, "", "6.2", "9880", 0, "Windows 8 10 Professional"},
    {"6.2 with build 9881", 2, 6, 2, 1, 0, "", "6.2", "9881", 0, "Windows 8 Professional"},
    {"server 6.2 build 9600", 2, 6, 2, 3, 0, "", "6.2", "9600", 0, "Windows Server 2012 R2 Professional"},
    {"8.1", 2, 6, 3, 1, 0, "", "6.3", "9600", 0, "Windows 8.1 Professional"},
    {"server 2016", 2, 6, 3, 3, 0, "", "6.3", "14393", 0, "Windows Server 2016 Professional"},
    {"registry build not a number", 2, 6, 3, 1, 0, "", "6.3", "19x45", 0, "Windows 8.1 Professional"},
    {"win32s", 0, 3, 10, 0, 0, "", nullptr, nullptr, 0, "Win32s"},
    {"98", 1, 4, 10, 0, 0, " A ", nullptr, nullptr, 0, "Windows 98  A"},
    {"me", 1, 4, 90, 0, 0, "", nullptr, nullptr, 0, "Windows Millennium Edition"},
    {"unknown 9x", 1, 5, 0, 0, 0, "", nullptr, nullptr, 0, "Unbekannte Windows-Version"},
};

TEST_F(OperationSystemTest, WinVersionFollowsTheDecisionTable) {
    for (const VersionCase& c : kVersionCases) {
        SCOPED_TRACE(c.what);
        platform.osVersion = TOsVersionInfo{};
        platform.osVersion.platformId = c.platformId;
        platform.osVersion.major = c.major;
        platform.osVersion.minor = c.minor;
        platform.osVersion.productType = c.productType;
        platform.osVersion.suiteMask = c.suiteMask;
        platform.osVersion.servicePack = c.servicePack;
        platform.osVersionValues.clear();
        if (c.registryVersion) platform.osVersionValues["CurrentVersion"] = c.registryVersion;
        if (c.registryBuild) platform.osVersionValues["CurrentBuildNumber"] = c.registryBuild;
        platform.systemMetrics[89] = c.metric89;
        EXPECT_EQ(os.GetWinVersion(), c.expected);
        EXPECT_EQ(os.VersionInfo().size, 156u);
    }
}

TEST_F(OperationSystemTest, OtherSystemsShowThePlatformsOwnName) {
    platform.osVersion.platformId = kOsPlatformPosix;
    platform.osVersion.major = 6;
    platform.osVersion.minor = 1;
    platform.osDisplayText = "Debian GNU/Linux 12 (bookworm)";
    EXPECT_EQ(os.GetWinVersion(), "Debian GNU/Linux 12 (bookworm)");
    EXPECT_FALSE(os.Get_MajorVersion_Vista());
    platform.osDisplayText.clear();
    EXPECT_EQ(os.GetWinVersion(), "Unbekannte Windows-Version");
}

TEST_F(OperationSystemTest, RefusedVersionQueryRaises) {
    platform.osVersionFails = true;
    try {
        os.GetWinVersion();
        FAIL() << "no error raised";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Error calling GetVersionEx");
    }
    EXPECT_THROW(os.Get_MajorVersion_Vista(), std::runtime_error);
}

TEST_F(OperationSystemTest, RegistryReadsOfTheVersionKey) {
    SetNt(6, 2);
    os.GetWindowsVersion();
    EXPECT_FALSE(os.Windows10FromRegistry());  // no key
    EXPECT_FALSE(os.WindowsBuildFromRegistry());

    platform.osVersionValues["CurrentVersion"] = "10240";
    EXPECT_TRUE(os.Windows10FromRegistry());
    platform.osVersionValues["CurrentVersion"] = "10.0";  // not a number
    EXPECT_FALSE(os.Windows10FromRegistry());
    platform.osVersionValues["CurrentVersion"] = "6.3";  // without a build number
    EXPECT_FALSE(os.Windows10FromRegistry());
    platform.osVersionValues["CurrentBuildNumber"] = "10239";
    EXPECT_FALSE(os.Windows10FromRegistry());

    platform.osVersionValues["CurrentBuildNumber"] = "22631";
    EXPECT_TRUE(os.WindowsBuildFromRegistry());
    EXPECT_EQ(os.VersionInfo().build, 22631u);
    platform.osVersionValues["CurrentBuildNumber"] = "abc";
    EXPECT_TRUE(os.WindowsBuildFromRegistry());
    EXPECT_EQ(os.VersionInfo().build, 0u);
}

TEST_F(OperationSystemTest, VistaRuleCoversTheNtSixLine) {
    struct {
        std::uint32_t major, minor;
        bool expected;
    } cases[] = {{5, 1, false}, {6, 0, true},  {6, 1, true},  {6, 3, true},
                 {6, 4, false}, {10, 0, true}, {10, 1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
        SetNt(c.major, c.minor);
        EXPECT_EQ(os.Get_MajorVersion_Vista(), c.expected);
    }
}

TEST_F(OperationSystemTest, ExtraWidthReadsFifteenWhenUnset) {
    EXPECT_EQ(os.getFormular_Extra_Width(), 15);
    os.setFormular_Extra_Width(8);
    EXPECT_EQ(os.getFormular_Extra_Width(), 8);
    os.setFormular_Extra_Width(0);
    EXPECT_EQ(os.getFormular_Extra_Width(), 15);
}

TEST_F(OperationSystemTest, CanResizeTokens) {
    struct {
        const char* token;
        int newHeight;
        int expectedHeight;
    } cases[] = {
        {"<", 400, 560}, {"<", 700, 700}, {"<>", 400, 560}, {"<>", 700, 560}, {"", 400, 400}, {"x", 700, 700},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("token '") + c.token + "' new height " + std::to_string(c.newHeight));
        int w = -1, h = -1;
        os.CheckFormCanResize(999, 330, c.newHeight, 560, w, h, c.token);
        EXPECT_EQ(w, 330);  // the width never follows the new width
        EXPECT_EQ(h, c.expectedHeight);
    }
    SetNt(6, 1);
    int w = 0, h = 0;
    os.CheckFormCanResize(999, 330, 100, 560, w, h, "<>");
    EXPECT_EQ(w, 345);
    EXPECT_EQ(h, 560);
}

TEST_F(OperationSystemTest, PositionWordsPlaceTheWindowOnTheDesktop) {
    struct {
        const char* word;
        int x, y, w, h;
        int expectedX, expectedY;
    } cases[] = {
        {"TopRight", 50, 70, 300, 560, 1618, 0},
        {"topleft", 500, 300, 330, 560, 0, 0},
        {"BottomRight", 0, 0, 300, 500, 1618, 542},
        {"Middle", 500, 300, 330, 560, 500, 300},
        {"ButtomRight", 1800, 900, 330, 560, 1920 - 330 - 50, 1080 - 560 - 50},
        {"TopMiddle", -1500, -40, 330, 560, 0, 0},  // monitor left of the desktop gone
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        os.SetDesktopPosition(c.word);
        TRect r = os.CheckFormPositionOfScreen(c.x, c.y, c.w, c.h);
        EXPECT_EQ(r.x, c.expectedX);
        EXPECT_EQ(r.y, c.expectedY);
    }
}

TEST_F(OperationSystemTest, NegativeDesktopOriginIsKept) {
    platform.desktop = {-1920, 0, 1920, 1080};
    os.SetDesktopPosition("Middle");
    TRect r = os.CheckFormPositionOfScreen(-1500, 100, 330, 560);
    EXPECT_EQ(r.x, -1500);
    EXPECT_EQ(r.y, 100);
}

TEST_F(OperationSystemTest, FormularPositionUsesTheMonitorCoveringTheDesktop) {
    // One monitor: pulled left and up from the right and bottom edges.
    EXPECT_EQ(os.SetFormularposition({1800, 900, 330, 300}),
              (TRect{1920 - 330 - 20, 1080 - 300 - 10, 330, 300}));
    EXPECT_EQ(os.SetFormularposition({100, 100, 330, 300}), (TRect{100, 100, 330, 300}));

    // No monitor equals the desktop: the first one is the reference.
    platform.desktop = {0, 0, 3840, 1080};
    platform.monitors = {{1920, 0, 1920, 1080}, {0, 0, 1920, 1080}};
    EXPECT_EQ(os.SetFormularposition({100, 100, 330, 300}).x, 1930);

    // The seventh monitor is not looked at.
    platform.monitors.assign(6, TRect{1920, 0, 1920, 1080});
    platform.monitors.push_back({0, 0, 3840, 1080});
    EXPECT_EQ(os.SetFormularposition({100, 100, 330, 300}).x, 1930);
    platform.monitors.insert(platform.monitors.begin() + 1, TRect{0, 0, 3840, 1080});
    EXPECT_EQ(os.SetFormularposition({100, 100, 330, 300}).x, 100);

    // Newer frames: the height grows by the extra width before the check.
    platform.desktop = {0, 0, 1920, 1080};
    platform.monitors = {{0, 0, 1920, 1080}};
    SetNt(6, 1);
    EXPECT_EQ(os.SetFormularposition({100, 900, 330, 300}), (TRect{100, 1080 - 315 - 10, 330, 315}));
}

TEST_F(OperationSystemTest, DialogBesideItsParent) {
    GeometryForm parent({0, 0, 330, 560});
    GeometryForm dialog({600, 600, 440, 380});
    TRect d = os.getDialogPosition(&parent, &dialog);
    EXPECT_EQ(d.x, 10);
    EXPECT_EQ(d.y, ((280 - 190) + 100) / 2);
    EXPECT_EQ(d.width, 440);
    EXPECT_EQ(d.height, 380);

    // A narrower dialog a third of its width left of the parent.
    parent.geometry = {800, 200, 330, 560};
    dialog.geometry = {0, 0, 300, 200};
    d = os.getDialogPosition(&parent, &dialog);
    EXPECT_EQ(d.x, 700);
    EXPECT_EQ(d.y, ((280 - 100) + 100) / 2 + 200);

    // A wider dialog half its width plus ten left of the parent.
    dialog.geometry = {0, 0, 440, 380};
    EXPECT_EQ(os.getDialogPosition(&parent, &dialog).x, 800 - 220 - 10);

    // Halving truncates toward zero: (49 - 250 + 100) / 2 is -50.
    parent.geometry = {800, 400, 330, 98};
    dialog.geometry = {0, 0, 300, 500};
    EXPECT_EQ(os.getDialogPosition(&parent, &dialog).y, 350);
}

TEST_F(OperationSystemTest, SysScreenIsThePrimaryScreenSize) {
    platform.primaryScreen = {0, 0, 2560, 1440};
    EXPECT_EQ(os.get_SysScreen({5, 6, 0, 0}), (TRect{5, 6, 2560, 1440}));
}

TEST_F(OperationSystemTest, ProcessMessagesServesTheQueueAndSleeps) {
    FakeApplication app;
    const auto start = platform.NowMs();
    os.SetProcessMessages(3);  // no application: nothing
    EXPECT_EQ(platform.NowMs(), start);

    os.setApplication(&app);
    EXPECT_EQ(os.getApplication(), &app);
    std::vector<std::int64_t> at;
    app.onProcess = [&] { at.push_back(platform.NowMs()); };
    os.SetProcessMessages(3);
    EXPECT_EQ(at, (std::vector<std::int64_t>{start, start + 1, start + 2}));
    EXPECT_EQ(platform.NowMs(), start + 3);
    os.SetProcessMessages(0);
    os.SetProcessMessages(-4);
    EXPECT_EQ(app.processed, 3);
}

// The refusal raises out of the version query after its exit line; the
// operations it leaves early write their entries but no exits.
TEST_F(OperationSystemTest, RefusedVersionQueryLeavesItsCallersWithoutExitLines) {
    const std::string log = TraceToTempLog();
    platform.osVersionFails = true;
    EXPECT_THROW(os.GetWinVersion(), std::runtime_error);
    EXPECT_THROW(os.SetFormularposition(TRect{0, 0, 100, 100}), std::runtime_error);
    GeometryForm parent({0, 0, 100, 100});
    GeometryForm dialog({0, 0, 50, 50});
    EXPECT_THROW(os.getDialogPosition(&parent, &dialog), std::runtime_error);
    const std::string text = ReadAll(log);
    for (const char* entry :
         {"-->>  FUNCTION : GetWinVersion\r\n", "-->>  FUNCTION : SetFormularposition\r\n",
          "-->>  FUNCTION : Get_MajorVersion_Vista\r\n", "-->>  FUNCTION : Shell_DeleteTrayIconData\r\n",
          "<<-- PROCEDURE : GetWindowsVersion\r\n"})
        EXPECT_NE(text.find(entry), std::string::npos) << entry << "\n" << text;
    for (const char* exit :
         {"<<--  FUNCTION : GetWinVersion", "<<--  FUNCTION : SetFormularposition",
          "<<--  FUNCTION : Get_MajorVersion_Vista", "<<--  FUNCTION : Shell_DeleteTrayIconData"})
        EXPECT_EQ(text.find(exit), std::string::npos) << exit << "\n" << text;
}

TEST_F(OperationSystemTest, OnTopChangesAndTheirFailuresInTheLog) {
    const std::string log = TraceToTempLog();
    GeometryForm form({0, 0, 100, 100});
    os.Set_WindowOnTheTop(&form);
    EXPECT_TRUE(form.onTop);
    os.Delete_WindowOnTheTop(&form);
    EXPECT_FALSE(form.onTop);
    EXPECT_EQ(ReadAll(log).find("hat nicht funktioniert"), std::string::npos);

    form.refuseWithErrno = EACCES;
    os.Set_WindowOnTheTop(&form);
    std::string text = ReadAll(log);
    EXPECT_NE(text.find("muOperationSystem - ErrorMsg : Set_WindowOnTheTop hat nicht funktioniert.\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("(Windows Error-No:) ]: = " + std::to_string(EACCES) + "\r\n"), std::string::npos);

    os.Delete_WindowOnTheTop(&form);
    os.Delete_WindowOnTheTop(nullptr);
    text = ReadAll(log);
    EXPECT_NE(text.find("ErrorMsg : Delete_WindowOnTheTop hat nicht funktioniert."), std::string::npos);
    EXPECT_NE(text.find("(Windows Error-No:) ]: = 0\r\n"), std::string::npos);
}

TEST_F(OperationSystemTest, ShortcutLocationsAndFolders) {
    const int expected[] = {4, 0, 3, 2, 5, 4, 4};
    for (int choice = 0; choice <= 6; ++choice) EXPECT_EQ(os.getShortcutLocation(choice), expected[choice]);

    platform.specialFolders = {
        {"Desktop", "/d"}, {"Quick Launch", "/q"}, {"SendTo", "/s"}, {"Start Menu", "/m"}, {"Startup", "/a"}};
    EXPECT_EQ(os.getSpecialFolder(0), "/d");
    EXPECT_EQ(os.getSpecialFolder(1), "");  // quick launch only for links
    EXPECT_EQ(os.getSpecialFolder(2), "/s");
    EXPECT_EQ(os.getSpecialFolder(3), "/m");
    EXPECT_EQ(os.getSpecialFolder(4), "");
    EXPECT_EQ(os.getSpecialFolder(5), "/a");
    EXPECT_EQ(os.getSpecialFolder(6), "");
}

TEST_F(OperationSystemTest, ShortcutInASubFolderOfTheDesktop) {
    platform.specialFolders["Desktop"] = "/home/u/Desktop";
    std::string linkPath = "unchanged";
    ASSERT_TRUE(
        os.CreateShortcut("C:\\Programme\\Tavrin\\tavrin.exe", 0, "Tavrin", "", "", "Tavrin Link", linkPath));
    EXPECT_EQ(linkPath, "/home/u/Desktop\\Tavrin\\tavrin.desktop");
    ASSERT_EQ(platform.savedLinks.size(), 1u);
    const TShellLink& link = platform.savedLinks[0].link;
    EXPECT_EQ(platform.savedLinks[0].path, linkPath);
    EXPECT_EQ(link.target, "C:/Programme/Tavrin/tavrin.exe");
    EXPECT_EQ(link.arguments, "");
    EXPECT_EQ(link.description, "Tavrin Link");
    EXPECT_EQ(link.workingDirectory, "C:/Programme/Tavrin");
    EXPECT_EQ(link.name, "tavrin");
}

TEST_F(OperationSystemTest, ShortcutInAGivenFolderWithArguments) {
    std::string linkPath;
    ASSERT_TRUE(
        os.CreateShortcut("/opt/tavrin/TAVRIN.EXE /SILENT", 4, "/tmp/links/", "/work", "-v", "", linkPath));
    EXPECT_EQ(linkPath, "/tmp/links\\TAVRIN.desktop");
    const TShellLink& link = platform.savedLinks.at(0).link;
    EXPECT_EQ(link.target, "/opt/tavrin/TAVRIN.EXE");
    EXPECT_EQ(link.arguments, "/SILENT -v");
    EXPECT_EQ(link.workingDirectory, "/work");
}

TEST_F(OperationSystemTest, ShortcutSourceSplitsAfterAnExistingProgram) {
    const fs::path dir = fs::path(::testing::TempDir()) / "ossvc split dir";
    fs::create_directories(dir);
    { std::ofstream(dir / "prog") << "x"; }
    platform.specialFolders["Startup"] = "/auto";
    std::string linkPath;
    ASSERT_TRUE(os.CreateShortcut((dir / "prog").string() + " /silent x", 5, "Tavrin", "", "", "", linkPath));
    EXPECT_EQ(linkPath, "/auto\\Tavrin\\prog.desktop");
    EXPECT_EQ(platform.savedLinks.at(0).link.target, (dir / "prog").string());
    EXPECT_EQ(platform.savedLinks.at(0).link.arguments, "/silent x");
    EXPECT_EQ(platform.savedLinks.at(0).link.workingDirectory, dir.string());
    fs::remove_all(dir);
}

TEST_F(OperationSystemTest, ShortcutWithoutFolderOrFailedSaveLeavesThePath) {
    std::string linkPath = "before";
    EXPECT_FALSE(os.CreateShortcut("/opt/tavrin/tavrin", 5, "", "", "", "", linkPath));  // no startup folder
    EXPECT_FALSE(os.CreateShortcut("/opt/tavrin/tavrin", 1, "", "", "", "", linkPath));  // no quick launch
    EXPECT_FALSE(os.CreateShortcut("/opt/tavrin/tavrin", 4, "", "", "", "", linkPath));  // no folder given
    EXPECT_FALSE(os.CreateShortcut("/opt/tavrin/tavrin", 17, "x", "", "", "", linkPath));
    EXPECT_TRUE(platform.savedLinks.empty());

    platform.specialFolders["Startup"] = "/auto";
    platform.saveLinkFails = true;
    EXPECT_FALSE(os.CreateShortcut("/opt/tavrin/tavrin", 5, "", "", "", "", linkPath));
    EXPECT_EQ(linkPath, "before");
}

}  // namespace
