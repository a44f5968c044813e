#pragma once
// The main window's actions of category "Program": emergency off, show, hide
// and quit, settings, about box and help, the lock on top, the nine desktop
// positions and the two start options. Their behaviour is connected by the
// window's parts (SetActionExecuteHandler of the control tree); this unit
// gives them their names, captions, images, hints and help contexts and
// registers them with the window's form.
#include <QString>
#include <array>

class QAction;
class QWidget;
class QtForm;

// One of the nine desktop positions of the main window, in the order of the
// index that the placement takes (0 top left ... 8 bottom right).
struct TDesktopPreset {
    const char* actionName;  // "Action_Desktop_TopLeft"
    const char* caption;     // "Oben-Links"
    const char* storedName;  // "TopLeft", the value of FormPos
};

class TProgramActions {
public:
    static constexpr int DesktopPresetCount = 9;
    static const std::array<TDesktopPreset, DesktopPresetCount>& DesktopPresets();
    // Index of the preset with this stored name (exact spelling), or -1.
    static int DesktopPresetIndex(const QString& storedName);

    TProgramActions(QWidget* window, QtForm& form);

    TProgramActions(const TProgramActions&) = delete;
    TProgramActions& operator=(const TProgramActions&) = delete;

    QAction* Action_DangerOFF() const { return dangerOff_; }
    QAction* Action_AC_Prg_Show() const { return show_; }
    QAction* Action_AC_Prg_Hide() const { return hide_; }
    QAction* Action_TrayPrg_CloseExecute() const { return quit_; }
    QAction* Action_AC_Prg_Setup() const { return setup_; }
    QAction* Action_AC_Prg_Info() const { return info_; }
    QAction* Action_AC_Prg_Help() const { return help_; }
    QAction* Action_Lock_Unlook() const { return lock_; }
    QAction* Action_SetAutoStart() const { return setAutoStart_; }
    QAction* Action_SetSilent() const { return setSilent_; }
    QAction* Action_InitAutoStart() const { return initAutoStart_; }
    // The desktop action of preset `index` (0 to 8); null outside.
    QAction* Action_Desktop(int index) const;

private:
    QAction* dangerOff_ = nullptr;
    QAction* show_ = nullptr;
    QAction* hide_ = nullptr;
    QAction* quit_ = nullptr;
    QAction* setup_ = nullptr;
    QAction* info_ = nullptr;
    QAction* help_ = nullptr;
    QAction* lock_ = nullptr;
    std::array<QAction*, DesktopPresetCount> desktop_{};
    QAction* setAutoStart_ = nullptr;
    QAction* setSilent_ = nullptr;
    QAction* initAutoStart_ = nullptr;
};
