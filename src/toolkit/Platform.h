#pragma once
// Everything the program asks of the operating system besides the serial
// port. One real implementation per platform, one scripted fake for tests.
// The toolkit reaches the platform through GetPlatform(); the program
// installs its implementation at start, tests install a fake.
//
// Additions are welcome where a unit needs a service the list lacks: add a
// virtual with a sensible default here, implement it in the real platforms
// and the fake.
#include <cstdint>
#include <string>
#include <vector>

class Timer;

struct TRect {  // left, top, width, height
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TRect&) const = default;
};

struct TDesktopRect {  // left, top, right, bottom
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const TDesktopRect&) const = default;
};

// OkCancel: OK is the default button (Return answers OK);
// OkCancelDefaultCancel: the same buttons with Cancel the default, for
// questions where a hasty Return must do nothing.
enum class MsgButtons { Ok, OkCancel, OkCancelDefaultCancel };
enum class MsgIcon { None, Error, Warning, Information, Question };
enum class MsgResult { Ok, Cancel };

// The operating system's extended version record.
struct TOsVersionInfo {
    std::uint32_t size = 0;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint32_t platformId = 0;
    std::string servicePack;  // at most 128 characters
    std::uint16_t servicePackMajor = 0;
    std::uint16_t servicePackMinor = 0;
    std::uint16_t suiteMask = 0;
    std::uint8_t productType = 0;
    std::uint8_t reserved = 0;
};

// Platform ids of the version record: 0 Win32s, 1 Windows 9x, 2 Windows NT;
// systems outside the Windows family report this one.
constexpr std::uint32_t kOsPlatformPosix = 0x10000;

// A shell link as the platform saves it: on Windows a .lnk file, on Linux a
// desktop entry (.desktop). Paths are real paths of the platform.
struct TShellLink {
    std::string name;       // display name (the link file name without extension)
    std::string target;     // the program the link starts
    std::string arguments;  // its command-line arguments, blank-separated
    std::string description;
    std::string workingDirectory;
    std::string icon;                      // icon name or path; empty: none
    std::vector<std::string> environment;  // "NAME=value" set for the started program
};

class Platform {
public:
    virtual ~Platform() = default;

    // Time. NowMs is wall-clock milliseconds since the Unix epoch (UTC).
    virtual std::int64_t NowMs() = 0;
    virtual void SleepMs(int ms) = 0;
    virtual Timer* CreateTimer() = 0;  // caller owns the result

    // User interaction.
    virtual MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                                 MsgIcon icon) = 0;
    virtual void Beep() = 0;

    // Files and the process.
    virtual std::string CurrentDir() = 0;
    virtual std::string ExecutablePath() = 0;

    // Operating system version. GetOsVersion fills the extended version
    // record (false when the system refuses). ReadOsVersionValue reads a text
    // value ("CurrentVersion", "CurrentBuildNumber") of the system's version
    // key; false when the key or value is missing (always on Linux).
    // OsDisplayText is a ready display text for systems outside the Windows
    // family (Linux: PRETTY_NAME of os-release); empty on Windows.
    virtual bool GetOsVersion(TOsVersionInfo& info) {
        (void)info;
        return false;
    }
    virtual bool ReadOsVersionValue(const std::string& name, std::string& value) {
        (void)name;
        (void)value;
        return false;
    }
    virtual std::string OsDisplayText() { return {}; }
    // A system metric by its Windows number (89: second release of Server
    // 2003); 0 when unknown.
    virtual int GetSystemMetric(int index) {
        (void)index;
        return 0;
    }

    // Screens. The desktop is the union of all monitors; monitors are listed
    // with the primary one first. Without a window system: one 1920 x 1080
    // screen.
    virtual TDesktopRect DesktopRect() { return {0, 0, 1920, 1080}; }
    virtual std::vector<TRect> Monitors() { return {TRect{0, 0, 1920, 1080}}; }
    virtual TRect PrimaryScreenRect() { return {0, 0, 1920, 1080}; }
    virtual TRect WorkArea() { return {0, 0, 1920, 1080}; }

    // The current user's special folders by name: "Desktop", "Quick Launch",
    // "SendTo", "Start Menu", "Startup". Empty when the platform has none.
    virtual std::string SpecialFolder(const std::string& name) {
        (void)name;
        return {};
    }
    // A link to this program itself starts it the way the platform's
    // installation does (on Linux through its launcher, which repairs the
    // working folder first, with the program's icon and name); any other
    // link stays as it is.
    virtual void CompleteProgramLink(TShellLink& link) { (void)link; }
    // Saves a shell link to linkPath (program notation). False on failure.
    virtual bool SaveLink(const TShellLink& link, const std::string& linkPath) {
        (void)link;
        (void)linkPath;
        return false;
    }
    // Extension of link files with the dot: ".lnk" on Windows, ".desktop" on Linux.
    virtual std::string LinkFileExtension() { return ".lnk"; }
};

// The platform in use. Never null: before SetPlatform a plain implementation
// of the standard library serves (no dialogs, real clock).
Platform& GetPlatform();
// Installs a platform (not owned); nullptr restores the plain one.
void SetPlatform(Platform* platform);
