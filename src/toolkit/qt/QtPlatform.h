#pragma once
// The platform with the window system: message boxes, the beep, timers on
// the message loop and the screens come from Qt; everything else from the
// plain platform. Without a QApplication it serves like the plain platform.
#include "toolkit/StdPlatform.h"

class QtPlatform : public StdPlatform {
public:
    Timer* CreateTimer() override;
    // A modal box with the buttons "OK" and, for OkCancel and
    // OkCancelDefaultCancel, "Abbrechen" (also Escape and the close button).
    // The default button (Return) and the first focus are OK, for
    // OkCancelDefaultCancel "Abbrechen". An empty caption shows the
    // application's title.
    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon icon) override;
    void Beep() override;

    // The desktop is the union of all screens; monitors start with the
    // primary one; the work area is the primary screen without panels.
    TDesktopRect DesktopRect() override;
    std::vector<TRect> Monitors() override;
    TRect PrimaryScreenRect() override;
    TRect WorkArea() override;
};
