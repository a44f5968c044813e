// Socket switching and pages in a started program: the deferred start has
// identified a USB-NELTA16 on COM3; the user switches from the menus and the
// page buttons.
#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QToolButton>
#include <string>
#include <vector>

#include "QtTestApp.h"
#include "app/Tavrin.h"
#include "device/BoxController.h"
#include "store/muDataHolder.h"
#include "support/ProgramFixture.h"
#include "toolkit/mCloseTimer.h"
#include "toolkit/qt/QtForm.h"
#include "ui/AC_Prg_Einstellung.h"
#include "ui/ProgramView.h"
#include "ui/SocketActions.h"
#include "ui/SocketSwitching.h"

using Lines = std::vector<std::string>;

namespace {

class SocketProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtTestApp();
        // Echo and reply together: the response wait reads what has come as
        // soon as two bytes are there, and a bare echo holds no reply.
        TNeltaBoxConfig config;
        config.model = "USB-NELTA16";
        config.replyDelayMs = 0;
        fixture.AddBox(3, config);
        program = &fixture.Start();
        fixture.Run(500);  // the deferred box initialisation
        ASSERT_EQ(program->ACDosenCount, 16);
        seen = fixture.Box(3)->Commands().size();
    }

    std::vector<std::string> TakeCommands() {
        std::vector<std::string> out;
        const auto& all = fixture.Box(3)->Commands();
        for (size_t i = seen; i < all.size(); ++i) out.push_back(all[i].text);
        seen = all.size();
        return out;
    }
    bool Power(int n) {
        return fixture.Holder().getValueBoolean("AC01|AC|ACPower" +
                                                TSocketActions::TwoDigits(n).toStdString());
    }
    void ChooseMenuEntry(const char* prefix, int n) {
        QAction* entry = program->SocketActions().MenuEntry(QString::fromLatin1(prefix), n);
        ASSERT_NE(entry, nullptr) << prefix << n;
        entry->trigger();
    }
    void ClickPageButton(int k) { program->Form().ControlOf(program->View().SpeedButton_ACX(k))->Click(); }
    std::string LastMemoLine() const {
        const QStringList lines = AC_Einstellung->Memo_COMPort()->toPlainText().split(QLatin1Char('\n'));
        return lines.isEmpty() ? std::string() : lines.back().toStdString();
    }

    TProgramFixture fixture;
    TAC_Program* program = nullptr;
    size_t seen = 0;
};

TEST_F(SocketProgramTest, MenuEntryAndPageButtonSwitchTheBox) {
    ChooseMenuEntry("ItemSteckdose", 7);
    EXPECT_TRUE(Power(7));
    EXPECT_TRUE(fixture.Box(3)->Socket(7));
    EXPECT_EQ(TakeCommands(), (Lines{"atn7", "", ""}));
    EXPECT_EQ(LastMemoLine(), "RECV: SET PORT 7 ON");
    EXPECT_EQ(program->SocketActions().MenuEntry(QStringLiteral("ItemSteckdose"), 7)->text(),
              QStringLiteral("Steckdose 7 - ON"));

    // The fourth page: sockets 13 to 16.
    program->View().TabControl_AC_Dosen()->setCurrentIndex(3);
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(program->View().GroupBox_ACX(k)->title(), QStringLiteral(" Steckdose %1 ").arg(12 + k));
    ClickPageButton(4);
    EXPECT_TRUE(Power(16));
    EXPECT_TRUE(fixture.Box(3)->Socket(16));
    EXPECT_EQ(TakeCommands(), (Lines{"atn16", "", ""}));
    EXPECT_EQ(program->View().SpeedButton_ACX(4)->icon().cacheKey(),
              program->Switching().GlyphGreen().cacheKey());
}

TEST_F(SocketProgramTest, SwitchingRestartsTheAutoHidePeriod) {
    // A hidden window has no running close timer: switching changes nothing.
    program->hide();
    const std::int64_t before = program->AutoCloseDeadline;
    ChooseMenuEntry("ItemSteckdose", 1);
    EXPECT_EQ(program->AutoCloseDeadline, before);

    program->show();  // the close timer runs while the window is shown
    ASSERT_TRUE(program->mCloseTimer_15min->Enabled());
    fixture.Run(14 * 60 * 1000 + 30 * 1000);
    const std::int64_t switchedAt = fixture.platform.NowMs();  // 00:30 left
    ChooseMenuEntry("ItemSteckdose", 2);
    EXPECT_EQ(program->AutoCloseDeadline, switchedAt + 15 * 60 * 1000);
    fixture.Run(60 * 1000);  // 15 minutes since the show have passed
    EXPECT_TRUE(program->isVisible());
    EXPECT_TRUE(program->mCloseTimer_15min->Enabled());
}

TEST_F(SocketProgramTest, ClickDuringAnExchangeIsQueued) {
    int served = 0;
    fixture.application.onProcess = [&] {
        if (++served == 1) ChooseMenuEntry("ItemSteckdose", 3);
    };
    ChooseMenuEntry("ItemSteckdose", 1);
    fixture.application.onProcess = nullptr;
    EXPECT_EQ(TakeCommands(), (Lines{"atn1", "", "", "atn3", "", ""}));
    EXPECT_EQ(program->Box().Queue().Pending(), 0);
}

}  // namespace
