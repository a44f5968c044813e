#pragma once
// The settings dialog: options of the box and of the program, and the memo
// `Memo_COMPort` that shows the serial exchange (lines "SEND: ", "RECV: ",
// "PROG: "). The memo exists from the dialog's creation on, so the port
// search at start already has somewhere to write.
//
// The box's switching delay: the check box `AC_OnOFF_Delay` ("Aktiv") with
// the seconds in `ComboBox_NELTA_TIME` ("0" to "16"). Every change of the
// check box, by the user or by the program loading a stored value, runs the
// delay action `Action_NELTA_PULSTIME`: it stores AC01|AC|AC_DELAY and
// AC_DELAYTIME and sends "att" with the seconds. Choosing other seconds alone
// sends nothing.
#include <QDialog>
#include <string>

#include "toolkit/Component.h"
#include "toolkit/qt/QtForm.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QStatusBar;
class TCommandExchange;
class TmVedadAzaro;
class TSocketSwitching;

class TAC_Einstellung : public QDialog, public TComponent {
    Q_OBJECT
public:
    // What the box options reach of the main window. Without a hub or an
    // exchange the box options do nothing; the switching, when given, holds
    // back switching actions of the user while an option talks to the box.
    struct TBoxLinks {
        TmVedadAzaro* hub = nullptr;
        TCommandExchange* exchange = nullptr;
        TSocketSwitching* switching = nullptr;
    };

    // Takes its box links from the main window when one exists.
    explicit TAC_Einstellung(QWidget* parent = nullptr);
    ~TAC_Einstellung() override;

    QtForm& Form() { return form_; }
    QPlainTextEdit* Memo_COMPort() const { return memoCOMPort_; }

    void SetBoxLinks(const TBoxLinks& links) { links_ = links; }
    const TBoxLinks& BoxLinks() const { return links_; }

    // ---- Switching delay ----------------------------------------------------
    QCheckBox* AC_OnOFF_Delay() const { return delayActive_; }
    QComboBox* ComboBox_NELTA_TIME() const { return delayTime_; }
    QAction* Action_NELTA_PULSTIME() const { return delayAction_; }
    // Selects the entry of `seconds` (0 to 16); other values select none.
    void SelectDelay(int seconds);
    // Ticks or unticks AC_OnOFF_Delay; a change runs the delay action.
    void SetDelayActive(bool active);
    // The delay action: with the box answering "at", stores the delay
    // option and sends "att" followed by the selected seconds.
    void Action_NELTA_PULSTIMEExecute();

    // The status bar `StatusBar1`: panel 0 "Status:", panel 1 the last box
    // option sent.
    QStatusBar* StatusBar1() const { return statusBar_; }
    QString StatusPanelText(int index) const;
    void SetStatusPanelText(int index, const QString& text);

private:
    // The box options run only when the port is open and the box answers
    // "at" with "OK" (after the pending messages were processed once).
    bool BoxAnswers();

    QtForm form_;
    TBoxLinks links_;
    QPlainTextEdit* memoCOMPort_ = nullptr;
    QCheckBox* delayActive_ = nullptr;
    QComboBox* delayTime_ = nullptr;
    QAction* delayAction_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* statusPanels_[2] = {nullptr, nullptr};
};

extern TAC_Einstellung* AC_Einstellung;
