// The Linux side of the operating system services: the system's display name,
// the XDG folders and shortcuts written as desktop entries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "toolkit/StdPlatform.h"
#include "toolkit/muOperationSystem.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(OperationSystemLinux, OsReleaseDisplayName) {
    struct {
        const char* content;
        const char* expected;
    } cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nVERSION=\"12\"\n",
         "Debian GNU/Linux 12 (bookworm)"},
        {"PRETTY_NAME='Fedora Linux 40'\n", "Fedora Linux 40"},
        {"# comment\nPRETTY_NAME=\"Say \\\"hi\\\" \\$x\"\n", "Say \"hi\" $x"},
        {"PRETTY_NAME=Arch\n", "Arch"},
        {"NAME=Alpine\nVERSION=3.20\nPRETTY_NAME=\"\"\n", "Alpine 3.20"},
        {"NAME=Solo\n", "Solo"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        EXPECT_EQ(std_platform::OsReleaseDisplayName(c.content), c.expected);
    }
}

TEST(OperationSystemLinux, KernelReleaseIntoTheVersionRecord) {
    struct {
        const char* release;
        std::uint32_t major, minor, build;
    } cases[] = {{"6.1.0-18-amd64", 6, 1, 0},
                 {"5.15.153.1-microsoft-standard-WSL2", 5, 15, 153},
                 {"6.8", 6, 8, 0},
                 {"garbage", 0, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.release);
        TOsVersionInfo info;
        std_platform::ParseKernelRelease(c.release, info);
        EXPECT_EQ(info.major, c.major);
        EXPECT_EQ(info.minor, c.minor);
        EXPECT_EQ(info.build, c.build);
    }
}

TEST(OperationSystemLinux, ThisSystemIsNamedAndHasNoNewWindowFrames) {
    StdPlatform platform;
    SetPlatform(&platform);
    {
        TmuOperationSystem os;
        EXPECT_EQ(os.GetWinVersion(), platform.OsDisplayText());
        EXPECT_FALSE(os.GetWinVersion().empty());
        EXPECT_EQ(os.VersionInfo().platformId, kOsPlatformPosix);
        EXPECT_FALSE(os.Get_MajorVersion_Vista());
    }
    SetPlatform(nullptr);
}

TEST(OperationSystemLinux, ExecArgumentsAreQuotedForDesktopEntries) {
    struct {
        const char* word;
        const char* expected;
    } cases[] = {
        {"/usr/bin/tavrin", "/usr/bin/tavrin"},
        {"/SILENT", "/SILENT"},
        {"/opt/my app/tavrin", "\"/opt/my app/tavrin\""},
        {"50%", "50%%"},
        {"a$b", "\"a\\$b\""},
        {"say \"x\"", "\"say \\\"x\\\"\""},
        {"back\\slash", "\"back\\\\slash\""},
        {"`cmd`", "\"\\`cmd\\`\""},
        {"", "\"\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(std_platform::QuoteExecArgument(c.word), c.expected);
    }
    EXPECT_EQ(std_platform::SplitArguments("  /SILENT \"two words\"  -v "),
              (std::vector<std::string>{"/SILENT", "two words", "-v"}));

    TShellLink link{"Tavrin", "/opt/a b/tavrin", "/SILENT c:\\x", "Tavrin Link\nzweite Zeile", "/opt/a b", "",
                    {}};
    EXPECT_EQ(std_platform::DesktopEntryText(link),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Tavrin\n"
              "Comment=Tavrin Link zweite Zeile\n"
              "Exec=\"/opt/a b/tavrin\" /SILENT \"c:\\\\\\\\x\"\n"
              "Path=/opt/a b\n"
              "Terminal=false\n");
}

// Runs each test with its own home, config and data folders.
class OperationSystemXdg : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::path(::testing::TempDir()) /
               ("ossvc_xdg_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root);
        fs::create_directories(root / "home");
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            const char* v = std::getenv(name);
            saved.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
        }
        Set("HOME", (root / "home").string());
        ::unsetenv("XDG_CONFIG_HOME");
        ::unsetenv("XDG_DATA_HOME");
        SetPlatform(&platform);
    }
    void TearDown() override {
        SetPlatform(nullptr);
        for (const auto& [name, value] : saved) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
        fs::remove_all(root);
    }
    static void Set(const char* name, const std::string& value) { ::setenv(name, value.c_str(), 1); }

    // The plain platform, with the running program placed where a test says.
    struct Platform : StdPlatform {
        std::string executable;
        std::string ExecutablePath() override {
            return executable.empty() ? StdPlatform::ExecutablePath() : executable;
        }
    } platform;
    fs::path root;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

TEST_F(OperationSystemXdg, SpecialFoldersFollowTheXdgBaseDirectories) {
    const std::string home = (root / "home").string();
    EXPECT_EQ(platform.SpecialFolder("Startup"), home + "/.config/autostart");
    EXPECT_EQ(platform.SpecialFolder("Start Menu"), home + "/.local/share/applications");
    Set("XDG_CONFIG_HOME", (root / "cfg").string());
    Set("XDG_DATA_HOME", (root / "data").string());
    EXPECT_EQ(platform.SpecialFolder("Startup"), (root / "cfg" / "autostart").string());
    EXPECT_EQ(platform.SpecialFolder("Start Menu"), (root / "data" / "applications").string());
    Set("XDG_CONFIG_HOME", "relative/cfg");  // not absolute: ignored
    EXPECT_EQ(platform.SpecialFolder("Startup"), home + "/.config/autostart");
    EXPECT_EQ(platform.SpecialFolder("SendTo"), "");
    EXPECT_EQ(platform.SpecialFolder("Quick Launch"), "");
}

TEST_F(OperationSystemXdg, DesktopFolderOnlyWhenItExists) {
    const fs::path home = root / "home";
    EXPECT_EQ(platform.SpecialFolder("Desktop"), "");
    fs::create_directories(home / "Desktop");
    EXPECT_EQ(platform.SpecialFolder("Desktop"), (home / "Desktop").string());

    fs::create_directories(home / ".config");
    std::ofstream(home / ".config" / "user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                          "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n";
    EXPECT_EQ(platform.SpecialFolder("Desktop"), "");  // named folder missing
    fs::create_directories(home / "Schreibtisch");
    EXPECT_EQ(platform.SpecialFolder("Desktop"), (home / "Schreibtisch").string());

    std::ofstream(home / ".config" / "user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/\"\n";
    EXPECT_EQ(platform.SpecialFolder("Desktop"), "");  // the home folder is no desktop
}

TEST_F(OperationSystemXdg, AutostartShortcutIsAValidDesktopEntry) {
    Set("XDG_CONFIG_HOME", (root / "cfg").string());
    const fs::path appDir = root / "Tavrin Programm";
    fs::create_directories(appDir);
    { std::ofstream(appDir / "tavrin") << "#!/bin/sh\n"; }

    TmuOperationSystem os;
    const int startup = os.getShortcutLocation(4);
    std::string linkPath;
    ASSERT_TRUE(os.CreateShortcut((appDir / "tavrin").string() + " /SILENT", startup, "", "", "",
                                  "Tavrin Link", linkPath));

    const fs::path file = root / "cfg" / "autostart" / "tavrin.desktop";
    EXPECT_EQ(linkPath, (root / "cfg" / "autostart").string() + "\\tavrin.desktop");
    ASSERT_TRUE(fs::is_regular_file(file));
    EXPECT_EQ(ReadAll(file),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=tavrin\n"
              "Comment=Tavrin Link\n"
              "Exec=\"" +
                  (appDir / "tavrin").string() +
                  "\" /SILENT\n"
                  "Path=" +
                  appDir.string() +
                  "\n"
                  "Terminal=false\n");

    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "desktop-file-validate is not installed";
    const std::string out = (root / "validate.txt").string();
    const int rc = std::system(("desktop-file-validate '" + file.string() + "' >'" + out + "' 2>&1").c_str());
    EXPECT_EQ(rc, 0) << ReadAll(out);
    EXPECT_EQ(ReadAll(out).find("error"), std::string::npos) << ReadAll(out);
}

// The autostart entry of the program itself starts it through its launcher
// (which repairs a missing file of the working folder first) in that
// folder, with the program's icon and the name "Tavrin"; without a
// launcher beside it the program is started directly.
TEST_F(OperationSystemXdg, TheProgramsAutostartGoesThroughItsLauncher) {
    Set("XDG_CONFIG_HOME", (root / "cfg").string());
    const fs::path bin = root / "bin";
    const fs::path work = root / "Meine Daten";
    fs::create_directories(bin);
    fs::create_directories(work);
    { std::ofstream(bin / "tavrin") << "#!/bin/sh\n"; }
    platform.executable = (bin / "tavrin").string();
    struct Case {
        const char* what;
        bool launcher;
        std::string exec;
    } cases[] = {
        {"with the launcher", true,
         "env \"TAVRIN_HOME=" + work.string() + "\" " + (bin / "tavrin-launch").string() + " /SILENT"},
        {"without a launcher", false, (bin / "tavrin").string() + " /SILENT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(bin / "tavrin-launch");
        if (c.launcher) {
            std::ofstream(bin / "tavrin-launch") << "#!/bin/sh\n";
            fs::permissions(bin / "tavrin-launch", fs::perms::owner_all);
        }
        fs::remove_all(root / "cfg");
        TmuOperationSystem os;
        std::string linkPath;
        ASSERT_TRUE(os.CreateShortcut((bin / "tavrin").string() + " /SILENT", os.getShortcutLocation(4), "",
                                      work.string(), "", "Tavrin Link", linkPath));
        fs::path file;
        for (const auto& e : fs::directory_iterator(root / "cfg" / "autostart")) file = e.path();
        ASSERT_FALSE(file.empty());
        EXPECT_EQ(ReadAll(file),
                  "[Desktop Entry]\n"
                  "Type=Application\n"
                  "Name=Tavrin\n"
                  "Comment=Tavrin Link\n"
                  "Exec=" +
                      c.exec +
                      "\n"
                      "Path=" +
                      work.string() +
                      "\n"
                      "Icon=tavrin\n"
                      "Terminal=false\n");
        if (std::system("command -v desktop-file-validate >/dev/null 2>&1") == 0) {
            const std::string out = (root / "validate.txt").string();
            const int rc =
                std::system(("desktop-file-validate '" + file.string() + "' >'" + out + "' 2>&1").c_str());
            EXPECT_EQ(rc, 0) << ReadAll(out);
        }
    }
}

}  // namespace
