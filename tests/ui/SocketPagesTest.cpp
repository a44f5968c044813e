// The socket pages: re-binding of the four slots to the page of the tab
// control, the socket entries of both menus and the slot buttons by box size.
#include "SocketFixture.h"

using Lines = std::vector<std::string>;

class SocketPagesTest : public SocketFixture {
protected:
    QGroupBox* Group(int k) const { return view->GroupBox_ACX(k); }
    QLabel* Name(int k) const { return view->ACNameX(k); }
    void SetName(int n, const std::string& name) {
        hub->Dataholder()->setValueString("AC01|AC|AC_Name" + TSocketActions::TwoDigits(n).toStdString(),
                                          name);
    }
    bool EntryVisible(const char* prefix, int n) const {
        return sockets->MenuEntry(QString::fromLatin1(prefix), n)->isVisible();
    }
};

TEST_F(SocketPagesTest, FourthPageShowsAndSwitchesSockets13To16) {
    ReplaceBox(BoxConfig("USB-NELTA16"));
    MakeTabs(16);
    for (int n = 13; n <= 16; ++n) SetName(n, "Lampe " + std::to_string(n));
    SetPower(14, true);

    view->TabControl_AC_Dosen()->setCurrentIndex(3);  // the tab change re-binds

    for (int k = 1; k <= 4; ++k) {
        SCOPED_TRACE(k);
        const int n = 12 + k;
        EXPECT_EQ(Group(k)->title(), QStringLiteral(" Steckdose %1 ").arg(n));
        EXPECT_EQ(Name(k)->text(), QStringLiteral("Lampe %1").arg(n));
        EXPECT_EQ(Button(k)->toolTip(), QStringLiteral("Steckdose schalten."));
        EXPECT_EQ(view->SpeedButton_EditX(k)->toolTip(), QStringLiteral("Steckdose editieren."));
        EXPECT_EQ(form->ControlOf(view->SpeedButton_EditX(k))->BoundAction(), sockets->Edit(n));
        EXPECT_EQ(ShowsGreen(k), n == 14);
    }

    for (int k = 1; k <= 4; ++k) ClickPageButton(k);
    EXPECT_EQ(TakeCommands(), (Lines{"atn13", "", "", "ato14", "atn15", "", "", "atn16", "", ""}));
    EXPECT_TRUE(Power(13));
    EXPECT_FALSE(Power(14));
    EXPECT_TRUE(ShowsGreen(1));
    EXPECT_TRUE(ShowsGray(2));
}

TEST_F(SocketPagesTest, OneClickTogglesOnceHoweverOftenTheSlotWasRebound) {
    MakeTabs(8);
    for (int i = 0; i < 3; ++i) {
        view->TabControl_AC_Dosen()->setCurrentIndex(1);
        view->TabControl_AC_Dosen()->setCurrentIndex(0);
    }
    pages->Init_AC_DosenChange();

    ClickPageButton(1);

    EXPECT_EQ(TakeCommands(), (Lines{"atn1", "", ""}));
    EXPECT_TRUE(Power(1));
    EXPECT_EQ(autoHideRestarts, 1);
}

TEST_F(SocketPagesTest, PageChangeShowsStoredStatesAndLeavesThemAlone) {
    MakeTabs(8);
    for (int n : {2, 5, 8}) SetPower(n, true);
    QTabBar* tabs = view->TabControl_AC_Dosen();

    tabs->setCurrentIndex(1);
    EXPECT_TRUE(ShowsGreen(1));
    EXPECT_TRUE(ShowsGray(2));
    EXPECT_TRUE(ShowsGray(3));
    EXPECT_TRUE(ShowsGreen(4));

    tabs->setCurrentIndex(0);
    EXPECT_TRUE(ShowsGray(1));
    EXPECT_TRUE(ShowsGreen(2));
    EXPECT_TRUE(ShowsGray(3));
    EXPECT_TRUE(ShowsGray(4));

    for (int n = 1; n <= 8; ++n) EXPECT_EQ(Power(n), n == 2 || n == 5 || n == 8) << n;
    EXPECT_TRUE(TakeCommands().empty());
    EXPECT_EQ(hub->Dataholder()->UseIndex, "");
}

TEST_F(SocketPagesTest, NameChangeShowsAtTheNextRebinding) {
    MakeTabs(4);
    pages->Init_AC_DosenChange();
    EXPECT_EQ(Name(3)->text(), QStringLiteral("Steckdosenname"));

    SetName(3, "Drucker");
    EXPECT_EQ(Name(3)->text(), QStringLiteral("Steckdosenname"));

    pages->Init_AC_DosenChange();
    EXPECT_EQ(Name(3)->text(), QStringLiteral("Drucker"));
}

TEST_F(SocketPagesTest, WithoutTabsNothingIsRebound) {
    // No box identified yet: the page control has no tabs (index -1).
    SetName(1, "Radio");
    pages->Init_AC_DosenChange();
    EXPECT_EQ(Group(1)->title(), QStringLiteral(" Steckdose 1 "));
    EXPECT_EQ(Name(1)->text(), QStringLiteral("Steckdosenname"));
    EXPECT_EQ(form->ControlOf(Button(1))->BoundAction(), nullptr);
}

TEST_F(SocketPagesTest, MenuEntriesAreShownByExactNameUpToTheCount) {
    pages->set_Visible_Index_MenuItems("ItemSteckdose", 24, false);
    pages->set_Visible_Index_MenuItems("Tray_Steckdose", 24, false);

    pages->set_Visible_Index_MenuItems("Tray_Steckdose", 4, true);

    for (int n = 1; n <= 24; ++n) {
        EXPECT_EQ(EntryVisible("Tray_Steckdose", n), n <= 4) << n;
        EXPECT_FALSE(EntryVisible("ItemSteckdose", n)) << n;
    }

    // A count of 0 or less, and a prefix matching nothing, change nothing.
    pages->set_Visible_Index_MenuItems("Tray_Steckdose", 0, false);
    pages->set_Visible_Index_MenuItems("Tray_Steckdose", -3, false);
    pages->set_Visible_Index_MenuItems("Steckdose", 24, true);
    for (int n = 1; n <= 24; ++n) EXPECT_EQ(EntryVisible("Tray_Steckdose", n), n <= 4) << n;
}

TEST_F(SocketPagesTest, SlotButtonsAreEnabledByName) {
    pages->set_Enable_Index_Speedbutton("SpeedButton_ACX", 4, false);
    pages->set_Enable_Index_Speedbutton("SpeedButton_EditX", 4, false);
    for (int k = 1; k <= 4; ++k) {
        EXPECT_FALSE(Button(k)->isEnabled());
        EXPECT_FALSE(view->SpeedButton_EditX(k)->isEnabled());
    }

    pages->set_Enable_Index_Speedbutton("SpeedButton_EditX", 2, true);
    for (int k = 1; k <= 4; ++k) {
        EXPECT_FALSE(Button(k)->isEnabled());
        EXPECT_EQ(view->SpeedButton_EditX(k)->isEnabled(), k <= 2);
    }
}
