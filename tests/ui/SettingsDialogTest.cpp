// The settings dialog in a started program against a simulated box: what the
// activation sends and loads, the box options (delay, beeper, factory reset)
// with a box that answers and one that does not, the program options, the
// desktop position, the modal opening with Cancel and the 5-minute close.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <functional>
#include <memory>

#include "ModalRun.h"
#include "app/Tavrin.h"
#include "device/SerialPort.h"
#include "hub/mVedadAzaro.h"
#include "store/muDataHolder.h"
#include "support/ProgramFixture.h"
#include "toolkit/mCloseTimer.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"
#include "ui/AC_Prg_COM.h"
#include "ui/AC_Prg_Einstellung.h"
#include "ui/MainMenus.h"
#include "ui/ProgramActions.h"
#include "ui/WindowPlacement.h"

using Lines = std::vector<std::string>;

namespace {

// Counts how often an action is triggered.
struct TriggerCount {
    explicit TriggerCount(QAction* action) {
        QObject::connect(action, &QAction::triggered, action, [this] { ++n; });
    }
    int count() const { return n; }
    int n = 0;
};

}  // namespace

class SettingsDialogTest : public ::testing::Test {
protected:
    static constexpr int kComNo = 3;

    // A program started with a USB-NELTA8 on COM3; the dialog talks to the
    // box through the main window's box controller.
    TAC_Program& Start(TNeltaBoxConfig config = {}) {
        config.replyDelayMs = 0;
        f.AddBox(kComNo, std::move(config));
        TAC_Program& p = f.Start();
        f.Run(1000);  // the deferred start: the box initialisation
        dialog = AC_Einstellung;
        if (!p.ComPort1->Connected()) {
            p.ComPort1->SetPort("COM" + std::to_string(kComNo));
            p.ComPort1->SetConnected(true);
        }
        TakeCommands();
        dialog->Memo_COMPort()->clear();
        return p;
    }

    // The commands the box received since the last call, bare returns left out.
    Lines TakeCommands() {
        Lines out;
        const auto& all = f.Box(kComNo)->Commands();
        for (size_t i = seen; i < all.size(); ++i)
            if (!all[i].text.empty()) out.push_back(all[i].text);
        seen = all.size();
        return out;
    }

    Lines MemoLines() const {
        Lines out;
        for (const QString& line : dialog->Memo_COMPort()->toPlainText().split('\n', Qt::SkipEmptyParts))
            out.push_back(line.toStdString());
        return out;
    }

    TmuDataholder& H() { return f.Holder(); }

    // Opens the dialog through the main window's action and runs `inside`
    // while it is shown; returns the dialog's result.
    // `inside` runs once the dialog has become the active window.
    int OpenModal(const std::function<void()>& inside) {
        auto active = RunWhenActive(dialog, [&] {
            inside();
            if (dialog->isVisible()) dialog->BitBtn_Ok_Setup()->click();
        });
        f.Program().ProgramActions().Action_AC_Prg_Setup()->trigger();
        EXPECT_TRUE(*active);
        return dialog->result();
    }

    TProgramFixture f;
    TAC_Einstellung* dialog = nullptr;
    size_t seen = 0;
};

TEST_F(SettingsDialogTest, FirstActivationReadsTheSerialNumberAndSendsTheStoredBeeper) {
    Start();
    ASSERT_TRUE(H().getValueBoolean("AC01|AC|AC_BEEPER"));  // the default
    dialog->FormActivate();

    // Loading the stored true into the unticked beeper box counts as a change.
    EXPECT_EQ(TakeCommands(), (Lines{"at", "atsn", "at", "atbon"}));
    EXPECT_EQ(dialog->Label_Edit_NELTA_SN()->text(), "NELTA-000123");
    EXPECT_EQ(H().getValueString("AC01|AC|AC_SN"), "NELTA-000123");
    EXPECT_TRUE(dialog->CheckBox_Beeper()->isChecked());
    // The raw answers follow their "RECV: " as they came (echo, reply, line ends).
    const QString memo = dialog->Memo_COMPort()->toPlainText();
    EXPECT_TRUE(memo.startsWith(QStringLiteral("SEND: atsn\nRECV: atsn")));
    EXPECT_TRUE(memo.contains(QStringLiteral(">SN:NELTA-000123")));
    EXPECT_TRUE(memo.contains(QStringLiteral("\nSEND: Atbon\nRECV: atbon")));
    EXPECT_TRUE(dialog->StatusPanelText(1).isEmpty());
    EXPECT_EQ(dialog->BitBtn_Ok_Setup()->toolTip().toStdString(),
              "Einstellung \nkönnen jetzt gesichert werden");
    EXPECT_TRUE(dialog->mCloseTimer_5_Min()->Enabled());
    EXPECT_EQ(dialog->mCloseTimer_5_Min()->Interval(), 300000);

    // The port view: the port's name and its line settings (57600 8N1, no flow control).
    const TComParameterBoxes& view = dialog->PortView();
    EXPECT_EQ(view.port->currentText(), "COM3");
    EXPECT_EQ(view.baudRate->currentText(), "57600");
    EXPECT_EQ(view.dataBits->currentText(), "8");
    EXPECT_EQ(view.stopBits->currentText(), "1");
    EXPECT_EQ(view.parity->currentText(), "Keine");
    EXPECT_EQ(view.parity->itemText(1), "Ungarde");
    EXPECT_EQ(view.flowControl->currentText(), "Keine");
    EXPECT_FALSE(view.baudRate->isEnabled());

    // The next activation finds the options as they are: only the serial number.
    dialog->FormActivate();
    EXPECT_EQ(TakeCommands(), (Lines{"at", "atsn"}));
    EXPECT_EQ(view.port->count(), 2);
    EXPECT_EQ(view.port->currentIndex(), 0);
}

TEST_F(SettingsDialogTest, SwitchingDelayIsSentWhenTheCheckBoxChanges) {
    Start();
    H().setValueBoolean("AC01|AC|AC_DELAY", true);
    H().setValueInteger("AC01|AC|AC_DELAYTIME", 5);
    H().setValueBoolean("AC01|AC|AC_BEEPER", false);
    dialog->FormActivate();
    EXPECT_EQ(TakeCommands(), (Lines{"at", "atsn", "at", "att5"}));
    EXPECT_EQ(dialog->ComboBox_NELTA_TIME()->currentText(), "5");
    // The answer to "atsn" clears the status panel after the delay was sent.
    EXPECT_TRUE(dialog->StatusPanelText(1).isEmpty());

    // Another time alone sends nothing.
    dialog->ComboBox_NELTA_TIME()->setCurrentIndex(9);
    EXPECT_TRUE(TakeCommands().empty());

    dialog->Memo_COMPort()->clear();
    dialog->AC_OnOFF_Delay()->setChecked(false);
    EXPECT_EQ(TakeCommands(), (Lines{"at", "att0"}));
    EXPECT_FALSE(H().getValueBoolean("AC01|AC|AC_DELAY"));
    EXPECT_EQ(H().getValueInteger("AC01|AC|AC_DELAYTIME"), 0);
    EXPECT_EQ(dialog->ComboBox_NELTA_TIME()->currentText(), "0");
    EXPECT_EQ(dialog->StatusPanelText(1), "SET: ATT0");
    EXPECT_EQ(MemoLines().at(0), "SEND: ATT0");
}

TEST_F(SettingsDialogTest, BeeperAndFactoryResetTalkToTheBox) {
    Start();
    dialog->CheckBox_Beeper()->setChecked(true);
    EXPECT_EQ(TakeCommands(), (Lines{"at", "atbon"}));
    dialog->CheckBox_Beeper()->setChecked(false);
    EXPECT_EQ(TakeCommands(), (Lines{"at", "atboff"}));
    EXPECT_FALSE(H().getValueBoolean("AC01|AC|AC_BEEPER"));

    dialog->Memo_COMPort()->clear();
    dialog->Button_NELTA_RESET()->click();
    EXPECT_EQ(TakeCommands(), (Lines{"at", "atrs"}));
    EXPECT_EQ(dialog->StatusPanelText(1), "RESET");
    EXPECT_EQ(MemoLines().at(0), "SEND: atrs");

    dialog->Button_Loeschen()->click();
    EXPECT_TRUE(dialog->Memo_COMPort()->toPlainText().isEmpty());
}

TEST_F(SettingsDialogTest, WithoutAnAnsweringBoxTheBoxOptionsStoreAndSendNothing) {
    for (bool portOpen : {false, true}) {
        SCOPED_TRACE(portOpen ? "silent box" : "port closed");
        TNeltaBoxConfig config;
        if (portOpen) config.fault = TNeltaFault::Silent;
        Start(config);
        if (!portOpen) f.Program().ComPort1->SetConnected(false);
        H().setValueString("AC01|AC|AC_SN", "OLD-1");
        dialog->FormActivate();
        dialog->CheckBox_Beeper()->setChecked(false);
        dialog->AC_OnOFF_Delay()->setChecked(true);
        dialog->Button_NELTA_RESET()->click();

        for (const std::string& c : TakeCommands()) EXPECT_EQ(c, "at");
        // The check boxes keep what the user gave them; nothing is stored.
        EXPECT_FALSE(dialog->CheckBox_Beeper()->isChecked());
        EXPECT_TRUE(dialog->AC_OnOFF_Delay()->isChecked());
        EXPECT_TRUE(H().getValueBoolean("AC01|AC|AC_BEEPER"));
        EXPECT_FALSE(H().getValueBoolean("AC01|AC|AC_DELAY"));
        EXPECT_EQ(H().getValueString("AC01|AC|AC_SN"), "OLD-1");
        EXPECT_TRUE(dialog->StatusPanelText(1).isEmpty());
        f.Stop();
        seen = 0;
    }
}

TEST_F(SettingsDialogTest, ProgramOptionsRunTheMainWindowsActions) {
    TAC_Program& p = Start();
    TriggerCount autoStart(p.ProgramActions().Action_SetAutoStart());
    TriggerCount silent(p.ProgramActions().Action_SetSilent());

    // Loading a stored true counts as a change; loading it again does not.
    H().setValueBoolean("INI|TAVRIN|AUTOSTART", true);
    dialog->PrepareOpening();
    EXPECT_TRUE(dialog->CheckBox_Autostart()->isChecked());
    EXPECT_EQ(autoStart.count(), 1);
    dialog->PrepareOpening();
    EXPECT_EQ(autoStart.count(), 1);
    dialog->CheckBox_Autostat_Silent()->click();
    EXPECT_EQ(silent.count(), 1);
    // The check boxes show the actions' captions.
    p.ProgramActions().Action_SetSilent()->setText(QStringLiteral("Silent-Modus vom Tavrin deaktivieren."));
    EXPECT_EQ(dialog->CheckBox_Autostat_Silent()->text(), "Silent-Modus vom Tavrin deaktivieren.");

    // Auto-hide switches the main window's 15-minute close timer and stores PrgHide.
    dialog->CheckBox_Autoclose_15min()->setChecked(true);
    EXPECT_TRUE(p.mCloseTimer_15min->Enabled());
    EXPECT_TRUE(H().getValueBoolean("INI|TAVRIN|PrgHide"));
    dialog->CheckBox_Autoclose_15min()->setChecked(false);
    EXPECT_FALSE(p.mCloseTimer_15min->Enabled());
    EXPECT_FALSE(H().getValueBoolean("INI|TAVRIN|PrgHide"));
}

TEST_F(SettingsDialogTest, DesktopPositionMovesTheMainWindowAndIsShownOnReopening) {
    TAC_Program& p = Start();
    // The main window's placement part on the desktop actions.
    TWindowPlacement placement(
        TWindowPlacement::TLinks{.window = &p,
                                 .form = &p.Form(),
                                 .hub = p.mVedadAzaro1,
                                 .closeTimerOwner = &p,
                                 .actions = &p.ProgramActions(),
                                 .lockItem = p.MainMenus().ActionLook_Or_Unlook(),
                                 .clock = nullptr,
                                 .programLogging = [] { return static_cast<TmuLogging*>(nullptr); },
                                 .noExit = [] { return true; },
                                 .closeMainWindow = [] {},
                                 .hideMainWindow = [] {}});
    TriggerCount bottomRight(p.ProgramActions().Action_Desktop(8));
    dialog->PrepareOpening();
    EXPECT_EQ(dialog->DesktopItemIndex(), 0);  // the stored "TopLeft"
    EXPECT_EQ(dialog->DesktopItem(8)->text(), "Unten-Rechts");
    EXPECT_EQ(bottomRight.count(), 0);

    dialog->DesktopItem(8)->click();
    EXPECT_EQ(bottomRight.count(), 1);
    EXPECT_EQ(H().getValueString("INI|TAVRIN|FormPos"), "ButtomRight");
    const TDesktopRect desk = f.platform.desktop;
    EXPECT_EQ(p.frameGeometry().left(), desk.right - p.frameGeometry().width() - 10);
    EXPECT_EQ(p.frameGeometry().top(), desk.bottom - p.frameGeometry().height() - 35);

    // Reopening shows it again, without moving the window once more.
    dialog->DesktopItem(1)->setChecked(true);
    EXPECT_EQ(H().getValueString("INI|TAVRIN|FormPos"), "MiddleLeft");
    H().setValueString("INI|TAVRIN|FormPos", "ButtomRight");
    dialog->PrepareOpening();
    EXPECT_EQ(dialog->DesktopItemIndex(), 8);
    EXPECT_EQ(bottomRight.count(), 1);
    // A stored name that is no position shows none.
    H().setValueString("INI|TAVRIN|FormPos", "Nirgendwo");
    dialog->PrepareOpening();
    EXPECT_EQ(dialog->DesktopItemIndex(), -1);
}

TEST_F(SettingsDialogTest, CancelAfterChangingTheBeeperDoesNotUndoIt) {
    Start();
    int shownPage = -1;
    const int result = OpenModal([&] {
        shownPage = dialog->PageControl_Einstellungen()->currentIndex();
        // The action again (from the tray) while it is open: no second loop.
        dialog->PageControl_Einstellungen()->setCurrentIndex(TAC_Einstellung::PageACModul);
        f.Program().ProgramActions().Action_AC_Prg_Setup()->trigger();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->PageControl_Einstellungen()->currentIndex(), TAC_Einstellung::PageACModul);
        TakeCommands();
        dialog->CheckBox_Beeper()->setChecked(!dialog->CheckBox_Beeper()->isChecked());
        dialog->BitBtn_Cancel_Setup()->click();
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(shownPage, 0);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->mCloseTimer_5_Min()->Enabled());
    EXPECT_EQ(TakeCommands(), (Lines{"at", "atboff"}));
    EXPECT_FALSE(H().getValueBoolean("AC01|AC|AC_BEEPER"));
}

TEST_F(SettingsDialogTest, OpeningActivatesPlacesBesideTheMainWindowAndClosesAfterFiveMinutes) {
    TAC_Program& p = Start();
    bool activated = false;
    bool stillOpen = false;
    const TRect expected = p.mVedadAzaro1->OperationSystem()->getDialogPosition(&p.Form(), &dialog->Form());
    int x = 0;
    int y = 0;
    const int result = OpenModal([&] {
        activated = !TakeCommands().empty();
        x = dialog->x();
        y = dialog->y();
        // The countdown began before the activation's box exchange, which
        // takes well under five seconds of the clock.
        f.platform.Advance(295'000);
        stillOpen = dialog->isVisible();
        f.platform.Advance(5'000);
    });
    EXPECT_TRUE(activated);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(result, 2);  // Cancel pressed by the timer
    EXPECT_EQ(x, expected.x);
    EXPECT_EQ(y, expected.y);
}

TEST_F(SettingsDialogTest, SerialInterfaceButtonShowsThePortBesideTheDialog) {
    Start();
    ASSERT_NE(AC_COM, nullptr);
    int comboCount = 0;
    QString baud;
    RunWhenActive(AC_COM, [&] {
        comboCount = AC_COM->ComboBox_COM()->count();
        baud = AC_COM->ComboBox_Baudrate()->currentText();
        AC_COM->ComboBox_Baudrate()->setCurrentIndex(1);  // applies nothing
        AC_COM->OKBtn()->click();
    });
    dialog->Button_SetCOMPort()->click();
    EXPECT_EQ(comboCount, 1);
    EXPECT_EQ(baud, "57600");
    EXPECT_EQ(AC_COM->result(), 1);
    EXPECT_EQ(f.Program().ComPort1->BaudRate(), TBaudRate::br57600);
}
