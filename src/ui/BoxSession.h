#pragma once
// The main window's side of the box session: the widgets that show what the
// box controller (device/BoxController) decides. The status line
// `ComboBox_AC_Steckdosen`, the COM-port log `Memo_COMPort` of the settings
// dialog, the socket entries of both menus, the page tabs and buttons, and
// the settings dialog's delay controls. The box logic itself lives in the
// controller; the window's operations forward to it.
#include <functional>
#include <string>
#include <vector>

#include "device/BoxView.h"

class QWidget;
class TAC_Einstellung;
class TBoxController;
class TProgramView;
class TSocketPages;
class TSocketSwitching;

class TBoxSession : public TBoxView {
public:
    // The parts of the main window this one works with; all outlive it.
    struct TParts {
        QWidget* window = nullptr;  // repainted after the pages are built
        TProgramView* view = nullptr;
        TSocketPages* pages = nullptr;
        TSocketSwitching* switching = nullptr;
        TBoxController* controller = nullptr;
        // The settings dialog (null before it exists and after it went).
        std::function<TAC_Einstellung*()> settings;
    };

    explicit TBoxSession(TParts parts);

    TBoxSession(const TBoxSession&) = delete;
    TBoxSession& operator=(const TBoxSession&) = delete;

    // The box initialisation (the silent-start window's timer runs it once).
    void Init_AC_Active();

    // ---- What the controller shows ------------------------------------------
    void AddLogLine(const std::string& text) override;
    void ShowStatus(const std::string& text) override;
    void ShowSocket(int n, bool on) override;
    void HideSockets() override;
    void ShowModel(int sockets, const std::vector<std::string>& tabs) override;
    void ShowPages(bool known) override;
    void ShowAllOff() override;
    void ShowDelay(int seconds) override;
    void RunDelayOption() override;

private:
    TAC_Einstellung* Settings() const { return parts_.settings ? parts_.settings() : nullptr; }

    TParts parts_;
};
