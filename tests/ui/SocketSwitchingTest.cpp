// Switching one socket: stored state, toggle action (and so both menu
// entries), page-button glyph, commands to the box and the COM-port log;
// the restore and the mark-off; switching actions that arrive during a box
// exchange.
#include <QCoreApplication>
#include <QTimer>

#include "SocketFixture.h"

using Lines = std::vector<std::string>;

namespace {

QString EntryText(TSocketActions& sockets, const char* prefix, int n) {
    return sockets.MenuEntry(QString::fromLatin1(prefix), n)->text();
}

}  // namespace

class SocketSwitchingTest : public SocketFixture {};

TEST_F(SocketSwitchingTest, ToggleOfASocketOnAnotherPageKeepsTheSlotGlyph) {
    MakeTabs(8);
    pages->Init_AC_DosenChange();
    const qint64 glyphOfSlot3 = Button(3)->icon().cacheKey();

    ChooseMenuEntry(7);

    EXPECT_TRUE(Power(7));
    QAction* toggle = sockets->Toggle(7);
    EXPECT_EQ(toggle->text(), QStringLiteral("Steckdose 7 - ON"));
    EXPECT_EQ(TImageList::IndexOf(toggle->icon()), TImageList::SocketOn);
    EXPECT_EQ(EntryText(*sockets, "ItemSteckdose", 7), QStringLiteral("Steckdose 7 - ON"));
    EXPECT_EQ(EntryText(*sockets, "Tray_Steckdose", 7), QStringLiteral("Steckdose 7 - ON"));
    EXPECT_EQ(Button(3)->icon().cacheKey(), glyphOfSlot3);
    // "OK WAIT": the box is busy, carriage returns until "SET PORT".
    EXPECT_EQ(TakeCommands(), (Lines{"atn7", "", ""}));
    EXPECT_TRUE(Box().Socket(7));
    EXPECT_EQ(MemoLines(), (Lines{"SEND: atn7", "RECV: OK WAIT", "RECV: WAIT", "RECV: SET PORT 7 ON"}));
    EXPECT_EQ(autoHideRestarts, 1);

    // Switching off logs the reply and does not wait for the box.
    ClearMemo();
    ChooseMenuEntry(7);
    EXPECT_FALSE(Power(7));
    EXPECT_EQ(toggle->text(), QStringLiteral("Steckdose 7 - OFF"));
    EXPECT_EQ(TImageList::IndexOf(toggle->icon()), TImageList::SocketOff);
    EXPECT_EQ(EntryText(*sockets, "Tray_Steckdose", 7), QStringLiteral("Steckdose 7 - OFF"));
    EXPECT_EQ(TakeCommands(), (Lines{"ato7"}));
    EXPECT_FALSE(Box().Socket(7));
    EXPECT_EQ(MemoLines(), (Lines{"SEND: ato7", "RECV: OK WAIT"}));
    EXPECT_EQ(Button(3)->icon().cacheKey(), glyphOfSlot3);
}

TEST_F(SocketSwitchingTest, CommandsCarryThePlainNumberAndValuesTheTwoDigitOne) {
    ReplaceBox(BoxConfig("USB-NELTA24", 0));
    MakeTabs(24);
    struct Case {
        int n;
        const char* value;
        const char* command;
    };
    for (const Case c : {Case{3, "AC01|AC|ACPower03", "atn3"}, Case{10, "AC01|AC|ACPower10", "atn10"},
                         Case{24, "AC01|AC|ACPower24", "atn24"}}) {
        SCOPED_TRACE(c.n);
        ChooseMenuEntry(c.n);
        EXPECT_TRUE(hub->Dataholder()->getValueBoolean(c.value));
        // Without a busy answer the reply ends the exchange at once.
        EXPECT_EQ(TakeCommands(), (Lines{c.command}));
    }
    // The default context of the data holder is empty again.
    EXPECT_EQ(hub->Dataholder()->UseIndex, "");
    EXPECT_EQ(hub->Dataholder()->UseSection, "");
}

TEST_F(SocketSwitchingTest, LongerBusyHandshakeIsWaitedForUntilSetPort) {
    ReplaceBox(BoxConfig("USB-NELTA8", 4));
    ChooseMenuEntry(5);
    EXPECT_EQ(TakeCommands(), (Lines{"atn5", "", "", "", ""}));
    EXPECT_EQ(MemoLines().back(), "RECV: SET PORT 5 ON");
}

TEST_F(SocketSwitchingTest, ClosedPortChangesStateAndViewsOnly) {
    MakeTabs(8);
    pages->Init_AC_DosenChange();
    port.SetConnected(false);

    ChooseMenuEntry(2);

    EXPECT_TRUE(Power(2));
    EXPECT_EQ(sockets->Toggle(2)->text(), QStringLiteral("Steckdose 2 - ON"));
    EXPECT_TRUE(ShowsGreen(2));
    EXPECT_TRUE(port.Written().empty());
    EXPECT_TRUE(MemoLines().empty());
}

TEST_F(SocketSwitchingTest, PageButtonAndMenuEntryToggleTheSameSocket) {
    MakeTabs(8);
    pages->Init_AC_DosenChange();

    ClickPageButton(2);
    EXPECT_TRUE(Power(2));
    EXPECT_TRUE(ShowsGreen(2));
    EXPECT_EQ(EntryText(*sockets, "ItemSteckdose", 2), QStringLiteral("Steckdose 2 - ON"));
    EXPECT_EQ(TakeCommands(), (Lines{"atn2", "", ""}));

    ChooseMenuEntry(2);
    EXPECT_FALSE(Power(2));
    EXPECT_TRUE(ShowsGray(2));
    EXPECT_EQ(TakeCommands(), (Lines{"ato2"}));

    // Twice the page button: back where it was.
    ClickPageButton(2);
    ClickPageButton(2);
    EXPECT_FALSE(Power(2));
    EXPECT_TRUE(ShowsGray(2));
    EXPECT_EQ(sockets->Toggle(2)->text(), QStringLiteral("Steckdose 2 - OFF"));
    EXPECT_EQ(TakeCommands(), (Lines{"atn2", "", "", "ato2"}));
    EXPECT_EQ(autoHideRestarts, 4);
}

TEST_F(SocketSwitchingTest, RestoreSendsDelayZeroBeforeSwitchingOn) {
    MakeTabs(8);
    SetPower(1, true);
    SetPower(2, false);
    for (int n = 1; n <= 2; ++n) switching->MultiAction_Steckdose_Init(n);

    EXPECT_EQ(TakeCommands(), (Lines{"att0", "atn1", "", "", "ato2", "", ""}));
    EXPECT_EQ(MemoLines(), (Lines{"SEND: att0", "RECV: OK", "SEND: atn1", "RECV: OK WAIT", "RECV: WAIT",
                                  "RECV: SET PORT 1 ON", "SEND: ato2", "RECV: OK WAIT", "RECV: WAIT",
                                  "RECV: SET PORT 2 OFF"}));
    EXPECT_TRUE(Power(1));
    EXPECT_FALSE(Power(2));
    EXPECT_EQ(sockets->Toggle(1)->text(), QStringLiteral("Steckdose 1 - ON"));
    EXPECT_EQ(sockets->Toggle(2)->text(), QStringLiteral("Steckdose 2 - OFF"));
    EXPECT_TRUE(ShowsGreen(1));
    EXPECT_TRUE(ShowsGray(2));
    // A restore is no user activity.
    EXPECT_EQ(autoHideRestarts, 0);
}

TEST_F(SocketSwitchingTest, RestoreWithoutAnswerLogsTimeout) {
    ReplaceBox(BoxConfig("USB-NELTA8", 2, TNeltaFault::Silent));
    SetPower(6, true);
    switching->MultiAction_Steckdose_Init(6);
    EXPECT_EQ(MemoLines(), (Lines{"SEND: att0", "SEND: atn6", "RECV: Timeout"}));
    EXPECT_TRUE(Power(6));

    // The toggle writes no timeout line.
    ClearMemo();
    ChooseMenuEntry(6);
    EXPECT_EQ(MemoLines(), (Lines{"SEND: ato6"}));
    EXPECT_FALSE(Power(6));
}

TEST_F(SocketSwitchingTest, MarkOffStoresOffAndSendsNothing) {
    MakeTabs(8);
    pages->Init_AC_DosenChange();
    ChooseMenuEntry(4);
    TakeCommands();
    ClearMemo();
    const size_t written = port.Written().size();

    switching->MultiAction_Steckdose_OFF(4);

    EXPECT_FALSE(Power(4));
    EXPECT_EQ(sockets->Toggle(4)->text(), QStringLiteral("Steckdose 4 - OFF"));
    EXPECT_TRUE(ShowsGray(4));
    EXPECT_EQ(port.Written().size(), written);
    EXPECT_TRUE(MemoLines().empty());
}

TEST_F(SocketSwitchingTest, NoPageShownChangesNoGlyph) {
    // The page control without tabs has the index -1.
    const qint64 before = Button(1)->icon().cacheKey();
    ChooseMenuEntry(1);
    EXPECT_TRUE(Power(1));
    EXPECT_EQ(Button(1)->icon().cacheKey(), before);
    for (int tab : {-1, 0, 1, 5, 6}) EXPECT_EQ(TSocketSwitching::OnPage(5, tab), tab == 1) << tab;
    EXPECT_TRUE(TSocketSwitching::OnPage(24, 5));
    EXPECT_FALSE(TSocketSwitching::OnPage(21, 4));
}

TEST_F(SocketSwitchingTest, ClickDuringAnExchangeWaitsForItsEnd) {
    // While "atn7" waits for the box, the user chooses socket 3 and then
    // socket 7 again (the waits serve the message queue).
    int served = 0;
    application.onProcess = [&] {
        if (++served == 1) {
            ChooseMenuEntry(3);
            ChooseMenuEntry(7);
            // The stored state and the display flip at once; the box
            // waits its turn.
            EXPECT_TRUE(Power(3));
            EXPECT_EQ(controller->Queue().Pending(), 2);
        }
    };

    ChooseMenuEntry(7);

    // Each exchange finished before the next began, in arrival order.
    EXPECT_EQ(TakeCommands(), (Lines{"atn7", "", "", "atn3", "", "", "ato7"}));
    EXPECT_EQ(controller->Queue().Pending(), 0);
    EXPECT_TRUE(Power(3));
    EXPECT_FALSE(Power(7));
    EXPECT_EQ(sockets->Toggle(7)->text(), QStringLiteral("Steckdose 7 - OFF"));
    EXPECT_EQ(autoHideRestarts, 3);
}

TEST_F(SocketSwitchingTest, AClickDuringABoxOptionWaitsForItsEnd) {
    // The beeper option talks to the box; the user chooses socket 3 while
    // it waits for the answer.
    int served = 0;
    application.onProcess = [&] {
        if (++served != 2) return;
        ChooseMenuEntry(3);
        EXPECT_TRUE(Power(3));
        EXPECT_EQ(controller->Queue().Pending(), 1);
    };
    controller->SetBeeper(false);
    application.onProcess = nullptr;
    EXPECT_EQ(controller->Queue().Pending(), 0);
    EXPECT_EQ(TakeCommands(), (Lines{"at", "atboff", "atn3", "", ""}));
}

TEST_F(SocketSwitchingTest, VanishedBoxIsReportedAndLaterActionsStillRun) {
    // The box goes while "atn1" waits for it; socket 2 is chosen meanwhile.
    int served = 0;
    application.onProcess = [&] {
        if (++served != 1) return;
        ChooseMenuEntry(2);
        port.RemovePort(kComNo);
    };

    ChooseMenuEntry(1);

    // Both actions ran and each reported its port error.
    EXPECT_EQ(reportedErrors.size(), 2u);
    EXPECT_TRUE(Power(1));
    EXPECT_TRUE(Power(2));
    EXPECT_EQ(controller->Queue().Pending(), 0);
    EXPECT_FALSE(controller->Queue().Running());
}
