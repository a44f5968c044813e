#pragma once
// The platform services that the standard library and POSIX can give without
// a window system: real clock and sleep, working directory, executable path.
// Message boxes answer OK without showing anything and the beep is silent.
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
};
