#pragma once
// The three actions of every socket (1 to 24) in the main window's action
// list, and the socket entries of the main menu and the tray menu.
//
//   Action_Std<NN>_Toggle      caption "Steckdose <n> - ON/OFF", image 1 or 0;
//                              shown by the menu entries ItemSteckdose<n> and
//                              Tray_Steckdose<n>; runs the toggle hook
//   Action_Std<NN>_BTN_Toggle  hint "Steckdose schalten.", help context 130;
//                              bound to a page button; runs the button hook
//   Action_Std<NN>_Edit        hint "Steckdose editieren.", image 8; bound to
//                              a page edit button; runs the edit hook
//
// Every menu entry is an object of its own (own visibility and help context)
// bound to the socket's toggle action: it shows the action's caption and
// image as they change and executes the action when chosen.
#include <QString>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QWidget;
class QtForm;

class TSocketActions {
public:
    static constexpr int SocketCount = 24;
    static constexpr int HelpButtonToggle = 130;
    static constexpr int HelpSocketMenu = 130;

    using SocketHandler = std::function<void(int n)>;

    // Creates the 72 actions as children of `window` and registers them with
    // `form` (socket by socket: toggle, button toggle, edit).
    TSocketActions(QWidget* window, QtForm& form);
    ~TSocketActions();

    TSocketActions(const TSocketActions&) = delete;
    TSocketActions& operator=(const TSocketActions&) = delete;

    // The actions of socket n (1 to 24); null outside.
    QAction* Toggle(int n) const;
    QAction* ButtonToggle(int n) const;
    QAction* Edit(int n) const;

    // The hooks the actions run, each with its socket number. A hook may be
    // set or replaced at any time; without one the action does nothing.
    void SetOnToggle(SocketHandler handler);
    void SetOnButtonToggle(SocketHandler handler);
    void SetOnEdit(SocketHandler handler);

    // Fills `menu` with the 24 entries <prefix>1 to <prefix>24 and registers
    // them with `form` as menu items: groups of four divided by separators,
    // column breaks before 9 and 17 (three columns of eight in a column menu).
    void AddMenuEntries(QMenu* menu, const QString& prefix);
    // The main menu's entries "ItemSteckdose<n>" into `menu`.
    void AddMainMenuEntries(QMenu* menu) { AddMenuEntries(menu, QStringLiteral("ItemSteckdose")); }
    // Creates the tray's socket submenu `Tray_Steckdosen_Popup` ("Steckdosen")
    // as a child of `parent`, registers it and fills it with Tray_Steckdose<n>.
    QMenu* CreateTraySocketMenu(QWidget* parent);

    // The entry <prefix><n> created by AddMenuEntries; null when none.
    QAction* MenuEntry(const QString& prefix, int n) const;

    // Name parts and captions.
    static QString TwoDigits(int n);               // "05"
    static QString InitialToggleCaption(int n);    // "Steckdose  5 - OFF", "Steckdose 12 - OFF"
    static QString ToggleCaption(int n, bool on);  // "Steckdose 5 - ON" / "Steckdose 5 - OFF"

private:
    struct Hooks;
    struct Socket {
        QAction* toggle = nullptr;
        QAction* buttonToggle = nullptr;
        QAction* edit = nullptr;
    };

    QtForm& form_;
    std::shared_ptr<Hooks> hooks_;
    std::array<Socket, SocketCount> sockets_{};
};
