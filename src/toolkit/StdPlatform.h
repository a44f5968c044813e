#pragma once
// The platform services that the standard library and POSIX can give without
// a window system: real clock and sleep, working directory, executable path,
// the system's version and display name, the user's XDG folders and desktop
// entries as shell links. Message boxes answer OK without showing anything,
// the beep is silent and the screen is a fixed 1920 x 1080 desktop.
// The Qt platform derives from it and adds the window system.
#include "toolkit/Platform.h"

class StdPlatform : public Platform {
public:
    std::int64_t NowMs() override;
    void SleepMs(int ms) override;
    Timer* CreateTimer() override;
    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon icon) override;
    void Beep() override;
    std::string CurrentDir() override;
    std::string ExecutablePath() override;

    // Kernel release from uname as major.minor.build, platform id
    // kOsPlatformPosix, no service pack.
    bool GetOsVersion(TOsVersionInfo& info) override;
    bool ReadOsVersionValue(const std::string& name, std::string& value) override;
    // PRETTY_NAME of /etc/os-release (or /usr/lib/os-release); else NAME and
    // VERSION; else the kernel's name and release.
    std::string OsDisplayText() override;
    int GetSystemMetric(int index) override;

    TDesktopRect DesktopRect() override;
    std::vector<TRect> Monitors() override;
    TRect PrimaryScreenRect() override;
    TRect WorkArea() override;

    // "Startup": $XDG_CONFIG_HOME/autostart; "Start Menu":
    // $XDG_DATA_HOME/applications; "Desktop": the XDG desktop folder when it
    // exists; the others have no place on Linux.
    std::string SpecialFolder(const std::string& name) override;
    // Writes a desktop entry, creating missing folders on the way.
    bool SaveLink(const TShellLink& link, const std::string& linkPath) override;
    // A link to the running program (or its launcher) starts
    // "<program>-launch" when that lies beside it, in the link's working
    // folder (TAVRIN_HOME), with the icon and the name of the program.
    void CompleteProgramLink(TShellLink& link) override;
    std::string LinkFileExtension() override { return ".desktop"; }
};

namespace std_platform {

// The display name in the text of an os-release file: PRETTY_NAME, else
// NAME and VERSION joined by a blank; empty when neither is there.
std::string OsReleaseDisplayName(const std::string& content);

// Kernel release text ("6.1.0-18-amd64") into major, minor and build.
void ParseKernelRelease(const std::string& release, TOsVersionInfo& info);

// The text of a desktop entry that starts link.target with link.arguments.
std::string DesktopEntryText(const TShellLink& link);

// Splits a command-line text into words: blanks separate, double quotes
// group (the quotes themselves are dropped).
std::vector<std::string> SplitArguments(const std::string& arguments);

// One word of an Exec line, quoted and escaped as desktop entries require.
std::string QuoteExecArgument(const std::string& argument);

}  // namespace std_platform
