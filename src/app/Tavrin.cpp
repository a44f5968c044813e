#include "app/Tavrin.h"

#include <QCloseEvent>
#include <QEvent>
#include <QHideEvent>
#include <QShowEvent>
#include <QWindowStateChangeEvent>
#include <exception>

#include "app/Shutdown.h"
#include "app/StartUp.h"
#include "device/BoxController.h"
#include "device/PosixSerialPort.h"
#include "device/SerialPort.h"
#include "device/muATCmd.h"
#include "hub/mVedadAzaro.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsSchema.h"
#include "store/muDataHolder.h"
#include "store/muFileIO.h"
#include "store/muIniIO.h"
#include "toolkit/Platform.h"
#include "toolkit/ServedMessages.h"
#include "toolkit/mCloseTimer.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"
#include "toolkit/muTraceScope.h"
#include "ui/AC_Prg_Einstellung.h"
#include "ui/AC_Prg_Silent.h"
#include "ui/BoxSession.h"
#include "ui/DialogFrame.h"
#include "ui/EmergencyOff.h"
#include "ui/HelpBinding.h"
#include "ui/MainMenus.h"
#include "ui/ProgramActions.h"
#include "ui/ProgramView.h"
#include "ui/SilentStart.h"
#include "ui/SocketActions.h"
#include "ui/SocketEditor.h"
#include "ui/SocketPages.h"
#include "ui/SocketSwitching.h"
#include "ui/StatusClock.h"
#include "ui/TrayMenu.h"
#include "ui/WindowPlacement.h"

TAC_Program* AC_Program = nullptr;

namespace {
const char* const kTraceName = "TTavrin1.FormCreate";
}

TAC_Program::TAC_Program(Application* application, QWidget* parent)
    : TAC_Program(application, nullptr, parent) {}

TAC_Program::TAC_Program(Application* application, SerialPort* comPort, QWidget* parent)
    : QMainWindow(parent), application_(application), form_(this) {
    AC_Program = this;
    setObjectName(QStringLiteral("AC_Program"));
    SetName("AC_Program");
    setWindowTitle(QStringLiteral("Tavrin"));

    mVedadAzaro1 = new TmVedadAzaro(this);
    mVedadAzaro1->SetName("mVedadAzaro1");
    if (!comPort) {
        ownComPort_ = std::make_unique<PosixSerialPort>();
        comPort = ownComPort_.get();
    }
    ComPort1 = comPort;
    CreateParts();

    iniCheckTimer_.reset(GetPlatform().CreateTimer());
    iniCheckTimer_->SetInterval(1000);
    iniCheckTimer_->SetOnTimer([this] { mIniCheckTimerTimer(); });
    iniCheckTimer_->SetEnabled(true);

    FormCreate();
}

TAC_Program::~TAC_Program() {
    iniCheckTimer_->SetEnabled(false);
    FormDestroy();
    // The hub goes with the window's components, after the box controller
    // and its queue: from here on it serves messages directly, and loggers
    // without an application of their own no longer serve any.
    mVedadAzaro1->setApplication(application_);
    SetProgramApplication(nullptr);
    if (AC_Program == this) AC_Program = nullptr;
}

void TAC_Program::CreateParts() {
    // The widgets, actions, menus, tray icon, serial port and timers of the
    // window's parts are created here, in the order of the window resource.
    auto log = [this]() -> TmuLogging* { return ProgramLogging; };
    parts_ = std::make_unique<TWindowParts>(
        TWindowParts::TWindow{.window = this, .form = &form_, .hub = mVedadAzaro1, .programLogging = log});
    parts_->BuildView();
    parts_->BuildHelp();

    // Tray, status-bar clock, placement. Both auto-hide timers wait for the
    // start-up to find a box.
    parts_->BuildTray(TWindowParts::TTrayInputs{.closeTimerOwner = this,
                                                .autoCloseDeadline = &AutoCloseDeadline,
                                                .noExit = [this] { return NoExit; },
                                                .setNoExit = [this](bool value) { NoExit = value; },
                                                .closeMainWindow = [this] { close(); },
                                                .clearSilentStart =
                                                    [] {
                                                        if (!AC_Silent) return;
                                                        AC_Silent->Set_InitStart(false);
                                                        AC_Silent->hide();
                                                    },
                                                .closeSilentWindow =
                                                    [] {
                                                        if (AC_Silent) AC_Silent->close();
                                                    }});
    mCloseTimer_15min = parts_->WindowPlacement()->mCloseTimer_15min();

    // The box: the controller with its one queue, the widgets that show it
    // (switching, pages, session), the deferred start; editing a socket, the
    // emergency off; the saving at the end.
    parts_->BuildBox(TWindowParts::TBoxInputs{
        .port = ComPort1,
        .atCmd = [this] { return muATCmd1; },
        .activity = [this] { set_Timer_Close_at_15_Minutes_new(); },
        .state = {.InitStart = &InitStart, .ACDosenCount = &ACDosenCount, .COMPortLogging = &COMPortLogging},
        .application = application_,
        .settings = [] { return AC_Einstellung; }});
    parts_->BuildCommands(
        TWindowParts::TCommandInputs{.setInitStart = [this](bool value) { Set_InitStart(value); }});
    shutdown_ = std::make_unique<TShutdown>(
        TShutdown::TParts{.hub = *mVedadAzaro1, .box = Box()},
        TShutdown::TState{.AppDir = AppDir, .ACDosenCount = ACDosenCount, .programLogging = log});
}

TSilentStartHost* TAC_Program::SilentStartHost() const { return parts_->SilentStart(); }

TProgramLinks TAC_Program::Links() {
    return TProgramLinks{.hub = mVedadAzaro1,
                         .box = parts_->Box(),
                         .form = &form_,
                         .actions = parts_->ProgramActions(),
                         .menus = parts_->MainMenus(),
                         .closeTimer = mCloseTimer_15min,
                         .silentHost = parts_->SilentStart(),
                         .programLogging = [this]() -> TmuLogging* { return ProgramLogging; },
                         .portParameters =
                             [this] {
                                 TComParameters p;
                                 p.open = get_com_parameter(p.port, p.baudRate, p.dataBits, p.stopBits,
                                                            p.parity, p.flowControl);
                                 return p;
                             },
                         .winVersion = [this] { return WinVersion; }};
}

Timer* TAC_Program::Timer_Datetime() const { return StatusClock().Timer_Datetime(); }

// ---------------------------------------------------------------------------
// Start-up

void TAC_Program::FormCreate() {
    if (created_) return;
    created_ = true;
    SetProgramTitle();
    InitLockMenuItem();
    SetStartFlags();
    ConnectHub();
    RegisterSettingsSchema();
    TakeAppDir();
    BindMainIniFile();
    SetFormExtraWidth();
    ReadMainIni();
    PlaceWindow();
    ResolveFileNames();
    ReadBoxFiles();
    CheckAutoStart();
    CreateProgramLogging();
    PrepareATCmd();
    TraceFormCreateEntry();
    InitHelp();
    LoadGlyphs();
    ShowSocketNames();
    ConfigureSerialPort();
    ServeMessagesOnce();
    SearchBox();
    ReportSearchResult();
    ArmAutoClose();
    TraceFormCreateExit();
}

void TAC_Program::SetProgramTitle() {
    const std::string version = mVedadAzaro1->FileIO()->GetFileVersion(GetPlatform().ExecutablePath());
    if (application_) application_->SetTitle("Tavrin v" + version);
}

void TAC_Program::InitLockMenuItem() { WindowPlacement().InitLockMenuItem(); }

void TAC_Program::SetStartFlags() {
    InitStart = true;
    NoExit = true;
    COMPortLogging = true;
}

void TAC_Program::ConnectHub() {
    // Every wait for the box serves the messages through the box queue, and
    // so does the pump of every logger that has no application of its own.
    mVedadAzaro1->setApplication(&Box().Queue().Pump());
    SetProgramApplication(&Box().Queue().Pump());
    WinVersion = mVedadAzaro1->OperationSystem()->GetWinVersion();
}

void TAC_Program::RegisterSettingsSchema() { ::RegisterSettingsSchema(*mVedadAzaro1->Dataholder()); }

void TAC_Program::TakeAppDir() { AppDir = GetPlatform().CurrentDir(); }

void TAC_Program::BindMainIniFile() { StartUp::BindMainIniFile(*mVedadAzaro1, AppDir); }

void TAC_Program::SetFormExtraWidth() { mVedadAzaro1->OperationSystem()->setFormular_Extra_Width(12); }

void TAC_Program::ReadMainIni() { StartUp::ReadMainIni(*mVedadAzaro1); }

void TAC_Program::PlaceWindow() { StartUp::PlaceWindow(*this); }

void TAC_Program::ResolveFileNames() { StartUp::ResolveFileNames(*mVedadAzaro1, AppDir); }

void TAC_Program::ReadBoxFiles() { StartUp::ReadBoxFiles(*mVedadAzaro1, AppDir); }

void TAC_Program::CheckAutoStart() { SilentStart().Action_InitAutoStartExecute(); }

void TAC_Program::CreateProgramLogging() {
    if (!ProgramLogging) ProgramLogging = new TmuProgramLogging(this);
    ProgramLogging->setApplication(&Box().Queue().Pump());
    ProgramLogging->SetCurrentDir(AppDir);
    ProgramLogging->SetSystemPath("System\\Logging");
    ProgramLogging->SetFileName("mLogging.log");

    TmuDataholder* holder = mVedadAzaro1->Dataholder();
    Keys::Use(*holder, Keys::kLoggingContext);
    const std::string compoID = Keys::Get(*holder, Keys::LogArt);
    const bool deleteFile = Keys::Get(*holder, Keys::LogDeleteFile);
    const bool active = Keys::Get(*holder, Keys::LogActive);
    ProgramLogging->SetCompoID(compoID);
    ProgramLogging->SetDelete(deleteFile);
    ProgramLogging->SetActiveLog(active);

    // The hub's logger follows; switching it on hands its settings on to
    // every service's logger, so it is switched last.
    TmuCompoLogging* hubLog = mVedadAzaro1->Log();
    hubLog->SetCurrentDir(ProgramLogging->CurrentDir());
    hubLog->SetSystemPath(ProgramLogging->SystemPath());
    hubLog->SetCompoID(compoID);
    hubLog->SetDelete(deleteFile);
    hubLog->SetActiveLog(active);
    holder->clearUseIndexSection();
}

void TAC_Program::PrepareATCmd() { StartUp::PrepareATCmd(*this); }

void TAC_Program::TraceFormCreateEntry() {
    if (!ProgramLogging) return;
    formCreateTrace_ = ProgramLogging->addPro(kTraceName);
    ProgramLogging->addText("Alle Klassen erstellen, die notwendig sind !!!");
}

void TAC_Program::InitHelp() { HelpBinding().InitHelp(); }

void TAC_Program::LoadGlyphs() { Switching().LoadGlyphs(); }

void TAC_Program::ShowSocketNames() { Pages().SetACName(1, 4); }

void TAC_Program::ConfigureSerialPort() { StartUp::ConfigureSerialPort(*ComPort1); }

void TAC_Program::ServeMessagesOnce() { mVedadAzaro1->OperationSystem()->SetProcessMessages(1); }

void TAC_Program::SearchBox() { neltaPosition_ = StartUp::SearchBox(*this); }

void TAC_Program::ReportSearchResult() { StartUp::ReportSearchResult(*this, neltaPosition_); }

void TAC_Program::ArmAutoClose() {
    if (neltaPosition_ != 0) StartUp::ArmAutoClose(*this);
}

bool TAC_Program::get_com_parameter(std::string& port, int& baudRate, int& dataBits, int& stopBits,
                                    int& parity, int& flowControl) const {
    if (!ComPort1 || !ComPort1->Connected()) {
        port.clear();
        return false;
    }
    port = ComPort1->Port();
    baudRate = static_cast<int>(ComPort1->BaudRate());
    dataBits = static_cast<int>(ComPort1->DataBits());
    stopBits = static_cast<int>(ComPort1->StopBits());
    parity = static_cast<int>(ComPort1->Parity());
    flowControl = static_cast<int>(ComPort1->FlowControl());
    return true;
}

void TAC_Program::TraceFormCreateExit() {
    if (ProgramLogging) ProgramLogging->exitPro(formCreateTrace_);
}

// ---------------------------------------------------------------------------
// Window events

bool TAC_Program::ComFailed() const {
    TmuDataholder* holder = mVedadAzaro1->Dataholder();
    holder->clearUseIndexSection();
    return Keys::Get(*holder, Keys::ComFailed);
}

void TAC_Program::FormActivate() {
    if (ComFailed()) return;
    if (InitStart) {
        InitStart = false;
        Keys::Set(*mVedadAzaro1->Dataholder(), Keys::WindowVisible, true);
    } else {
        Pages().Init_AC_DosenChange();
    }
}

void TAC_Program::FormShow() {
    if (!ComFailed()) mCloseTimer_15min->SetEnabled(true);
    WindowPlacement().RepinIfLocked();
}

void TAC_Program::FormHide() {
    // A hidden window neither finishes the deferred start any more nor
    // closes itself after 15 minutes.
    if (AC_Silent) AC_Silent->Set_InitStart(false);
    if (mCloseTimer_15min) mCloseTimer_15min->SetEnabled(false);
}

void TAC_Program::FormClose() {
    // A close that reaches this handler always ends the program; with NoExit
    // still set it comes from the end of the run (the session's end, the
    // silent-start window's destruction), and the window is no longer meant
    // to be visible.
    TmTraceScope trace(ProgramLogging, TmTraceScope::Kind::Procedure, "TTavrin1.FormClose",
                       {"i_Action", "TCloseAction"});
    if (NoExit) {
        if (ProgramLogging) ProgramLogging->addText("Sorry NoExit verhindert das Beenden vom Programm");
        TmuDataholder* holder = mVedadAzaro1->Dataholder();
        holder->clearUseIndexSection();
        Keys::Set(*holder, Keys::WindowVisible, false);
    }
}

void TAC_Program::FormDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    const int trace = ProgramLogging ? ProgramLogging->addPro("TTavrin1.FormDestroy") : 0;
    if (ProgramLogging) ProgramLogging->addText("Alle Klassen vernichten !!!");
    // Nothing queued for the box is sent any more; the waits of the end are
    // bounded in time.
    Box().RequestEnd();
    // Nothing of the running program may start while the marked sockets are
    // switched off (their waits serve the message queue).
    Timer_Datetime()->SetEnabled(false);
    if (mCloseTimer_15min) mCloseTimer_15min->SetEnabled(false);
    if (AC_Silent && AC_Silent->Prg_Silent_Timer()) AC_Silent->Prg_Silent_Timer()->SetEnabled(false);

    COMPortLogging = false;
    try {
        // tavrin.ini's main settings, the box file's port settings, sockets
        // (with the switch-off of the marked ones), port closed, box
        // settings, the box file written.
        shutdown_->SaveAll();
    } catch (const std::exception& e) {
        if (ProgramLogging) ProgramLogging->addErr(std::string("Fehler beim Speichern: ") + e.what());
    }

    delete muATCmd1;
    muATCmd1 = nullptr;

    {
        TmTraceScope images(ProgramLogging, TmTraceScope::Kind::Procedure,
                            "Destroy_images_from_stream in FormDestroy");
        if (ProgramLogging) ProgramLogging->addText("Alle Images vernichten !!!");
        Switching().FreeGlyphs();
    }

    HelpBinding().ReleaseHelpHook();

    if (ProgramLogging) {
        ProgramLogging->addText("Alle noch vorhandenen Klassen vernichten!");
        ProgramLogging->exitPro(trace);
        delete ProgramLogging;
        ProgramLogging = nullptr;
    }
    // tavrin.ini reaches the disk when the INI binding goes with the hub.
}

void TAC_Program::set_Timer_Close_at_15_Minutes_new() {
    WindowPlacement().set_Timer_Close_at_15_Minutes_new();
}

void TAC_Program::Set_InitStart(bool value) { InitStart = value; }

void TAC_Program::mIniCheckTimerTimer() {
    if (ProgramLogging) {
        TmTraceScope trace(ProgramLogging, TmTraceScope::Kind::Procedure, "TTavrin1.mIniCheckTimerTimer");
        ProgramLogging->addText("INI-Datei speichern");
    }
    if (mVedadAzaro1->IniIO()->get_IniChange()) GetPlatform().Beep();
}

bool TAC_Program::WMSysCommand(SysCommand command) {
    switch (command) {
        case SysCommand::Close:
            hide();
            return !NoExit;
        case SysCommand::Minimize:
        case SysCommand::Maximize:
            NoExit = true;
            return true;
        case SysCommand::Other:
            break;
    }
    return true;
}

bool TAC_Program::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) FormActivate();
    return QMainWindow::event(e);
}

void TAC_Program::changeEvent(QEvent* e) {
    if (e->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(e);
        const Qt::WindowStates now = windowState();
        if ((now & Qt::WindowMinimized) && !(change->oldState() & Qt::WindowMinimized))
            WMSysCommand(SysCommand::Minimize);
        else if ((now & Qt::WindowMaximized) && !(change->oldState() & Qt::WindowMaximized))
            WMSysCommand(SysCommand::Maximize);
    }
    QMainWindow::changeEvent(e);
}

void TAC_Program::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!e->spontaneous()) FormShow();
}

void TAC_Program::hideEvent(QHideEvent* e) {
    QMainWindow::hideEvent(e);
    if (!e->spontaneous()) FormHide();
}

void TAC_Program::closeEvent(QCloseEvent* e) {
    // A close from the window system (title bar, system menu, keyboard) is
    // its close command; a close from the program (quit, the silent-start
    // window's end, the session's end) always ends the program.
    if (e->spontaneous() && !WMSysCommand(SysCommand::Close)) {
        e->ignore();
        return;
    }
    FormClose();
    e->accept();
    // The run ends: a wait for the box in flight is cut short and nothing
    // queued is sent any more.
    Box().RequestEnd();
    emit Closed();
}
