#pragma once
// What the box controller asks of the window that shows the box: the window
// keeps the widgets, the controller decides what they show.
#include <string>
#include <vector>

class TBoxView {
public:
    virtual ~TBoxView() = default;

    // A line of the COM-port log (the settings dialog's memo).
    virtual void AddLogLine(const std::string& text) = 0;
    // The one text of the status line.
    virtual void ShowStatus(const std::string& text) = 0;
    // Socket n shown on or off: the caption and image of its toggle action
    // (its menu and tray entries) and, while its page is shown, the glyph
    // of its page button.
    virtual void ShowSocket(int n, bool on) = 0;
    // Before the box is known: the socket entries of both menus hidden, the
    // page and edit buttons disabled.
    virtual void HideSockets() = 0;
    // A box model recognised: socket entries 1 to `sockets` of both menus
    // shown, the page and edit buttons enabled, the page tabs replaced.
    virtual void ShowModel(int sockets, const std::vector<std::string>& tabs) = 0;
    // The pages bound again to the tab shown; with `known` false the page
    // and edit buttons stay disabled. The window is repainted.
    virtual void ShowPages(bool known) = 0;
    // The emergency off: the name labels read again for the page shown and
    // every page button grey.
    virtual void ShowAllOff() = 0;
    // The stored switching delay in the settings dialog: the delay chosen
    // and its check box ticked (which runs the delay option as a click does).
    virtual void ShowDelay(int seconds) = 0;
    // The settings dialog's delay option as a click runs it.
    virtual void RunDelayOption() = 0;
};
