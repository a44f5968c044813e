// The deferred part of the start-up (the silent-start window's one tick), the
// silent-start option and the autostart link, in a started program against a
// simulated box.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/Tavrin.h"
#include "device/muATCmd.h"
#include "store/muDataHolder.h"
#include "support/ProgramFixture.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Timer.h"
#include "toolkit/mCloseTimer.h"
#include "ui/AC_Prg_Einstellung.h"
#include "ui/AC_Prg_Silent.h"
#include "ui/ProgramActions.h"
#include "ui/ProgramView.h"
#include "ui/SilentStart.h"
#include "ui/SocketActions.h"

namespace fs = std::filesystem;

namespace {

class SilentStartTest : public ::testing::Test {
protected:
    SilentStartTest() { f.platform.specialFolders["Startup"] = f.Folder() + "/autostart"; }

    // A USB-NELTA8 on COM3 whose echo and reply arrive together.
    TNeltaBox& AddBox() {
        TNeltaBoxConfig config;
        config.model = "USB-NELTA8";
        config.replyDelayMs = 0;
        return f.AddBox(3, config);
    }

    bool Visible() { return f.Holder().getValueBoolean("DEFAULT|PRG|AC_Visible"); }
    std::string Status() { return f.Program().View().ComboBox_AC_Steckdosen()->currentText().toStdString(); }
    std::string LinkFile() const { return f.Folder() + "/autostart/tavrin.desktop"; }
    // The platform of the tests records links; this puts the file where it went.
    void WriteSavedLink(size_t index) {
        const std::string path = fs_boundary::NativePath(f.platform.savedLinks.at(index).path);
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path) << "[Desktop Entry]\n";
    }

    TProgramFixture f;
};

TEST_F(SilentStartTest, TickInitialisesTheBoxAndShowsTheMainWindow) {
    TNeltaBox& box = AddBox();
    TAC_Program& p = f.Start();
    ASSERT_NE(AC_Silent, nullptr);
    EXPECT_TRUE(AC_Silent->SilentInitStart());
    EXPECT_EQ(p.ACDosenCount, 0);  // the pages come only from the deferred start
    const size_t searched = box.Commands().size();

    f.Run(TAC_Silent::kTimerInterval);

    EXPECT_EQ(p.ACDosenCount, 8);
    EXPECT_FALSE(p.InitStart);
    EXPECT_GT(box.Commands().size(), searched);
    EXPECT_EQ(Status(), "COM3 > " + box.Ident());
    EXPECT_TRUE(p.SocketActions().MenuEntry(QStringLiteral("ItemSteckdose"), 8)->isVisible());
    EXPECT_FALSE(p.SocketActions().MenuEntry(QStringLiteral("ItemSteckdose"), 9)->isVisible());
    EXPECT_FALSE(AC_Silent->isVisible());
    EXPECT_FALSE(AC_Silent->SilentInitStart());
    EXPECT_FALSE(AC_Silent->Prg_Silent_Timer()->Enabled());
    EXPECT_TRUE(p.isVisible());
    EXPECT_TRUE(Visible());
    EXPECT_EQ(p.muATCmd1->COMPos(), 1);

    // The tick comes once: later time initialises nothing again.
    const size_t after = box.Commands().size();
    f.Run(10 * TAC_Silent::kTimerInterval);
    EXPECT_EQ(box.Commands().size(), after);
}

TEST_F(SilentStartTest, SilentStartInitialisesButLeavesTheWindowsAsTheyAre) {
    f.WriteFile("tavrin.ini", "[TAVRIN]\r\nSILENT=ON\r\n");
    AddBox();
    TAC_Program& p = f.Start();
    f.Run(TAC_Silent::kTimerInterval);

    EXPECT_EQ(p.ACDosenCount, 8);
    EXPECT_TRUE(AC_Silent->isVisible());  // the silent-start window stays
    EXPECT_FALSE(Visible());
    ASSERT_NE(p.mCloseTimer_15min, nullptr);
    EXPECT_FALSE(p.mCloseTimer_15min->Enabled());
}

TEST_F(SilentStartTest, WithoutABoxTheTickDoesNothing) {
    TAC_Program& p = f.Start();  // no port answers: AC_COM_failed
    ASSERT_TRUE(p.ComFailed());
    const std::string statusBefore = Status();

    f.Run(TAC_Silent::kTimerInterval);

    EXPECT_EQ(p.ACDosenCount, 0);
    EXPECT_EQ(Status(), statusBefore);
    EXPECT_FALSE(p.isVisible());
    EXPECT_FALSE(Visible());
    EXPECT_FALSE(AC_Silent->isVisible());
}

TEST_F(SilentStartTest, MainWindowShownOrHiddenBeforeTheTickSkipsTheInitialisation) {
    TNeltaBox& box = AddBox();
    TAC_Program& p = f.Start();
    const size_t searched = box.Commands().size();
    // The tray's show or hide action within the first 100 ms.
    AC_Silent->Set_InitStart(false);

    f.Run(TAC_Silent::kTimerInterval);

    EXPECT_EQ(box.Commands().size(), searched);
    EXPECT_EQ(p.ACDosenCount, 0);
    EXPECT_TRUE(p.mCloseTimer_15min->Enabled());
    EXPECT_TRUE(Visible());
    EXPECT_TRUE(p.isVisible());
}

TEST_F(SilentStartTest, PortFailingDuringTheInitialisationIsReported) {
    TNeltaBoxConfig config;
    config.replyDelayMs = 0;
    config.fault = TNeltaFault::Vanish;
    config.faultAfter = 30;  // after the search, in the middle of the session
    f.AddBox(3, config);
    TAC_Program& p = f.Start();
    ASSERT_FALSE(p.ComFailed());
    const size_t before = f.platform.messages.size();

    f.Run(TAC_Silent::kTimerInterval);

    ASSERT_EQ(f.platform.messages.size(), before + 1);
    EXPECT_EQ(f.platform.messages.back().icon, MsgIcon::Error);
    // The start goes on: the main window is shown.
    EXPECT_TRUE(p.isVisible());
}

TEST_F(SilentStartTest, SilentOptionStoresAndShowsItsState) {
    struct Case {
        bool stored;
        bool ticked;
        bool storedAfter;
        const char* caption;
    };
    const Case cases[] = {
        {false, true, true, TSilentStart::kSilentOn},
        {false, false, false, TSilentStart::kSilentOff},
        {true, true, true, TSilentStart::kSilentOn},
        // Unticking a stored true stores false but keeps the caption.
        {true, false, false, TSilentStart::kSilentOn},
    };
    AddBox();
    TAC_Program& p = f.Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.stored) + std::to_string(c.ticked));
        f.Holder().setValueBoolean("INI|TAVRIN|SILENT", c.stored);
        p.SilentStart().SetSilent(c.ticked);
        EXPECT_EQ(f.Holder().getValueBoolean("INI|TAVRIN|SILENT"), c.storedAfter);
        EXPECT_EQ(p.ProgramActions().Action_SetSilent()->text().toStdString(), c.caption);
    }
}

TEST_F(SilentStartTest, AutostartLinkIsMadeOnceAndRemovedOnlyWhenStored) {
    AddBox();
    TAC_Program& p = f.Start();
    TSilentStart& s = p.SilentStart();
    EXPECT_TRUE(f.platform.savedLinks.empty());  // autostart is off by default

    s.SetAutoStart(true);
    ASSERT_EQ(f.platform.savedLinks.size(), 1u);
    const FakePlatform::SavedLink& saved = f.platform.savedLinks[0];
    EXPECT_EQ(fs_boundary::NativePath(saved.path), LinkFile());
    // "$APPDIR\TAVRIN.EXE /SILENT": the running program under its own name,
    // started in the working folder.
    EXPECT_EQ(saved.link.target, f.platform.executablePath);
    EXPECT_EQ(saved.link.arguments, "/SILENT");
    EXPECT_EQ(saved.link.description, "Tavrin Link");
    EXPECT_EQ(saved.link.workingDirectory, f.Folder());
    EXPECT_TRUE(f.Holder().getValueBoolean("INI|TAVRIN|AUTOSTART"));
    EXPECT_EQ(p.ProgramActions().Action_SetAutoStart()->text().toStdString(), TSilentStart::kAutoStartOn);

    // Ticking again with the link there makes none.
    WriteSavedLink(0);
    s.SetAutoStart(true);
    EXPECT_EQ(f.platform.savedLinks.size(), 1u);

    s.SetAutoStart(false);
    EXPECT_FALSE(fs::exists(LinkFile()));
    EXPECT_FALSE(f.Holder().getValueBoolean("INI|TAVRIN|AUTOSTART"));
    EXPECT_EQ(p.ProgramActions().Action_SetAutoStart()->text().toStdString(), TSilentStart::kAutoStartOff);

    // A link of someone else while the option is stored off stays.
    WriteSavedLink(0);
    s.SetAutoStart(false);
    EXPECT_TRUE(fs::exists(LinkFile()));

    // Without a Startup folder no link is written and nothing is reported.
    fs::remove(LinkFile());
    f.platform.specialFolders.erase("Startup");
    const size_t messages = f.platform.messages.size();
    s.SetAutoStart(true);
    EXPECT_EQ(f.platform.savedLinks.size(), 1u);
    EXPECT_EQ(f.platform.messages.size(), messages);
    EXPECT_TRUE(f.Holder().getValueBoolean("INI|TAVRIN|AUTOSTART"));
}

TEST_F(SilentStartTest, SettingsCheckBoxesRunTheOptions) {
    AddBox();
    TAC_Program& p = f.Start();
    ASSERT_NE(AC_Einstellung, nullptr);
    QtControl* autoStart = AC_Einstellung->Form().FindControl("CheckBox_Autostart", ControlClass::CheckBox);
    QtControl* silent =
        AC_Einstellung->Form().FindControl("CheckBox_Autostat_Silent", ControlClass::CheckBox);
    ASSERT_NE(autoStart, nullptr);
    ASSERT_NE(silent, nullptr);

    qobject_cast<QCheckBox*>(autoStart->Object())->click();
    qobject_cast<QCheckBox*>(silent->Object())->click();
    EXPECT_EQ(f.platform.savedLinks.size(), 1u);
    EXPECT_TRUE(f.Holder().getValueBoolean("INI|TAVRIN|AUTOSTART"));
    EXPECT_TRUE(f.Holder().getValueBoolean("INI|TAVRIN|SILENT"));
    EXPECT_EQ(p.ProgramActions().Action_SetSilent()->text().toStdString(), TSilentStart::kSilentOn);
}

TEST_F(SilentStartTest, StartWithAutostartOnMakesAMissingLink) {
    f.WriteFile("tavrin.ini", "[TAVRIN]\r\nAUTOSTART=ON\r\nSILENT=ON\r\n");
    AddBox();
    TAC_Program& p = f.Start();
    ASSERT_EQ(f.platform.savedLinks.size(), 1u);
    EXPECT_EQ(fs_boundary::NativePath(f.platform.savedLinks[0].path), LinkFile());
    EXPECT_EQ(p.ProgramActions().Action_SetAutoStart()->text().toStdString(), TSilentStart::kAutoStartOn);
    EXPECT_EQ(p.ProgramActions().Action_SetSilent()->text().toStdString(), TSilentStart::kSilentOn);
}

}  // namespace
