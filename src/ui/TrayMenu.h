#pragma once
// The program in the notification area: the tray icon `TrayIcon1` with the
// program icon and its owner-drawn popup `mTrayIconPopup1`, and the show,
// hide and quit actions of the main window.
//
// Popup entries, in order (drawn caption; help context):
//   Tray_Steckdosen_Popup   submenu of the 24 sockets in three columns ("Steckdosen")
//   Notaus2                 Action_DangerOFF ("&Notaus")
//   ----
//   Tray_Tavrin_offnen      Action_AC_Prg_Show ("Tavrin öff&nen")
//   Tray_Tavrin_schliesen   Action_AC_Prg_Hide ("Tavrin &schließen"; 220)
//   ----
//   Tray_Einstellungen      Action_AC_Prg_Setup ("&Einstellungen"; 230)
//   ----
//   Tray_Update             nothing ("&Updates"; 240)
//   Tray_Info               Action_AC_Prg_Info ("&Info"; 250)
//   ----
//   Tray_Beenden            the quit handler ("&Beenden"; 260)
//
// Two minutes before the window hides itself the tray warns once per run
// ("ACHTUNG !!!"); clicking that balloon ends the program. Qt's X11 tray
// also reports a press on the icon itself as a click on the balloon while
// one is up (and then, in the same press, the icon's activation); such a
// press only opens the menu or restores as usual, it never ends the program.
//
// Without a system tray (the desktop offers none) the program still runs
// and its window stays reachable: hiding it minimises it instead, the close
// button minimises it too, and restoring it from the task bar acts as the
// show action.
#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QSystemTrayIcon;
class QWidget;
class QtForm;
class TColumnMenu;
class TIconPressFilter;
class TmTrayIconPopup;
class TmuLogging;
class TmuDataholder;
class TProgramActions;
class TSocketActions;
class TStatusClock;
class TWindowPlacement;

class TTrayMenu : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kMakerName = "Tavrin-Projekt";
    static constexpr const char* kBalloonTitle = "ACHTUNG !!!";
    static constexpr const char* kBalloonText = " Der Tavrin\rschließt sich in 2 Min.";
    static constexpr int kBalloonTimeout = 30000;
    static constexpr int kPopupHeight = 210;
    static constexpr int HelpPopup = 220;

    struct TLinks {
        QWidget* window = nullptr;  // the main window
        QtForm* form = nullptr;     // its control tree
        TProgramActions* actions = nullptr;
        TSocketActions* sockets = nullptr;
        TStatusClock* clock = nullptr;
        TWindowPlacement* placement = nullptr;
        std::function<TmuDataholder*()> dataholder;
        std::function<TmuLogging*()> programLogging;  // may give null
        std::function<void(bool)> setNoExit;
        // The silent-start window: SilentInitStart cleared and hidden.
        std::function<void()> clearSilentStart;
        std::function<void()> closeSilentWindow;
    };

    // Creates the icon (shown at once), the popup and its entries, and binds
    // the show, hide and quit actions.
    explicit TTrayMenu(TLinks links);
    ~TTrayMenu() override;

    TTrayMenu(const TTrayMenu&) = delete;
    TTrayMenu& operator=(const TTrayMenu&) = delete;

    QSystemTrayIcon* TrayIcon1() const { return trayIcon_; }
    TmTrayIconPopup* mTrayIconPopup1() const { return popup_; }
    TColumnMenu* Tray_Steckdosen_Popup() const { return sockets_; }
    // An entry of the popup by its name ("Tray_Info"); null when none.
    QAction* Entry(const QString& name) const;

    // The icon's tag: 0 until the two-minute warning was shown, then 1.
    int TrayIconTag() const { return tag_; }
    void SetTrayIconTag(int tag) { tag_ = tag; }
    // The two-minute warning, at most once per run.
    void ShowCloseWarning();
    // Every balloon the icon shows goes through here.
    void ShowBalloon(const QString& title, const QString& text, int timeoutMs);
    // Tests follow the balloons here (the window system shows them
    // asynchronously or not at all).
    void SetOnBalloon(std::function<void(const QString&, const QString&, int)> observer) {
        onBalloon_ = std::move(observer);
    }

    // Hides the main window; without a system tray it is minimised instead.
    void HideMainWindow();

    void Action_AC_Prg_ShowExecute();
    void Action_AC_Prg_HideExecute();
    void Action_TrayPrg_CloseExecuteExecute();
    // The tray icon reported a click on its balloon; the quit runs once the
    // press that caused it is over, unless that press was on the icon.
    void BalloonClicked();

    // Whether the desktop has a system tray; tests may decide it.
    static bool TrayAvailable();
    static void SetTrayAvailableForTests(int available);  // -1: ask the desktop

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* AddEntry(const char* name, const char* drawnCaption, QAction* action, int helpContext);
    TmuLogging* ProgramLog() const;
    void SetACVisible(bool value);

    TLinks links_;
    QSystemTrayIcon* trayIcon_ = nullptr;
    TmTrayIconPopup* popup_ = nullptr;
    TColumnMenu* sockets_ = nullptr;
    int tag_ = 0;
    // Set while the show action runs (restoring a minimised window reports
    // back to the event filter).
    bool showing_ = false;
    // A balloon click waits for the end of its press; an activation of the
    // icon in the same press (or a press delivered to the icon) cancels it.
    bool balloonClickPending_ = false;
    bool pressOnIcon_ = false;
    TIconPressFilter* iconPresses_ = nullptr;
    std::function<void(const QString&, const QString&, int)> onBalloon_;
};
