#include "app/Tavrin.h"

#include <QCloseEvent>
#include <QEvent>
#include <QHideEvent>
#include <QShowEvent>
#include <QWindowStateChangeEvent>

#include "app/SettingsSchema.h"
#include "store/muDataHolder.h"
#include "store/muFileIO.h"
#include "store/muIniIO.h"
#include "toolkit/Platform.h"
#include "toolkit/mVedadAzaro.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"

TAC_Program* AC_Program = nullptr;

namespace {
const char* const kTraceName = "TTavrin1.FormCreate";
}

TAC_Program::TAC_Program(Application* application, QWidget* parent)
    : QMainWindow(parent), application_(application), form_(this) {
    AC_Program = this;
    setObjectName(QStringLiteral("AC_Program"));
    SetName("AC_Program");
    setWindowTitle(QStringLiteral("Tavrin"));

    mVedadAzaro1 = new TmVedadAzaro(this);
    mVedadAzaro1->SetName("mVedadAzaro1");
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
    if (AC_Program == this) AC_Program = nullptr;
}

void TAC_Program::CreateParts() {
    // The widgets, actions, menus, tray icon, serial port and timers of the
    // window's parts are created here, in the order of the window resource.
}

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
    const std::string version =
        mVedadAzaro1->FileIO()->GetFileVersion(GetPlatform().ExecutablePath());
    if (application_) application_->SetTitle("Tavrin v" + version);
}

void TAC_Program::InitLockMenuItem() {
    // The lock menu item ActionLook_Or_Unlook: image index 12, tag 0.
}

void TAC_Program::SetStartFlags() {
    InitStart = true;
    NoExit = true;
    COMPortLogging = true;
}

void TAC_Program::ConnectHub() {
    mVedadAzaro1->setApplication(application_);
    WinVersion = mVedadAzaro1->OperationSystem()->GetWinVersion();
}

void TAC_Program::RegisterSettingsSchema() {
    ::RegisterSettingsSchema(*mVedadAzaro1->Dataholder());
}

void TAC_Program::TakeAppDir() { AppDir = GetPlatform().CurrentDir(); }

void TAC_Program::BindMainIniFile() {
    // INI binding: two slots; slot 1 bound to AppDir\tavrin.ini and activated.
}

void TAC_Program::SetFormExtraWidth() { mVedadAzaro1->OperationSystem()->setFormular_Extra_Width(12); }

void TAC_Program::ReadMainIni() {
    // readINI_with_DataHolder: index INI from tavrin.ini.
}

void TAC_Program::PlaceWindow() {
    // Desktop position from FormPos, then PositionX/PositionY corrected into
    // the screen.
}

void TAC_Program::ResolveFileNames() {
    // ProgLogFile, Actuall_LogFile, Actuall_Helpfile, COM_Count, Actuall_AcFile.
}

void TAC_Program::ReadBoxFiles() {
    // Slot 2: the box files AC01 .. COM_Count.
}

void TAC_Program::CheckAutoStart() {
    // Action_InitAutoStart is executed.
}

void TAC_Program::CreateProgramLogging() {
    if (!ProgramLogging) ProgramLogging = new TmuProgramLogging(this);
    ProgramLogging->setApplication(application_);
    ProgramLogging->SetCurrentDir(AppDir);
    ProgramLogging->SetSystemPath("System\\Logging");
    ProgramLogging->SetFileName("mLogging.log");

    TmuDataholder* holder = mVedadAzaro1->Dataholder();
    holder->UseIndex = "INI";
    holder->UseSection = "Logging";
    const std::string compoID = holder->getValueString("LogArt");
    const bool deleteFile = holder->getValueBoolean("DeleteFile");
    const bool active = holder->getValueBoolean("Logging");
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

void TAC_Program::PrepareATCmd() {
    // The AT command layer: created, logger set up from ProgramLogging, bound
    // to ComPort1, its own hub given the application object.
}

void TAC_Program::TraceFormCreateEntry() {
    if (!ProgramLogging) return;
    formCreateTrace_ = ProgramLogging->addPro(kTraceName);
    ProgramLogging->addText("Alle Klassen erstellen, die notwendig sind !!!");
}

void TAC_Program::InitHelp() {
    // Help file test, help hook, Update_HelpIndex.
}

void TAC_Program::LoadGlyphs() {
    // The three glyph bitmaps; the first on SpeedButton_ACX1 .. 4.
}

void TAC_Program::ShowSocketNames() {
    // AC_Name01 .. AC_Name04 onto the labels ACNameX1 .. ACNameX4.
}

void TAC_Program::ConfigureSerialPort() {
    // ComPort1: 57600 baud, 8 data bits, 1 stop bit, no flow control.
}

void TAC_Program::ServeMessagesOnce() { mVedadAzaro1->OperationSystem()->SetProcessMessages(1); }

void TAC_Program::SearchBox() {
    // SearchCOMPorts, COMPortCount := COMCount, SearchATCmdAtAutostart,
    // SearchATCmd, SearchATICmd, then SetNELTA gives neltaPosition_.
}

void TAC_Program::ReportSearchResult() {
    // No box: the error message, the window invisible, AC_COM_failed true;
    // else the window visible and AC_COM_failed false.
}

void TAC_Program::ArmAutoClose() {
    // With a box: the auto-close deadline now + 15 minutes, Timer_Datetime
    // and mCloseTimer_15min enabled.
}

void TAC_Program::TraceFormCreateExit() {
    if (ProgramLogging) ProgramLogging->exitPro(formCreateTrace_);
}

// ---------------------------------------------------------------------------
// Window events

bool TAC_Program::ComFailed() const {
    TmuDataholder* holder = mVedadAzaro1->Dataholder();
    holder->clearUseIndexSection();
    return holder->getValueBoolean("AC_COM_failed");
}

void TAC_Program::FormActivate() {
    if (ComFailed()) return;
    if (InitStart) {
        InitStart = false;
        mVedadAzaro1->Dataholder()->setValueBoolean("AC_Visible", true);
    } else {
        // The socket pages are rebuilt here (Init_AC_DosenChange).
    }
}

void TAC_Program::FormShow() {
    if (!ComFailed()) {
        // mCloseTimer_15min is enabled here.
    }
    // A window locked on top (tag 1 of ActionLook_Or_Unlook) is taken off the
    // top and put on it again (Delete_WindowOnTheTop, Set_WindowOnTheTop).
}

void TAC_Program::FormHide() {
    // SilentInitStart of the silent-start window is cleared and
    // mCloseTimer_15min disabled.
}

void TAC_Program::FormClose() {
    // The "TTavrin1.FormClose" trace; with NoExit set the "Sorry NoExit" line
    // and "AC_Visible" := false.
}

void TAC_Program::FormDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    // Saving of tavrin.ini and the box file, switching off the marked
    // sockets, closing the port, releasing the program's objects; the last
    // step releases ProgramLogging.
}

void TAC_Program::Set_InitStart(bool value) { InitStart = value; }

void TAC_Program::mIniCheckTimerTimer() {
    if (ProgramLogging) {
        const int trace = ProgramLogging->addPro("TTavrin1.mIniCheckTimerTimer");
        ProgramLogging->addText("INI-Datei speichern");
        ProgramLogging->exitPro(trace);
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
    emit Closed();
}
