#include "ui/SilentStart.h"

#include <QAction>
#include <QCheckBox>
#include <QWidget>
#include <filesystem>
#include <system_error>

#include "hub/mVedadAzaro.h"
#include "settings/SettingsKeys.h"
#include "store/muDataHolder.h"
#include "store/muFileIO.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Platform.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"
#include "toolkit/muStringTools.h"
#include "toolkit/muTraceScope.h"
#include "toolkit/qt/QtForm.h"
#include "ui/AC_Prg_Einstellung.h"
#include "ui/BoxSession.h"
#include "ui/ProgramActions.h"

namespace {

using Kind = TmTraceScope::Kind;

// The Startup folder's choice of getShortcutLocation.
constexpr int kStartupChoice = 4;

// The file name of a path in either notation.
std::string FileNameOf(const std::string& path) {
    const auto p = path.find_last_of("\\/");
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string StemOf(const std::string& path) {
    std::string name = FileNameOf(path);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

// The program of a link source stands before its switches (" /SILENT").
void SplitSwitches(const std::string& source, std::string& program, std::string& switches) {
    const auto p = source.rfind(" /");
    if (p == std::string::npos) {
        program = source;
        switches.clear();
    } else {
        program = source.substr(0, p);
        switches = source.substr(p);
    }
}

}  // namespace

TSilentStart::TSilentStart(TLinks links) : links_(std::move(links)) {
    TProgramActions& actions = links_.actions;
    SetActionExecuteHandler(actions.Action_SetAutoStart(), [this] { Action_SetAutoStartExecute(); });
    SetActionExecuteHandler(actions.Action_SetSilent(), [this] { Action_SetSilentExecute(); });
    SetActionExecuteHandler(actions.Action_InitAutoStart(), [this] { Action_InitAutoStartExecute(); });
}

TSilentStart::~TSilentStart() {
    TProgramActions& actions = links_.actions;
    SetActionExecuteHandler(actions.Action_SetAutoStart(), {});
    SetActionExecuteHandler(actions.Action_SetSilent(), {});
    SetActionExecuteHandler(actions.Action_InitAutoStart(), {});
}

TmuLogging* TSilentStart::Log() const { return links_.programLogging ? links_.programLogging() : nullptr; }

void TSilentStart::SetCaption(bool autoStart, const char* caption) {
    QAction* action = autoStart ? links_.actions.Action_SetAutoStart() : links_.actions.Action_SetSilent();
    if (action != nullptr) action->setText(QString::fromUtf8(caption));
}

bool TSilentStart::CheckBoxState(const char* name, bool& ticked) const {
    if (AC_Einstellung == nullptr) return false;
    QtControl* control = AC_Einstellung->Form().FindControl(name, ControlClass::CheckBox);
    auto* box = control ? qobject_cast<QCheckBox*>(control->Object()) : nullptr;
    if (box == nullptr) return false;
    ticked = box->isChecked();
    return true;
}

// ---------------------------------------------------------------------------
// Autostart

std::string TSilentStart::AutostartSource() {
    TmuDataholder* holder = links_.hub.Dataholder();
    holder->clearUseIndexSection();
    const std::string progFile = Keys::Get(*holder, Keys::ProgFile);
    std::string source;
    links_.hub.FileIO()->get_LocateAndReplacePlacehold(progFile, "$APPDIR", source,
                                                       GetPlatform().CurrentDir());

    // The stored command line names the program as Windows knows it; where
    // no such file exists, the running program under its own name is meant.
    std::string program, switches;
    SplitSwitches(source, program, switches);
    if (fs_boundary::FileExists(program)) return source;
    const std::string executable = GetPlatform().ExecutablePath();
    if (!executable.empty() && AsciiUpper(StemOf(program)) == AsciiUpper(StemOf(executable)))
        return executable + switches;
    return source;
}

std::string TSilentStart::AutostartLinkPath() {
    TmuOperationSystem* os = links_.hub.OperationSystem();
    std::string folder = os->getSpecialFolder(os->getShortcutLocation(kStartupChoice));
    if (folder.empty()) return {};
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder + "\\" + kLinkName + GetPlatform().LinkFileExtension();
}

void TSilentStart::CreateLinkIfMissing() {
    const std::string link = AutostartLinkPath();
    // Without a Startup folder no link is written.
    if (link.empty() || fs_boundary::FileExists(link)) return;

    TmuOperationSystem* os = links_.hub.OperationSystem();
    std::string created;
    if (!os->CreateShortcut(AutostartSource(), os->getShortcutLocation(kStartupChoice), "",
                            GetPlatform().CurrentDir(), "", kLinkDescription, created))
        return;
    // The link is named after the program it starts; the autostart entry
    // keeps the name the option looks for.
    if (AsciiUpper(FileNameOf(created)) != AsciiUpper(FileNameOf(link))) {
        std::error_code ec;
        std::filesystem::rename(fs_boundary::NativePath(created), fs_boundary::NativePath(link), ec);
    }
}

void TSilentStart::Action_SetAutoStartExecute() {
    bool ticked = false;
    if (CheckBoxState(kAutoStartBox, ticked)) SetAutoStart(ticked);
}

void TSilentStart::SetAutoStart(bool ticked) {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.Action_SetAutoStartExecute");
    if (TmuLogging* log = Log()) log->addVarBoolean("i_bChecked", ticked);
    TmuDataholder* holder = links_.hub.Dataholder();
    holder->clearUseIndexSection();
    const bool was = Keys::Get(*holder, Keys::AutoStart);

    if (ticked) {
        SetCaption(true, kAutoStartOn);
        Keys::Set(*holder, Keys::AutoStart, true);
        CreateLinkIfMissing();
    } else {
        if (was) {
            const std::string link = AutostartLinkPath();
            if (!link.empty() && fs_boundary::FileExists(link)) fs_boundary::DeleteFile(link);
        }
        SetCaption(true, kAutoStartOff);
        Keys::Set(*holder, Keys::AutoStart, false);
    }
}

void TSilentStart::Action_SetSilentExecute() {
    bool ticked = false;
    if (CheckBoxState(kSilentBox, ticked)) SetSilent(ticked);
}

void TSilentStart::SetSilent(bool ticked) {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.Action_SetSilentExecute");
    if (TmuLogging* log = Log()) log->addVarBoolean("i_bChecked", ticked);
    TmuDataholder* holder = links_.hub.Dataholder();
    holder->clearUseIndexSection();
    const bool was = Keys::Get(*holder, Keys::Silent);
    if (ticked || was) {
        // Unticking a stored true keeps this caption until the box changes
        // again.
        SetCaption(false, kSilentOn);
        Keys::Set(*holder, Keys::Silent, ticked);
    } else {
        SetCaption(false, kSilentOff);
        Keys::Set(*holder, Keys::Silent, false);
    }
}

void TSilentStart::Action_InitAutoStartExecute() {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.Action_InitAutoStartExecute");
    TmuDataholder* holder = links_.hub.Dataholder();
    holder->clearUseIndexSection();
    const bool autoStart = Keys::Get(*holder, Keys::AutoStart);
    const bool silent = Keys::Get(*holder, Keys::Silent);
    SetCaption(true, autoStart ? kAutoStartOn : kAutoStartOff);
    SetCaption(false, silent ? kSilentOn : kSilentOff);
    if (autoStart) CreateLinkIfMissing();
}

// ---------------------------------------------------------------------------
// Host of the silent-start window

TmuDataholder& TSilentStart::Dataholder() { return *links_.hub.Dataholder(); }

void TSilentStart::Init_AC_Active() { links_.session.Init_AC_Active(); }

void TSilentStart::SetCloseTimerEnabled(bool enabled) {
    if (links_.enableCloseTimer) links_.enableCloseTimer(enabled);
}

void TSilentStart::SetProgramInitStart(bool value) {
    if (links_.setInitStart) links_.setInitStart(value);
}

void TSilentStart::ShowProgram() {
    QWidget& window = links_.window;
    window.show();
    // The application comes to the front; the main window does not join the
    // topmost band by this (that is the lock's business).
    window.raise();
    window.activateWindow();
}

void TSilentStart::CloseProgram() { links_.window.close(); }

void TSilentStart::ReportError(const std::string& text) {
    GetPlatform().MessageBox(text, "Tavrin", MsgButtons::Ok, MsgIcon::Error);
}
