// The main window's start-up spine and its reactions to the window system.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "AppTestSupport.h"
#include "app/Tavrin.h"
#include "device/BoxController.h"
#include "hub/mVedadAzaro.h"
#include "store/muDataHolder.h"
#include "store/muIniIO.h"
#include "support/FakePlatform.h"
#include "toolkit/StdPlatform.h"
#include "toolkit/muLogging.h"

namespace {

class ProgramTest : public ::testing::Test {
protected:
    ProgramTest() {
        EnsureAppTestApplication();
        platform.currentDir = dir.path().toStdString();
        platform.executablePath = StdPlatform().ExecutablePath();  // carries the version too
    }
    TmuDataholder& Holder(TAC_Program& p) { return *p.mVedadAzaro1->Dataholder(); }

    ScopedEmptyComDir noPorts;
    QTemporaryDir dir;
    FakePlatform platform;
    FakeApplication application;
};

TEST_F(ProgramTest, StartUpSetsTheProgramState) {
    TAC_Program program(&application);
    EXPECT_TRUE(program.NoExit);
    EXPECT_TRUE(program.InitStart);
    EXPECT_TRUE(program.COMPortLogging);
    EXPECT_EQ(program.ACDosenCount, 0);
    EXPECT_EQ(program.AppDir, platform.currentDir);
    ASSERT_NE(program.ProgramLogging, nullptr);
    EXPECT_EQ(program.ProgramLogging->Owner(), &program);
    EXPECT_EQ(program.ProgramLogging->FileName(), "mLogging.log");
    EXPECT_EQ(program.ProgramLogging->SystemPath(), "System\\Logging");
    // Without tavrin.ini the logging settings keep their defaults: the log
    // is off at level LOG_STD, for the program and the hub alike.
    EXPECT_FALSE(program.ProgramLogging->ActiveLog());
    EXPECT_EQ(program.ProgramLogging->CompoID(), "LOG_STD");
    EXPECT_EQ(program.mVedadAzaro1->Log()->CompoID(), "LOG_STD");
    EXPECT_EQ(program.mVedadAzaro1->Log()->CurrentDir(), platform.currentDir);

    // The hub serves messages through the box queue, which forwards to the
    // application; the title carries the file version.
    EXPECT_EQ(program.mVedadAzaro1->getApplication(), &program.Box().Queue().Pump());
    const int processed = application.processed;
    program.mVedadAzaro1->getApplication()->ProcessMessages();
    EXPECT_EQ(application.processed, processed + 1);
    EXPECT_EQ(application.title, "Tavrin v" TAVRIN_FILE_VERSION);
    EXPECT_FALSE(program.WinVersion.empty());
    EXPECT_GE(application.processed, 1);  // the queue was served once

    // The INI check timer runs every second from the creation on.
    ASSERT_NE(program.mIniCheckTimer(), nullptr);
    EXPECT_EQ(program.mIniCheckTimer()->Interval(), 1000);
    EXPECT_TRUE(program.mIniCheckTimer()->Enabled());

    program.Set_InitStart(false);
    EXPECT_FALSE(program.InitStart);
    program.Set_InitStart(true);
    EXPECT_TRUE(program.InitStart);
}

TEST_F(ProgramTest, CloseCommandHidesWhileNoExitAndOnlyARealCloseEndsTheLoop) {
    TAC_Program program(&application);
    int closed = 0;
    QObject::connect(&program, &TAC_Program::Closed, [&] { ++closed; });
    program.show();

    // The title bar's close: hidden, the command dropped.
    EXPECT_FALSE(program.WMSysCommand(TAC_Program::SysCommand::Close));
    EXPECT_FALSE(program.isVisible());
    EXPECT_EQ(closed, 0);

    // Minimise and maximise set NoExit again.
    program.NoExit = false;
    EXPECT_TRUE(program.WMSysCommand(TAC_Program::SysCommand::Minimize));
    EXPECT_TRUE(program.NoExit);
    program.NoExit = false;
    program.show();
    program.showMaximized();
    EXPECT_TRUE(program.NoExit);

    // With NoExit cleared the close command goes through.
    program.NoExit = false;
    EXPECT_TRUE(program.WMSysCommand(TAC_Program::SysCommand::Close));

    // A close by the program ends the loop, with or without NoExit.
    program.show();
    program.NoExit = true;
    EXPECT_TRUE(program.close());
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(program.isVisible());
}

TEST_F(ProgramTest, ActivationFinishesTheStartOnceAndNothingWithoutABox) {
    TAC_Program program(&application);
    TmuDataholder& holder = Holder(program);
    holder.clearUseIndexSection();
    holder.setValueBoolean("AC_COM_failed", false);  // as after a box was found
    holder.setValueBoolean("AC_Visible", false);
    program.Set_InitStart(true);
    holder.UseIndex = "AC01";  // left set by someone else: activation empties it
    program.FormActivate();
    EXPECT_FALSE(program.InitStart);
    EXPECT_TRUE(holder.getValueBoolean("AC_Visible"));
    EXPECT_EQ(holder.UseIndex, "");

    // Later activations leave the flags alone.
    holder.setValueBoolean("AC_Visible", false);
    program.FormActivate();
    EXPECT_FALSE(program.InitStart);
    EXPECT_FALSE(holder.getValueBoolean("AC_Visible"));

    // Without a box nothing happens at all.
    holder.setValueBoolean("AC_COM_failed", true);
    program.Set_InitStart(true);
    program.FormActivate();
    EXPECT_TRUE(program.InitStart);
    EXPECT_FALSE(holder.getValueBoolean("AC_Visible"));
}

TEST_F(ProgramTest, IniCheckBeepsOnPendingChangesAndWritesNothing) {
    TAC_Program program(&application);
    const int before = platform.beeps;  // the start may beep (port search)
    platform.Advance(1000);
    EXPECT_EQ(platform.beeps - before, 0);
    TmuIniIO* ini = program.mVedadAzaro1->IniIO();
    if (ini->get_IniIoCount() < 1) ini->set_IniIoCount(1);
    ini->set_IniIoIndex(1);
    ini->set_IniChange(true);
    ASSERT_TRUE(ini->get_IniChange());
    platform.Advance(1000);  // one tick a second
    EXPECT_EQ(platform.beeps - before, 1);
    platform.Advance(2000);
    EXPECT_EQ(platform.beeps - before, 3);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

}  // namespace
