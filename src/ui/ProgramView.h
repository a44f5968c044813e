#pragma once
// The widget content of the main window `TAC_Program`, from top to bottom:
// the banner, the emergency-off bar, the socket area with its four slots and
// the page tabs at the bottom, the status line and the status bar. Every
// named control is registered with the window's QtForm in creation order, so
// that the binding services find it by its exact name.
//
// The view holds no state of its own: captions, glyphs and actions of the
// slots are bound by the window's parts (socket pages, switching, start-up).
#include <QString>
#include <array>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMainWindow;
class QStatusBar;
class QTabBar;
class QToolButton;
class QWidget;
class QtForm;
class TProgramActions;
class TPageHintDelay;

class TProgramView {
public:
    static constexpr int SlotCount = 4;
    // Client area of the main window.
    static constexpr int ClientWidth = 325;
    static constexpr int ClientHeight = 533;

    // Builds the content into `window` (its central widget, its status bar,
    // its font and icon) and registers the controls with `form`.
    TProgramView(QMainWindow* window, QtForm& form);

    // The bindings the window defines from the start: SpeedButton1 runs
    // Action_DangerOFF (and shows its caption, image and hint).
    void BindActions(QtForm& form, const TProgramActions& actions);

    TProgramView(const TProgramView&) = delete;
    TProgramView& operator=(const TProgramView&) = delete;

    // Banner
    QLabel* Image_BK_Banner() const { return banner_; }
    QLabel* Image_Job_Icon() const { return jobIcon_; }
    QLabel* Label_AC_Prg_Name() const { return programName_; }

    // Emergency-off bar
    QFrame* Panel1() const { return panel1_; }
    QToolButton* SpeedButton1() const { return emergencyButton_; }

    // Socket area. The slot accessors take k = 1 to 4 and give null outside.
    QTabBar* TabControl_AC_Dosen() const { return tabs_; }
    QFrame* SlotPanel(int k) const;             // Panel_AC1X, Panel_AC2X, Panel_ACX3, Panel_ACX4
    QToolButton* SpeedButton_ACX(int k) const;  // page button
    QGroupBox* GroupBox_ACX(int k) const;
    QLabel* ACNameX(int k) const;                 // socket name label
    QToolButton* SpeedButton_EditX(int k) const;  // edit button

    // Status line and status bar
    QFrame* Panel_AC_Steckdosen() const { return statusLine_; }
    QLabel* Label_AC() const { return labelAC_; }
    QComboBox* ComboBox_AC_Steckdosen() const { return statusCombo_; }
    QStatusBar* StatusBar_DateActive() const { return statusBar_; }
    // Panel 0 ("Datum:") and panel 1 ("Aktiv ca.:"); null outside.
    QLabel* StatusPanel(int index) const;

    // Names of the slot controls (k = 1 to 4).
    static QString SlotPanelName(int k);
    static QString SlotCaption(int n);  // " Steckdose <n> "

private:
    struct Slot {
        QFrame* panel = nullptr;
        QToolButton* button = nullptr;
        QGroupBox* group = nullptr;
        QLabel* name = nullptr;
        QToolButton* edit = nullptr;
    };

    void BuildBanner(QWidget* parent, QtForm& form);
    QWidget* BuildEmergencyBar(QtForm& form);
    QWidget* BuildSocketArea(QtForm& form);
    void BuildSlot(QWidget* parent, QtForm& form, int k);
    QWidget* BuildStatusLine(QtForm& form);
    void BuildStatusBar(QMainWindow* window, QtForm& form);

    QMainWindow* window_ = nullptr;
    TPageHintDelay* hintDelay_ = nullptr;  // owned by the window
    QLabel* banner_ = nullptr;
    QLabel* jobIcon_ = nullptr;
    QLabel* programName_ = nullptr;
    QFrame* panel1_ = nullptr;
    QToolButton* emergencyButton_ = nullptr;
    QTabBar* tabs_ = nullptr;
    std::array<Slot, SlotCount> slots_{};
    QFrame* statusLine_ = nullptr;
    QLabel* labelAC_ = nullptr;
    QComboBox* statusCombo_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    std::array<QLabel*, 2> statusPanels_{};
};
