// The window's parts built in stages: the commands stage over the box parts
// with and without the tray stage, and what its parts reach of the others.
#include <QAction>

#include "SocketFixture.h"
#include "toolkit/mCloseTimer.h"
#include "ui/EmergencyOff.h"
#include "ui/SilentStart.h"
#include "ui/SocketEditor.h"
#include "ui/TrayMenu.h"
#include "ui/WindowPlacement.h"

namespace {

class WindowPartsTest : public SocketFixture {
protected:
    void TearDown() override {
        SocketFixture::TearDown();
        TTrayMenu::SetTrayAvailableForTests(-1);
    }

    void BuildTray() {
        TTrayMenu::SetTrayAvailableForTests(1);
        parts->BuildTray(TWindowParts::TTrayInputs{.closeTimerOwner = nullptr,
                                                   .autoCloseDeadline = &deadline,
                                                   .noExit = [] { return true; },
                                                   .setNoExit = [](bool) {},
                                                   .closeMainWindow = [] {},
                                                   .clearSilentStart = [] {},
                                                   .closeSilentWindow = [] {}});
    }
    void BuildCommands() {
        parts->BuildCommands(
            TWindowParts::TCommandInputs{.setInitStart = [this](bool value) { initStart = value; }});
    }

    std::int64_t deadline = 0;
};

TEST_F(WindowPartsTest, TheDeferredStartSwitchesThePlacementsCloseTimer) {
    BuildTray();
    BuildCommands();
    TmCloseTimer* closeTimer = parts->WindowPlacement()->mCloseTimer_15min();
    ASSERT_NE(closeTimer, nullptr);
    ASSERT_FALSE(closeTimer->Enabled());

    TSilentStartHost& host = *parts->SilentStart();
    host.SetCloseTimerEnabled(true);
    EXPECT_TRUE(closeTimer->Enabled());
    host.SetCloseTimerEnabled(false);
    EXPECT_FALSE(closeTimer->Enabled());

    // The deferred start's flag is the window's.
    host.SetProgramInitStart(false);
    EXPECT_FALSE(initStart);
    host.SetProgramInitStart(true);
    EXPECT_TRUE(initStart);
}

TEST_F(WindowPartsTest, CommandsWithoutTheTrayHaveNoCloseTimerToSwitch) {
    BuildCommands();
    EXPECT_EQ(parts->WindowPlacement(), nullptr);
    EXPECT_EQ(parts->TrayMenu(), nullptr);
    ASSERT_NE(parts->SilentStart(), nullptr);
    ASSERT_NE(parts->SocketEditor(), nullptr);
    ASSERT_NE(parts->EmergencyOff(), nullptr);

    // Switching the close timer that is not there does nothing.
    parts->SilentStart()->SetCloseTimerEnabled(true);
    parts->SilentStart()->SetCloseTimerEnabled(false);
}

}  // namespace
