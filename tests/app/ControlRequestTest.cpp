// A script's request to the whole started program: the window, the menus
// and the tray follow a scripted switch as they follow a click, and it
// counts as activity for the auto-hide.
#include <gtest/gtest.h>

#include <QAction>

#include "app/Tavrin.h"
#include "control/ControlProtocol.h"
#include "control/ControlService.h"
#include "hub/mVedadAzaro.h"
#include "store/muDataHolder.h"
#include "support/ProgramFixture.h"
#include "ui/SocketActions.h"

namespace {

TEST(ControlRequest, AScriptedSwitchShowsInTheTrayAndMenuAndIsStored) {
    TProgramFixture f;
    TNeltaBoxConfig config;
    config.model = "USB-NELTA8";
    config.replyDelayMs = 0;
    f.AddBox(3, config);
    TAC_Program& p = f.Start();
    f.Run(1000);       // the deferred box initialisation
    f.Run(60 * 1000);  // a minute later
    const std::int64_t before = f.platform.NowMs();

    TControlService service(p.Box(), f.Holder(), {});
    std::string answer;
    service.Handle("TAVRIN/1 on 5", [&answer](const std::string& text) { answer = text; });
    f.Run(1000);

    ControlProtocol::TResultReader reader;
    ASSERT_TRUE(reader.Feed(answer) && reader.Done()) << answer;
    EXPECT_TRUE(reader.Result().Ok()) << reader.Result().message;
    EXPECT_EQ(p.SocketActions().Toggle(5)->text(), "Steckdose 5 - ON");
    QAction* trayEntry = p.SocketActions().MenuEntry(QStringLiteral("Tray_Steckdose"), 5);
    ASSERT_NE(trayEntry, nullptr);
    EXPECT_EQ(trayEntry->text(), "Steckdose 5 - ON");
    EXPECT_TRUE(f.Holder().getValueBoolean("AC01|AC|ACPower05"));
    EXPECT_TRUE(f.Box(3)->Socket(5));
    // The switch restarted the auto-hide period.
    EXPECT_GE(p.AutoCloseDeadline, before + 15 * 60 * 1000);
    f.Stop();
}

}  // namespace
