#pragma once
// The main window's menu bar `MainMenu1`, left to right:
//   Menu_Datei "&Datei"         Tavrin_schliesen (Action_AC_Prg_Hide), separator,
//                               Beenden (Action_TrayPrg_CloseExecute)
//   Menu_Einstellungen          Action_AC_Prg_Setup "&Einstellung"
//   Menu_Steckdosen "&Steckdosen"  ItemSteckdose1 .. ItemSteckdose24
//   Menu_Hilfe (image only)     Hilfe (Action_AC_Prg_Help), Info (Action_AC_Prg_Info)
//   ActionLook_Or_Unlook        Action_Lock_Unlook, image only (12 unlocked, 13 locked)
// Every item is an object of its own, registered with the window's form, and
// bound to its action: it shows the action's caption and image and runs it.
class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;
class QtForm;
class TProgramActions;
class TSocketActions;

class TMainMenus {
public:
    static constexpr int HelpMenuDatei = 70;
    static constexpr int HelpMenuSteckdosen = 130;
    static constexpr int HelpInfo = 190;

    TMainMenus(QMainWindow* window, QtForm& form, const TProgramActions& actions, TSocketActions& sockets);

    TMainMenus(const TMainMenus&) = delete;
    TMainMenus& operator=(const TMainMenus&) = delete;

    QMenuBar* MainMenu1() const { return menuBar_; }
    QMenu* Menu_Datei() const { return datei_; }
    QAction* Menu_Einstellungen() const { return einstellungen_; }
    QMenu* Menu_Steckdosen() const { return steckdosen_; }
    QMenu* Menu_Hilfe() const { return hilfe_; }
    // The lock item: its image shows the lock state, its tag (the dynamic
    // property "tag") holds it: 0 unlocked, 1 locked.
    QAction* ActionLook_Or_Unlook() const { return lock_; }

private:
    QMenuBar* menuBar_ = nullptr;
    QMenu* datei_ = nullptr;
    QAction* einstellungen_ = nullptr;
    QMenu* steckdosen_ = nullptr;
    QMenu* hilfe_ = nullptr;
    QAction* lock_ = nullptr;
};
