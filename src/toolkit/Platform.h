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

enum class MsgButtons { Ok, OkCancel };
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

class Platform {
public:
    virtual ~Platform() = default;

    // Time. NowMs is wall-clock milliseconds since the Unix epoch (UTC).
    virtual std::int64_t NowMs() = 0;
    virtual void SleepMs(int ms) = 0;
    virtual Timer* CreateTimer() = 0;  // caller owns the result

    // User interaction.
    virtual MsgResult MessageBox(const std::string& text, const std::string& caption,
                                 MsgButtons buttons, MsgIcon icon) = 0;
    virtual void Beep() = 0;

    // Files and the process.
    virtual std::string CurrentDir() = 0;
    virtual std::string ExecutablePath() = 0;
};

// The platform in use. Never null: before SetPlatform a plain implementation
// of the standard library serves (no dialogs, real clock).
Platform& GetPlatform();
// Installs a platform (not owned); nullptr restores the plain one.
void SetPlatform(Platform* platform);
