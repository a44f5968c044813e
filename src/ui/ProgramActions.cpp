#include "ui/ProgramActions.h"

#include <QAction>
#include <QWidget>

#include "toolkit/qt/QtForm.h"
#include "ui/ImageList.h"

namespace {

constexpr int kNoImage = -1;

struct ActionDef {
    QAction* TProgramActions::*member;  // null for the desktop actions
    const char* name;
    const char* caption;
    int imageIndex;
    int helpContext;
    const char* hint;
};

QAction* CreateAction(QWidget* window, QtForm& form, const char* name, const char* caption, int imageIndex,
                      int helpContext, const char* hint) {
    auto* action = new QAction(window);
    action->setObjectName(QString::fromLatin1(name));
    action->setText(QString::fromUtf8(caption));
    action->setProperty("category", QStringLiteral("Program"));
    if (imageIndex != kNoImage) action->setIcon(TImageList::Icon(imageIndex));
    QtControl* control = form.AddControl(action, ControlClass::Other);
    if (hint) control->SetHint(hint);
    if (helpContext) control->SetHelpContext(helpContext);
    return action;
}

}  // namespace

const std::array<TDesktopPreset, TProgramActions::DesktopPresetCount>& TProgramActions::DesktopPresets() {
    static const std::array<TDesktopPreset, DesktopPresetCount> presets = {{
        {"Action_Desktop_TopLeft", "Oben-Links", "TopLeft"},
        {"Action_Desktop_TopMiddle", "Oben-Mitte", "TopMiddle"},
        {"Action_Desktop_TopRight", "Oben-Rrechts", "TopRight"},
        {"Action_Desktop_MiddleLeft", "Mitte-Links", "MiddleLeft"},
        {"Action_Desktop_Middle", "Mitte", "Middle"},
        {"Action_Desktop_MiddleRight", "Mitte-Rechts", "MiddleRight"},
        {"Action_Desktop_ButtomLeft", "Unten-Links", "ButtomLeft"},
        {"Action_Desktop_ButtomMiddle", "Unten-Mitte", "ButtomMiddle"},
        {"Action_Desktop_ButtomRight", "Unten-Rechts", "ButtomRight"},
    }};
    return presets;
}

int TProgramActions::DesktopPresetIndex(const QString& storedName) {
    const auto& presets = DesktopPresets();
    for (int i = 0; i < DesktopPresetCount; ++i) {
        if (storedName == QLatin1String(presets[i].storedName)) return i;
    }
    return -1;
}

TProgramActions::TProgramActions(QWidget* window, QtForm& form) {
    static const ActionDef defs[] = {
        {&TProgramActions::dangerOff_, "Action_DangerOFF", "&NOTAUS", TImageList::EmergencyOff, 0,
         "Steckdosen NOTAUS "},
        {&TProgramActions::hide_, "Action_AC_Prg_Hide", "Tavrin &schließen", TImageList::Hide, 0, nullptr},
        {&TProgramActions::show_, "Action_AC_Prg_Show", "Tavrin öff&nen", TImageList::Show, 0, nullptr},
        {&TProgramActions::quit_, "Action_TrayPrg_CloseExecute", "&Beenden", TImageList::Quit, 0, nullptr},
        {&TProgramActions::setup_, "Action_AC_Prg_Setup", "&Einstellung", TImageList::Settings, 80, nullptr},
        {&TProgramActions::info_, "Action_AC_Prg_Info", "&Info", TImageList::Info, 190, nullptr},
        {&TProgramActions::help_, "Action_AC_Prg_Help", "&Hilfe", TImageList::Help, 0, nullptr},
        // The lock item shows its own image (12 unlocked, 13 locked).
        {&TProgramActions::lock_, "Action_Lock_Unlook", "", kNoImage, 0, nullptr},
    };
    for (const ActionDef& def : defs) {
        this->*def.member =
            CreateAction(window, form, def.name, def.caption, def.imageIndex, def.helpContext, def.hint);
    }
    for (int i = 0; i < DesktopPresetCount; ++i) {
        const TDesktopPreset& preset = DesktopPresets()[i];
        desktop_[i] = CreateAction(window, form, preset.actionName, preset.caption, kNoImage, 0, nullptr);
    }
    setAutoStart_ = CreateAction(window, form, "Action_SetAutoStart",
                                 "Windows Autostart vom Tavrin aktivieren.", kNoImage, 100, nullptr);
    setSilent_ = CreateAction(window, form, "Action_SetSilent", "Silent-Modus vom Tavrin aktivieren.",
                              kNoImage, 100, nullptr);
    initAutoStart_ = CreateAction(window, form, "Action_InitAutoStart", "", kNoImage, 0, nullptr);
}

QAction* TProgramActions::Action_Desktop(int index) const {
    return index >= 0 && index < DesktopPresetCount ? desktop_[index] : nullptr;
}
