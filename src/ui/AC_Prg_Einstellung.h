#pragma once
// The settings dialog `TAC_Einstellung`: options of the program and of the
// box, and the memo `Memo_COMPort` that shows the serial exchange (lines
// "SEND: ", "RECV: ", "PROG: "). The memo exists from the dialog's creation
// on, so the port search at start already has somewhere to write.
//
// Six pages under the banner "Einstellungen...":
//   " Allgemein"                auto-hide after 15 minutes, autostart, silent start
//   " Desktop "                 the nine desktop positions of the main window
//   " Serielle-Schnittstelle "  read-only view of the open port, the button to
//                               the serial interface dialog
//   "AC-Modul"                  factory reset, switching delay, password (shown,
//                               no function), beeper, serial number, status bar
//   "Firmware"                  shown, disabled
//   "COM-Port Logging"          the memo and "Löschen"
//
// Every option takes effect when its control changes, also when the dialog
// loads a stored value into it; OK and Cancel only close. The dialog is
// opened by the main window's action `Action_AC_Prg_Setup` beside the main
// window and closes itself 5 minutes after its activation.
//
// The box's switching delay: the check box `AC_OnOFF_Delay` ("Aktiv") with
// the seconds in `ComboBox_NELTA_TIME` ("0" to "16"). Every change of the
// check box, by the user or by the program loading a stored value, runs the
// delay action `Action_NELTA_PULSTIME`: it stores AC01|AC|AC_DELAY and
// AC_DELAYTIME and sends "att" with the seconds. Choosing other seconds alone
// sends nothing.
#include <QDialog>
#include <array>
#include <string>

#include "toolkit/Component.h"
#include "toolkit/qt/QtForm.h"
#include "ui/AC_Prg_COM.h"
#include "ui/ProgramLinks.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class TBoxController;
class TmCloseTimer;
class TmuDataholder;
class TmVedadAzaro;

class TAC_Einstellung : public QDialog, public TComponent {
    Q_OBJECT
public:
    // What the dialog reaches of the main window. Without a box controller
    // the box options do nothing; with one, each is an exchange of the
    // controller's queue (never cutting into another one).
    using TBoxLinks = TProgramLinks;

    static constexpr int FormHelpContext = 80;
    static constexpr int SerialPageHelpContext = 110;
    static constexpr int RadioGroupHelpContext = 90;
    static constexpr int DesktopPositionCount = 9;
    // The COM-port log keeps its latest lines only, so that a program that
    // runs for months does not grow with every command it sends.
    static constexpr int MemoLineLimit = 1000;
    // The button hints set at every activation.
    static constexpr const char* kOkHint = "Einstellung \nkönnen jetzt gesichert werden";
    static constexpr const char* kCancelHint = "Abbruch \nder Einstellung und keine Sicherung";

    // Binds the main window's setup action to its opening and its controls
    // to the help table when `links` names them.
    explicit TAC_Einstellung(TBoxLinks links, QWidget* parent = nullptr);
    // Without box links (the box options do nothing until SetBoxLinks).
    TAC_Einstellung();
    ~TAC_Einstellung() override;

    QtForm& Form() { return form_; }
    QPlainTextEdit* Memo_COMPort() const { return memoCOMPort_; }

    void SetBoxLinks(const TBoxLinks& links) { links_ = links; }
    const TBoxLinks& BoxLinks() const { return links_; }

    // ---- Pages ----------------------------------------------------------------
    QTabWidget* PageControl_Einstellungen() const { return pages_; }
    enum Page { PageAllgemein, PageDesktop, PageSchnittstelle, PageACModul, PageFirmware, PageCOMPort };
    QWidget* PageWidget(Page page) const;

    // " Allgemein"
    QCheckBox* CheckBox_Autoclose_15min() const { return autoClose_; }
    QCheckBox* CheckBox_Autostart() const { return autoStart_; }
    QCheckBox* CheckBox_Autostat_Silent() const { return silent_; }
    // " Desktop ": the radio items in index order (0 "Oben-Links", 1
    // "Mitte-Links", ... 8 "Unten-Rechts") and their stored preset names.
    QGroupBox* RadioGroup_Desktop() const { return desktopGroup_; }
    QRadioButton* DesktopItem(int index) const;
    int DesktopItemIndex() const;  // -1 while none is selected
    static const char* DesktopItemCaption(int index);
    static const char* DesktopStoredName(int index);
    // " Serielle-Schnittstelle "
    QPushButton* Button_SetCOMPort() const { return setComPort_; }
    const TComParameterBoxes& PortView() const { return portView_; }
    // "AC-Modul"
    QPushButton* Button_NELTA_RESET() const { return reset_; }
    QCheckBox* CheckBox_Beeper() const { return beeper_; }
    QCheckBox* AC_PWD_Active() const { return pwdActive_; }
    QLineEdit* AC_Edit_PWD() const { return pwdEdit_; }
    QLabel* Label_Edit_NELTA_SN() const { return serialNumber_; }
    // "COM-Port Logging"
    QPushButton* Button_Loeschen() const { return clearMemo_; }
    // The bar under the pages.
    QPushButton* BitBtn_Ok_Setup() const { return ok_; }
    QPushButton* BitBtn_Cancel_Setup() const { return cancel_; }
    TmCloseTimer* mCloseTimer_5_Min() const { return closeTimer_; }

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

    // ---- Opening and activation -------------------------------------------------
    // The main window's Action_AC_Prg_Setup: PrepareOpening, then the modal
    // loop; the result is not used.
    void Action_AC_Prg_SetupExecute();
    // Trace, on-top hand-over of a locked main window, placement beside it,
    // CheckBox_Autostart from AUTOSTART, the radio group showing the stored
    // position, the first page selected.
    void PrepareOpening();
    // Every time the dialog becomes the active window: hints, port view,
    // close timer, the stored options, the serial number, the beeper.
    void FormActivate();

    // ---- Option handlers ----------------------------------------------------------
    QAction* Action_PWD_AutoClose() const { return autoCloseAction_; }
    QAction* Action_NELTA_Beeper() const { return beeperAction_; }
    QAction* Action_NELTA_Default_Reset() const { return resetAction_; }
    QAction* Action_Close_Timer_Setup() const { return closeTimerAction_; }
    // Auto-hide: the main window's 15-minute close timer on or off, PrgHide.
    void Action_PWD_AutoCloseExecute();
    // The main window's desktop action of the radio item, then the dialog
    // beside the main window again.
    void RadioGroup_DesktopClick(int index);
    // "atbon" / "atboff" and AC01|AC|AC_BEEPER.
    void Action_NELTA_BeeperExecute();
    // "atrs", no confirmation.
    void Action_NELTA_Default_ResetExecute();
    // The serial interface dialog beside this one, modally.
    void Button_SetCOMPortClick();
    void Button_LoeschenClick();
    // OK and Cancel: the close timer stops, the dialog closes with 1 or 2.
    void Action_Close_Timer_SetupExecute(int result);

    // A stored value into a check box; a change runs its handler.
    static void LoadCheckBox(QCheckBox* box, bool value);

protected:
    bool event(QEvent* e) override;

private:
    QWidget* BuildAllgemein();
    QWidget* BuildDesktop();
    QWidget* BuildSchnittstelle();
    QWidget* BuildACModul();
    QWidget* BuildFirmware();
    QWidget* BuildCOMPort();
    QWidget* BuildButtonBar();
    // A page with its panel filling it; the page is registered as `pageName`,
    // the panel as `panelName`.
    QWidget* AddPage(const char* pageName, const QString& caption, const char* panelName, QWidget** panel);
    QGroupBox* AddGroup(QWidget* parent, const char* name, const QString& caption);
    QLabel* AddNote(QWidget* parent, const char* name, const QString& text);
    void ConnectProgramActions();
    // The radio group shows the stored position without running its handler.
    void ShowStoredDesktopPosition();
    void ShowPortView();
    void ReadSerialNumber();

    TmVedadAzaro* Hub() const;
    TmuDataholder* Holder() const;

    QtForm form_;
    TBoxLinks links_;
    QTabWidget* pages_ = nullptr;
    std::array<QWidget*, 6> pageWidgets_{};
    QCheckBox* autoClose_ = nullptr;
    QCheckBox* autoStart_ = nullptr;
    QCheckBox* silent_ = nullptr;
    QGroupBox* desktopGroup_ = nullptr;
    QButtonGroup* desktopButtons_ = nullptr;
    std::array<QRadioButton*, DesktopPositionCount> desktopItems_{};
    QPushButton* setComPort_ = nullptr;
    TComParameterBoxes portView_;
    QPushButton* reset_ = nullptr;
    QCheckBox* beeper_ = nullptr;
    QCheckBox* pwdActive_ = nullptr;
    QLineEdit* pwdEdit_ = nullptr;
    QLabel* serialNumber_ = nullptr;
    QPlainTextEdit* memoCOMPort_ = nullptr;
    QPushButton* clearMemo_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QCheckBox* delayActive_ = nullptr;
    QComboBox* delayTime_ = nullptr;
    QAction* delayAction_ = nullptr;
    QAction* autoCloseAction_ = nullptr;
    QAction* beeperAction_ = nullptr;
    QAction* resetAction_ = nullptr;
    QAction* closeTimerAction_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* statusPanels_[2] = {nullptr, nullptr};
    TmCloseTimer* closeTimer_ = nullptr;
    // An activation is running (its box exchange serves the message queue).
    bool activating_ = false;
};

extern TAC_Einstellung* AC_Einstellung;
