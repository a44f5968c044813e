#pragma once
// The about box `TAC_AboutBox`: program name, file version, maker, a date
// line, a short description and the operating system's version. It is
// opened by the main window's action `Action_AC_Prg_Info` ("&Info", main
// menu "Hilfe" and tray menu) beside the main window and closes itself five
// minutes after it was activated (`mCloseTimer_5_Min` presses "&OK").
// A dialog of its own, created once at start and kept for the whole run.
#include <QDate>
#include <QDialog>
#include <QString>

#include "toolkit/Component.h"
#include "toolkit/qt/QtForm.h"
#include "ui/ProgramLinks.h"

class QLabel;
class QPushButton;
class TmCloseTimer;

class TAC_AboutBox : public QDialog, public TComponent {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 334;
    static constexpr int ClientHeight = 348;
    // Help context of the form, and the one the opening sets.
    static constexpr int FormHelpContext = 190;
    static constexpr int OpenedHelpContext = 910;
    static constexpr const char* kMaker = "Tavrin-Projekt";
    static constexpr const char* kComments =
        "Der Tavrin schaltet bis zu 24 x Steckdosen Abhänging von der Steckdosenvariante, die von Ihnen "
        "verwendet wird.";

    // Binds the main window's info action to the opening when the main
    // window exists.
    // Binds the main window's info action (when `main` has one) to its opening.
    explicit TAC_AboutBox(TProgramLinks main = {}, QWidget* parent = nullptr);
    ~TAC_AboutBox() override;

    // The controls of the dialog as the binding services see them.
    QtForm& Form() { return form_; }

    QLabel* ProductName() const { return productName_; }
    QLabel* Version() const { return version_; }
    QLabel* Maker() const { return maker_; }
    QLabel* VersionYear() const { return versionYear_; }
    QLabel* Comments() const { return comments_; }
    QLabel* WindowsVersion() const { return windowsVersion_; }
    QPushButton* OKButton_Info() const { return okButton_; }
    TmCloseTimer* mCloseTimer_5_Min() const { return closeTimer_; }

    // "(17.11.2018 - <date in the user's short date format>)"; the year is
    // always written with four digits.
    static QString DateLine(const QDate& today);

    // The opening: trace, the on-top hand-over of a locked main window,
    // placement beside it, help context 910, the texts; then the modal loop.
    void Action_AC_Prg_InfoExecute();
    // The opening without the modal loop.
    void Prepare();

    // Activation starts the close timer; "&OK" stops it and closes the box.
    void FormActivate();
    void OKButton_InfoClick();

protected:
    bool event(QEvent* e) override;

private:
    TProgramLinks main_;
    QtForm form_;
    QLabel* productName_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* maker_ = nullptr;
    QLabel* versionYear_ = nullptr;
    QLabel* comments_ = nullptr;
    QLabel* windowsVersion_ = nullptr;
    QPushButton* okButton_ = nullptr;
    TmCloseTimer* closeTimer_ = nullptr;
};

// The one instance, from its creation to its destruction.
extern TAC_AboutBox* AC_AboutBox;
