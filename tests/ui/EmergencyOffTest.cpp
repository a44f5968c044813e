// The emergency off over the real socket parts (offscreen) and a simulated
// box on the virtual clock.
#include <QAction>
#include <QLabel>
#include <QWindow>

#include "SocketFixture.h"
#include "ui/EmergencyOff.h"

namespace {

class EmergencyOffTest : public SocketFixture {
protected:
    void SetUp() override {}

    void BuildFor(const std::string& model, int socketCount) {
        Build(BoxConfig(model));
        count = socketCount;
        MakeTabs(count);
        acDosenCount = count;
        emergency = std::make_unique<TEmergencyOff>(
            TEmergencyOff::TParts{.controller = controller, .dangerOff = actions->Action_DangerOFF()});
        for (int n = 1; n <= 24; ++n) {
            hub->Dataholder()->setValueString("AC01|AC|AC_Name" + TSocketActions::TwoDigits(n).toStdString(),
                                              "Name " + std::to_string(n));
        }
    }

    void TearDown() override {
        emergency.reset();
        SocketFixture::TearDown();
    }

    // The non-empty commands the box received (the response wait's bare
    // carriage returns left out).
    std::vector<std::string> Commands() {
        std::vector<std::string> out;
        for (const auto& c : Box().Commands())
            if (!c.text.empty()) out.push_back(c.text);
        return out;
    }

    QString Caption(int n) const { return sockets->Toggle(n)->text(); }

    int count = 0;
    std::unique_ptr<TEmergencyOff> emergency;
};

TEST_F(EmergencyOffTest, ConfirmedItClearsEverySocketShowsTheBoxSocketsOffAndSendsDelayThenAllOff) {
    BuildFor("USB-NELTA4", 4);
    for (int n : {1, 3, 6, 24}) SetPower(n, true);
    switching->SetSpeedButtonGreen(Button(1));
    sockets->Toggle(1)->setText(TSocketActions::ToggleCaption(1, true));
    const QString caption5 = Caption(5);
    TakeCommands();

    // From the wide button under the banner: one click, one emergency off.
    form->ControlOf(view->SpeedButton1())->Click();

    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "ACHTUNG: NOTAUS, sind Sie sicher!");
    EXPECT_EQ(platform.messages[0].caption, "NOTAUS");
    EXPECT_EQ(platform.messages[0].buttons, MsgButtons::OkCancelDefaultCancel);

    for (int n = 1; n <= 24; ++n) EXPECT_FALSE(Power(n)) << n;
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(Caption(n), TSocketActions::ToggleCaption(n, false)) << n;
        EXPECT_EQ(TImageList::IndexOf(sockets->Toggle(n)->icon()), TImageList::SocketOff) << n;
        EXPECT_TRUE(ShowsGray(n)) << n;
    }
    EXPECT_EQ(Caption(5), caption5);  // beyond the box: left as it was

    EXPECT_EQ(Commands(), (std::vector<std::string>{"att0", "atoff"}));
    for (int n = 1; n <= 4; ++n) EXPECT_FALSE(Box().Socket(n));
    EXPECT_EQ(MemoLines(), (std::vector<std::string>{"SEND: att0", "RECV: OK", "SEND: atoff", "RECV: OK WAIT",
                                                     "RECV: WAIT", "RECV: SET PORT ALL OFF"}));
    // No user activity: the auto-hide period is not restarted.
    EXPECT_EQ(autoHideRestarts, 0);
}

TEST_F(EmergencyOffTest, OnTheSecondPageTheButtonsTurnGreyAndTheLabelsShowThatPage) {
    BuildFor("USB-NELTA8", 8);
    view->TabControl_AC_Dosen()->setCurrentIndex(1);
    for (int n = 5; n <= 8; ++n) SetPower(n, true);
    pages->Init_AC_DosenChange();
    ASSERT_TRUE(ShowsGreen(1));
    for (int k = 1; k <= 4; ++k) view->ACNameX(k)->setText(QStringLiteral("alt"));

    actions->Action_DangerOFF()->trigger();

    for (int k = 1; k <= 4; ++k) {
        EXPECT_TRUE(ShowsGray(k)) << k;
        EXPECT_EQ(view->ACNameX(k)->text().toStdString(), "Name " + std::to_string(4 + k));
    }
    for (int n = 1; n <= 8; ++n) EXPECT_EQ(Caption(n), TSocketActions::ToggleCaption(n, false)) << n;
}

TEST_F(EmergencyOffTest, CancelOrAClosedPortChangesNothing) {
    BuildFor("USB-NELTA4", 4);
    SetPower(2, true);
    switching->SetSpeedButtonGreen(Button(2));
    const QString caption2 = Caption(2);
    TakeCommands();

    platform.messageAnswers.push_back(MsgResult::Cancel);
    actions->Action_DangerOFF()->trigger();
    port.SetConnected(false);
    actions->Action_DangerOFF()->trigger();  // confirmed, but no port

    EXPECT_EQ(platform.messages.size(), 2u);
    EXPECT_TRUE(Power(2));
    EXPECT_EQ(Caption(2), caption2);
    EXPECT_TRUE(ShowsGreen(2));
    EXPECT_TRUE(TakeCommands().empty());
    EXPECT_TRUE(MemoLines().empty());
}

TEST_F(EmergencyOffTest, AWindowLockedOnTopIsLoweredOnlyWhileTheQuestionIsShown) {
    BuildFor("USB-NELTA4", 4);
    window->show();
    ASSERT_TRUE(form->SetStayOnTop(true));
    QWindow* native = window->windowHandle();
    ASSERT_NE(native, nullptr);
    ASSERT_TRUE(native->flags().testFlag(Qt::WindowStaysOnTopHint));

    bool onTopDuringQuestion = true;
    platform.onMessage = [&](const ShownMessage&) {
        onTopDuringQuestion = window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
    };
    platform.messageAnswers.push_back(MsgResult::Cancel);
    actions->Action_DangerOFF()->trigger();

    EXPECT_FALSE(onTopDuringQuestion);
    EXPECT_TRUE(window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    // The lock itself (the widget's flag) and the window's visibility were
    // never touched.
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window->isVisible());
    platform.onMessage = nullptr;
}

TEST_F(EmergencyOffTest, ABoxThatVanishesLeavesEverythingOffAndReportsThePortError) {
    BuildFor("USB-NELTA4", 4);
    SetPower(1, true);
    port.RemovePort(kComNo);  // unplugged; the port object still counts as open

    actions->Action_DangerOFF()->trigger();

    EXPECT_FALSE(Power(1));
    EXPECT_EQ(Caption(1), TSocketActions::ToggleCaption(1, false));
    // The question, then the port error reported once.
    EXPECT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(reportedErrors.size(), 1u);
}

}  // namespace
