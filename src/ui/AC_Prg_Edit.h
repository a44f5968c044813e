#pragma once
// The socket edit dialog `TAC_Edit` ("Edit", client area 347 x 184, help
// context 170, system-menu button only): the banner with the title label
// `AC_Edit_Label`, and on a light-blue panel the socket's name `Edit1`, the
// group " Events beim Beenden von Windows" with the check box
// `CheckBox_WDown` "Beim Beenden von Windows" and the combo box
// `ComboBox_AC_WindowsOFF` ("Einstellung so lassen" / "Ausschalten"), and the
// default button `OKButton_Info` "&OK" (dialog result 1). There is no cancel
// button: the main window stores the dialog's values however it is closed.
//
// A dialog of its own, created once at start and kept for the whole run; the
// main window fills it, shows it and stores the result (TSocketEditor).
#include <QDialog>

#include "toolkit/Component.h"
#include "toolkit/qt/QtForm.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TmuDataholder;

class TAC_Edit : public QDialog, public TComponent {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 347;
    static constexpr int ClientHeight = 184;
    static constexpr int HelpContext = 170;
    // Entries of ComboBox_AC_WindowsOFF.
    static constexpr int EntryKeep = 0;       // "Einstellung so lassen"
    static constexpr int EntrySwitchOff = 1;  // "Ausschalten"

    explicit TAC_Edit(QWidget* parent = nullptr);
    ~TAC_Edit() override;

    // The controls of the dialog as the binding services see them.
    QtForm& Form() { return form_; }

    QLabel* AC_Edit_Label() const { return title_; }
    QLineEdit* Edit1() const { return edit1_; }
    QGroupBox* GroupBox_WDown() const { return group_; }
    QCheckBox* CheckBox_WDown() const { return checkWDown_; }
    QComboBox* ComboBox_AC_WindowsOFF() const { return comboWindowsOFF_; }
    QPushButton* OKButton_Info() const { return okButton_; }

    // Gives the name field the help context of the topic table's entry for
    // editing a socket (nothing when the holder has no such entry).
    void BindHelp(TmuDataholder& holder);

private:
    QtForm form_;
    QLabel* title_ = nullptr;
    QLineEdit* edit1_ = nullptr;
    QGroupBox* group_ = nullptr;
    QCheckBox* checkWDown_ = nullptr;
    QComboBox* comboWindowsOFF_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

// The one instance, from its creation to its destruction.
extern TAC_Edit* AC_Edit;
