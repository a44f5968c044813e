#pragma once
// The main window's parts, created and wired in one place and owned here.
//
// The window hands over its widget, its form, the hub and the logger getter;
// the parts come in stages, each stage on the ones before it:
//   BuildView      the widgets, the socket actions, the program actions and
//                  the menu bar, in the order of the window resource, and the
//                  view's emergency button on Action_DangerOFF;
//   BuildHelp      context help and the menu command "&Hilfe";
//   BuildTray      the status-bar clock, the placement with the 15-minute
//                  close timer (the window's size fixed), the tray icon and
//                  its menu (after BuildView);
//   BuildBox       the box controller with its one queue and the widgets that
//                  show it: socket switching, socket pages, the box session
//                  (after BuildView);
//   BuildCommands  the deferred start (the silent-start window's host),
//                  editing a socket, the emergency off (after BuildBox; the
//                  close timer it switches is BuildTray's).
// The main window builds every stage in this order; a test builds the stages
// it needs over its own doubles. A stage not built leaves its accessors null.
// The parts go in the reverse order of their creation, except that the tray
// stage's go first of all (the tray, the placement, the clock).
#include <cstdint>
#include <functional>
#include <memory>

#include "device/BoxController.h"

class Application;
class QMainWindow;
class QtForm;
class SerialPort;
class TAC_Edit;
class TAC_Einstellung;
class TComponent;
class TEmergencyOff;
class THelpBinding;
class TMainMenus;
class TmuATCmd;
class TmuLogging;
class TmVedadAzaro;
class TBoxSession;
class TProgramActions;
class TProgramView;
class TSilentStart;
class TSocketActions;
class TSocketEditor;
class TSocketPages;
class TSocketSwitching;
class TStatusClock;
class TTrayMenu;
class TWindowPlacement;

class TWindowParts {
public:
    // What every stage works on; all of it outlives the parts.
    struct TWindow {
        QMainWindow* window = nullptr;                // the main window
        QtForm* form = nullptr;                       // its control tree
        TmVedadAzaro* hub = nullptr;                  // (BuildView does without)
        std::function<TmuLogging*()> programLogging;  // may give null
    };
    // What the tray, the clock and the placement reach of the window.
    struct TTrayInputs {
        TComponent* closeTimerOwner = nullptr;
        std::int64_t* autoCloseDeadline = nullptr;  // AutoCloseDeadline
        std::function<bool()> noExit;
        std::function<void(bool)> setNoExit;
        // A real close of the main window: the program ends.
        std::function<void()> closeMainWindow;
        // The silent-start window: its deferred start cleared and the window
        // hidden, or the window closed.
        std::function<void()> clearSilentStart;
        std::function<void()> closeSilentWindow;
    };
    // What the box controller and the box session reach of the program.
    struct TBoxInputs {
        SerialPort* port = nullptr;  // ComPort1
        std::function<TmuATCmd*()> atCmd;
        // A switching action counts as activity (the auto-hide restarts).
        std::function<void()> activity;
        TBoxController::TState state;
        Application* application = nullptr;  // the queue's own message loop
        // The settings dialog (null before it exists and after it went).
        std::function<TAC_Einstellung*()> settings;
    };
    // What the deferred start and the socket editor reach of the window.
    struct TCommandInputs {
        std::function<void(bool)> setInitStart;  // Set_InitStart
        // The edit dialog (empty: the one instance AC_Edit).
        std::function<TAC_Edit*()> editDialog;
    };

    explicit TWindowParts(TWindow window);
    ~TWindowParts();

    TWindowParts(const TWindowParts&) = delete;
    TWindowParts& operator=(const TWindowParts&) = delete;

    void BuildView();
    void BuildHelp();
    void BuildTray(TTrayInputs inputs);
    void BuildBox(TBoxInputs inputs);
    void BuildCommands(TCommandInputs inputs);

    TProgramView* View() const { return view_.get(); }
    TSocketActions* SocketActions() const { return socketActions_.get(); }
    TProgramActions* ProgramActions() const { return programActions_.get(); }
    TMainMenus* MainMenus() const { return mainMenus_.get(); }
    THelpBinding* HelpBinding() const { return helpBinding_.get(); }
    TStatusClock* StatusClock() const { return statusClock_.get(); }
    TWindowPlacement* WindowPlacement() const { return windowPlacement_.get(); }
    TTrayMenu* TrayMenu() const { return trayMenu_.get(); }
    TBoxController* Box() const { return box_.get(); }
    TSocketSwitching* Switching() const { return switching_.get(); }
    TSocketPages* Pages() const { return pages_.get(); }
    TBoxSession* BoxSession() const { return boxSession_.get(); }
    TSilentStart* SilentStart() const { return silentStart_.get(); }
    TSocketEditor* SocketEditor() const { return socketEditor_.get(); }
    TEmergencyOff* EmergencyOff() const { return emergencyOff_.get(); }

private:
    TWindow window_;
    std::unique_ptr<TProgramView> view_;
    std::unique_ptr<TSocketActions> socketActions_;
    std::unique_ptr<TProgramActions> programActions_;
    std::unique_ptr<TMainMenus> mainMenus_;
    std::unique_ptr<THelpBinding> helpBinding_;
    std::unique_ptr<TBoxController> box_;
    std::unique_ptr<TSocketSwitching> switching_;
    std::unique_ptr<TSocketPages> pages_;
    std::unique_ptr<TBoxSession> boxSession_;
    std::unique_ptr<TSilentStart> silentStart_;
    std::unique_ptr<TSocketEditor> socketEditor_;
    std::unique_ptr<TEmergencyOff> emergencyOff_;
    std::unique_ptr<TStatusClock> statusClock_;
    std::unique_ptr<TWindowPlacement> windowPlacement_;
    std::unique_ptr<TTrayMenu> trayMenu_;
};
