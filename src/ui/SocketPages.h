#pragma once
// The socket pages of the main window: one fixed set of four slots (page
// button, group box with the socket's name and its edit button) that the tab
// control `TabControl_AC_Dosen` re-binds to the four sockets of the chosen
// page. Page p (the tab index) shows sockets 4p + 1 to 4p + 4, socket n in
// slot ((n - 1) mod 4) + 1.
//
// The slots hold no state of their own: every re-binding reads the names
// (AC01|AC|AC_Name<NN>) and switching states (AC01|AC|ACPower<NN>) from the
// data holder. Controls are changed by their names through the control text
// binding over the window's control registry.
//
// Also here: showing or hiding the socket entries of the main menu and the
// tray menu and enabling or disabling the slot buttons for the box size.
#include <functional>
#include <string>

class QToolButton;
class QtForm;
class TmuLogging;
class TmVedadAzaro;
class TProgramView;
class TSocketActions;
class TSocketSwitching;

class TSocketPages {
public:
    using TLogSource = std::function<TmuLogging*()>;

    // All references are parts of the main window and outlive this object.
    // `programLogging` gives the program-wide logger (null before it exists).
    TSocketPages(QtForm& form, TProgramView& view, TSocketActions& actions, TSocketSwitching& switching,
                 TmVedadAzaro& hub, TLogSource programLogging);
    ~TSocketPages();

    TSocketPages(const TSocketPages&) = delete;
    TSocketPages& operator=(const TSocketPages&) = delete;

    // Re-binds the four slots to the page of the current tab index: group
    // box captions " Steckdose <n> ", page button action and click handler,
    // edit button action, glyph, name labels. A tab index outside 0 to 5
    // re-binds nothing. The window is repainted either way.
    void Init_AC_DosenChange();
    // Green glyph on the button when ACPower<NN> is true, else grey.
    void CheckImageIndex_And_SetSpeedbutton(QToolButton* button, int n);
    // The names AC_Name<first> .. AC_Name<last> onto the labels ACNameX<k>.
    void SetACName(int first, int last);

    // Shows or hides the menu items prefix + "1" .. prefix + count (exact
    // names, the first match of each); names that match nothing are skipped.
    void set_Visible_Index_MenuItems(const std::string& prefix, int count, bool visible);
    // Enables or disables the speed buttons prefix + "1" .. prefix + count.
    void set_Enable_Index_Speedbutton(const std::string& prefix, int count, bool enabled);

    // The tab control's change: re-binding and repaint.
    void TabControl_AC_DosenChange();

private:
    TmuLogging* Log() const;

    QtForm& form_;
    TProgramView& view_;
    TSocketActions& actions_;
    TSocketSwitching& switching_;
    TmVedadAzaro& hub_;
    TLogSource programLogging_;
};
