#pragma once
// The main window `TAC_Program` and the program state that lives as long as
// the process. Its creation carries the whole synchronous start-up
// (`FormCreate`); its destruction saves the settings (`FormDestroy`).
//
// The window's parts (widgets, actions, menus, tray, socket pages, the box
// exchange) are separate units that work on this window; this unit holds the
// state they share and the order in which the start-up runs them.
#include <QMainWindow>
#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/Application.h"
#include "toolkit/Component.h"
#include "toolkit/Timer.h"
#include "toolkit/qt/QtForm.h"
#include "ui/ProgramLinks.h"
#include "ui/WindowParts.h"

class SerialPort;
class TmCloseTimer;
class TmuATCmd;
class TmVedadAzaro;
class TmuProgramLogging;
class TShutdown;
class TSilentStartHost;

class TAC_Program : public QMainWindow, public TComponent {
    Q_OBJECT
public:
    // Creates the window, its parts and its components and runs FormCreate.
    // ComPort1 is a PosixSerialPort owned by the window unless `comPort` is
    // given (not owned; it must outlive the window), as tests do with a
    // simulated port.
    explicit TAC_Program(Application* application, QWidget* parent = nullptr);
    TAC_Program(Application* application, SerialPort* comPort, QWidget* parent = nullptr);
    // Runs FormDestroy (once), then frees the window's components.
    ~TAC_Program() override;

    // ---- Program state ----------------------------------------------------
    // While true, closing the main window only hides it.
    bool NoExit = true;
    // The start-up initialisation of the box is still pending.
    bool InitStart = true;
    // While true, the serial exchange is shown in the settings dialog's memo.
    bool COMPortLogging = true;
    // Sockets of the identified box (4 to 24), 0 before identification.
    int ACDosenCount = 0;
    // Serial ports that could be opened during the port search.
    int COMPortCount = 0;
    // The working directory when FormCreate ran; the value of "$APPDIR".
    std::string AppDir;
    // The operating system's version text.
    std::string WinVersion;
    // The program-wide logger; created by FormCreate, released by FormDestroy.
    TmuProgramLogging* ProgramLogging = nullptr;

    // ---- Components ---------------------------------------------------------
    // The toolkit hub with the data holder, the INI binding, the file and
    // operating system services; created before FormCreate runs.
    TmVedadAzaro* mVedadAzaro1 = nullptr;
    Timer* mIniCheckTimer() const { return iniCheckTimer_.get(); }
    // The serial port to the box; never null.
    SerialPort* ComPort1 = nullptr;
    // The AT command layer on ComPort1; created by FormCreate.
    TmuATCmd* muATCmd1 = nullptr;
    // Auto-hide: the deadline (platform clock, ms since the epoch), the
    // status-bar tick (1000 ms) and the 15-minute close timer, both disabled
    // until the start-up found a box.
    std::int64_t AutoCloseDeadline = 0;
    Timer* Timer_Datetime() const;
    TmCloseTimer* mCloseTimer_15min = nullptr;
    // While the close timer runs: restart it and move the deadline to now
    // plus 15 minutes (a switching action counts as activity).
    void set_Timer_Close_at_15_Minutes_new();

    // The settings of ComPort1 as enumeration positions; false (and an empty
    // port name) while the port is closed.
    bool get_com_parameter(std::string& port, int& baudRate, int& dataBits, int& stopBits, int& parity,
                           int& flowControl) const;

    Application* GetApplication() const { return application_; }
    // The window's controls as the binding services see them.
    QtForm& Form() { return form_; }
    // The widgets, the socket actions, the program actions and the menu bar.
    TProgramView& View() const { return *parts_->View(); }
    TSocketActions& SocketActions() const { return *parts_->SocketActions(); }
    TProgramActions& ProgramActions() const { return *parts_->ProgramActions(); }
    TMainMenus& MainMenus() const { return *parts_->MainMenus(); }
    // Context help: the help hook, the help table on the controls, "&Hilfe".
    THelpBinding& HelpBinding() const { return *parts_->HelpBinding(); }
    // The tray icon and its menu, the status-bar clock with the auto-hide
    // countdown, the window's placement, close timer and lock.
    TTrayMenu& TrayMenu() const { return *parts_->TrayMenu(); }
    TStatusClock& StatusClock() const { return *parts_->StatusClock(); }
    TWindowPlacement& WindowPlacement() const { return *parts_->WindowPlacement(); }
    // The box controller (every exchange with the box), socket switching and
    // pages, the box session's widgets, the deferred start (the silent-start
    // window's host), editing a socket, the emergency off, and the saving at
    // the end.
    TBoxController& Box() const { return *parts_->Box(); }
    TSocketSwitching& Switching() const { return *parts_->Switching(); }
    TSocketPages& Pages() const { return *parts_->Pages(); }
    TBoxSession& BoxSession() const { return *parts_->BoxSession(); }
    TSilentStart& SilentStart() const { return *parts_->SilentStart(); }
    TSilentStartHost* SilentStartHost() const;
    TSocketEditor& SocketEditor() const { return *parts_->SocketEditor(); }
    TEmergencyOff& EmergencyOff() const { return *parts_->EmergencyOff(); }

    // What the dialogs reach of this window, handed to them when they are made.
    TProgramLinks Links();

    // "AC_COM_failed" with UseIndex and UseSection emptied first.
    bool ComFailed() const;

    // ---- Handlers -----------------------------------------------------------
    // The start-up sequence; runs once, from the constructor.
    void FormCreate();
    void FormActivate();
    void FormShow();
    void FormHide();
    void FormClose();
    // Saving and release at the end; runs once, from the destructor.
    void FormDestroy();
    void Set_InitStart(bool value);
    // Every 1000 ms while the program runs.
    void mIniCheckTimerTimer();

    // The window system's commands to the window (title bar, system menu).
    enum class SysCommand { Close, Minimize, Maximize, Other };
    // Returns false when the command is turned into no command.
    bool WMSysCommand(SysCommand command);

signals:
    // The window has been closed for real: the message loop ends.
    void Closed();

protected:
    bool event(QEvent* e) override;
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    // The parts of the window that exist before FormCreate runs.
    void CreateParts();

    // FormCreate, step by step.
    void SetProgramTitle();         // 1
    void InitLockMenuItem();        // 2
    void SetStartFlags();           // 3
    void ConnectHub();              // 4
    void RegisterSettingsSchema();  // 5
    void TakeAppDir();              // 6
    void BindMainIniFile();         // 7
    void SetFormExtraWidth();       // 8
    void ReadMainIni();             // 9
    void PlaceWindow();             // 10
    void ResolveFileNames();        // 11
    void ReadBoxFiles();            // 12
    void CheckAutoStart();          // 13
    void CreateProgramLogging();    // 14
    void PrepareATCmd();            // 15
    void TraceFormCreateEntry();    // 16
    void InitHelp();                // 17
    void LoadGlyphs();              // 18
    void ShowSocketNames();         // 19
    void ConfigureSerialPort();     // 20
    void ServeMessagesOnce();       // 21
    void SearchBox();               // 22
    void ReportSearchResult();      // 23
    void ArmAutoClose();            // 24
    void TraceFormCreateExit();     // 25

    Application* application_;
    QtForm form_;
    // The widgets, actions, menus, tray, box parts of the window.
    std::unique_ptr<TWindowParts> parts_;
    std::unique_ptr<TShutdown> shutdown_;
    std::unique_ptr<Timer> iniCheckTimer_;
    // ComPort1 when the window made it itself.
    std::unique_ptr<SerialPort> ownComPort_;
    // Position of the port whose box answered the search (0: none).
    int neltaPosition_ = 0;
    int formCreateTrace_ = 0;
    bool created_ = false;
    bool destroyed_ = false;
};

// The one main window, from the start of its construction to its destruction.
extern TAC_Program* AC_Program;
