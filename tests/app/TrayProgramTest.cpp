// The whole program's tray, countdown, placement and lock against a
// simulated box on the virtual clock: the start-up placement, a preset
// kept over a restart, switching a socket late in the period, showing and
// hiding from the tray, and a lock that survives hiding.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>

#include "app/Tavrin.h"
#include "store/muDataHolder.h"
#include "support/ProgramFixture.h"
#include "toolkit/Timer.h"
#include "toolkit/mCloseTimer.h"
#include "ui/AC_Prg_Silent.h"
#include "ui/ProgramActions.h"
#include "ui/ProgramView.h"
#include "ui/SocketActions.h"
#include "ui/StatusClock.h"
#include "ui/TrayMenu.h"
#include "ui/WindowPlacement.h"

namespace {

class TrayProgramTest : public ::testing::Test {
protected:
    static constexpr int kComNo = 3;

    // tavrin.ini with every key the end writes back.
    void WriteMainIni(const std::string& formPos) {
        f.WriteFile("tavrin.ini", "[TAVRIN]\r\nPositionX=150\r\nPositionY=150\r\nFormPos=" + formPos +
                                      "\r\nAUTOSTART=OFF\r\nSILENT=OFF\r\nPrgHide=OFF\r\n");
    }
    TAC_Program& StartWithBox() {
        TNeltaBoxConfig config;
        config.model = "USB-NELTA4";
        config.replyDelayMs = 0;
        f.AddBox(kComNo, config);
        TAC_Program& p = f.Start();
        f.Run(1000);  // the deferred box initialisation
        return p;
    }
    QString Countdown() { return f.Program().View().StatusPanel(1)->text(); }
    bool ACVisible() {
        f.Holder().clearUseIndexSection();
        return f.Holder().getValueBoolean("AC_Visible");
    }
    QAction* TrayEntry(const char* name) { return f.Program().TrayMenu().Entry(QString::fromLatin1(name)); }

    TProgramFixture f;
};

TEST_F(TrayProgramTest, AStartWithTopLeftEndsInTheCorner) {
    WriteMainIni("TopLeft");
    TAC_Program& p = StartWithBox();
    EXPECT_EQ(p.pos(), QPoint(0, 0));
    EXPECT_EQ(f.Holder().getValueInteger("INI|TAVRIN|PositionX"), 0);
    EXPECT_EQ(f.Holder().getValueInteger("INI|TAVRIN|PositionY"), 0);
    f.Stop();
}

TEST_F(TrayProgramTest, AStartWithTopRightEndsAtTheRightEdge) {
    WriteMainIni("TopRight");
    TAC_Program& p = StartWithBox();
    EXPECT_EQ(p.pos().y(), 0);
    // The desktop's right edge minus the width and 2, by the width the
    // start-up measured (the window was not framed yet).
    EXPECT_EQ(p.pos().x(), 1920 - p.geometry().width() - 2);
    EXPECT_EQ(f.Holder().getValueInteger("INI|TAVRIN|PositionX"), p.pos().x());
    f.Stop();
}

TEST_F(TrayProgramTest, ABottomRightPresetIsKeptOverARestart) {
    WriteMainIni("TopLeft");
    TAC_Program& first = StartWithBox();
    first.ProgramActions().Action_Desktop(8)->trigger();  // "Unten-Rechts"
    const QSize outer = first.frameGeometry().size();
    EXPECT_EQ(first.frameGeometry().topLeft(), QPoint(1920 - outer.width() - 10, 1080 - outer.height() - 35));
    first.ProgramActions().Action_TrayPrg_CloseExecute()->trigger();
    f.Stop();
    EXPECT_NE(f.ReadFile("tavrin.ini").find("FormPos=ButtomRight\r\n"), std::string::npos);

    TAC_Program& second = StartWithBox();
    EXPECT_EQ(f.Holder().getValueString("INI|TAVRIN|FormPos"), "ButtomRight");
    // The preset, measured before the window was framed, and left there by
    // the screen check.
    const QSize unframed = second.geometry().size();
    EXPECT_EQ(second.pos(), QPoint(1920 - unframed.width() - 10, 1080 - unframed.height() - 35));
    f.Stop();
}

TEST_F(TrayProgramTest, SwitchingASocketLateInThePeriodStartsItAgain) {
    WriteMainIni("TopLeft");
    TAC_Program& p = StartWithBox();
    ASSERT_TRUE(p.Timer_Datetime()->Enabled());
    // The deferred initialisation stopped the close timer; the countdown
    // alone runs the period.
    EXPECT_FALSE(p.mCloseTimer_15min->Enabled());
    // 00:30 left (the start armed the period when the box was found).
    f.Run(p.AutoCloseDeadline - f.platform.NowMs() - 30 * 1000);
    EXPECT_EQ(Countdown(), QStringLiteral("Aktiv für ca.: 00:30 Min."));

    const std::int64_t before = f.platform.NowMs();
    p.SocketActions().Toggle(2)->trigger();
    EXPECT_GE(p.AutoCloseDeadline, before + 15 * 60 * 1000);
    f.Run(1000);
    EXPECT_TRUE(Countdown().startsWith(QStringLiteral("Aktiv für ca.: 14:5"))) << Countdown().toStdString();
    f.Run(60 * 1000);
    EXPECT_TRUE(p.isVisible());

    // Left alone, the period ends: hidden into the tray, still running.
    f.Run(15 * 60 * 1000);
    EXPECT_FALSE(p.isVisible());
    EXPECT_FALSE(p.Timer_Datetime()->Enabled());
    EXPECT_FALSE(p.mCloseTimer_15min->Enabled());
    EXPECT_TRUE(f.Running());
    EXPECT_TRUE(p.NoExit);
    f.Stop();
}

TEST_F(TrayProgramTest, HideAndShowFromTheTray) {
    WriteMainIni("TopLeft");
    TAC_Program& p = StartWithBox();
    ASSERT_TRUE(p.isVisible());

    TrayEntry("Tray_Tavrin_schliesen")->trigger();
    EXPECT_FALSE(p.isVisible());
    EXPECT_FALSE(ACVisible());
    EXPECT_FALSE(p.Timer_Datetime()->Enabled());
    EXPECT_FALSE(p.mCloseTimer_15min->Enabled());  // the hidden window's own rule
    ASSERT_NE(AC_Silent, nullptr);
    EXPECT_FALSE(AC_Silent->SilentInitStart());

    f.Run(20 * 60 * 1000);
    TrayEntry("Tray_Tavrin_offnen")->trigger();
    EXPECT_TRUE(p.isVisible());
    EXPECT_TRUE(ACVisible());
    EXPECT_TRUE(p.Timer_Datetime()->Enabled());
    EXPECT_TRUE(p.mCloseTimer_15min->Enabled());
    EXPECT_EQ(p.AutoCloseDeadline, f.platform.NowMs() + 15 * 60 * 1000);
    f.Run(1000);
    EXPECT_EQ(Countdown(), QStringLiteral("Aktiv für ca.: 14:59 Min."));
    f.Stop();
}

TEST_F(TrayProgramTest, BeendenFromTheTrayEndsTheProgram) {
    WriteMainIni("TopLeft");
    TAC_Program& p = StartWithBox();
    bool closed = false;
    QObject::connect(&p, &TAC_Program::Closed, [&] { closed = true; });
    TrayEntry("Tray_Beenden")->trigger();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(p.NoExit);
    EXPECT_FALSE(p.isVisible());
    f.Stop();
}

TEST_F(TrayProgramTest, ALockedWindowStaysOnTopAfterHidingAndShowing) {
    WriteMainIni("TopLeft");
    TAC_Program& p = StartWithBox();
    p.ProgramActions().Action_Lock_Unlook()->trigger();
    ASSERT_TRUE(p.WindowPlacement().Locked());
    EXPECT_TRUE(p.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(p.isVisible());

    TrayEntry("Tray_Tavrin_schliesen")->trigger();
    TrayEntry("Tray_Tavrin_offnen")->trigger();
    EXPECT_TRUE(p.isVisible());
    EXPECT_TRUE(p.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(p.mCloseTimer_15min->Enabled());

    p.ProgramActions().Action_Lock_Unlook()->trigger();
    EXPECT_FALSE(p.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(p.isVisible());
    f.Stop();
}

}  // namespace
