// The box controller without any window: the command exchange (COM-port
// log, response wait), the one queue of every exchange (clicks in the middle
// of a wait, the emergency off that wins, port errors, the bounded end) and
// the start's command sequences, against the simulated box on the virtual
// clock. The view records what the window would show.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/BoxController.h"
#include "device/BoxView.h"
#include "device/SimulatedSerialPort.h"
#include "device/muATCmd.h"
#include "hub/mVedadAzaro.h"
#include "store/muDataHolder.h"
#include "support/FakePlatform.h"

namespace {

using Lines = std::vector<std::string>;

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// What the window would show, and the settings dialog's delay option as the
// dialog runs it.
class RecordingView : public TBoxView {
public:
    void AddLogLine(const std::string& text) override { log.push_back(text); }
    void ShowStatus(const std::string& text) override { statuses.push_back(text); }
    void ShowSocket(int n, bool on) override { shown.push_back((on ? "+" : "-") + std::to_string(n)); }
    void HideSockets() override { ++hidden; }
    void ShowModel(int count, const std::vector<std::string>& tabs) override {
        sockets = count;
        tabCount = static_cast<int>(tabs.size());
    }
    void ShowPages(bool known) override { pagesKnown = known; }
    void ShowAllOff() override { ++allOff; }
    void ShowDelay(int seconds) override {
        delaySeconds = seconds;
        // Ticking the check box is a change of the option.
        if (!delayTicked) {
            delayTicked = true;
            RunDelayOption();
        }
    }
    void RunDelayOption() override {
        if (controller) controller->SetDelay(delayTicked, std::to_string(delaySeconds), {});
    }

    TBoxController* controller = nullptr;
    Lines log;
    Lines statuses;
    Lines shown;
    int hidden = 0;
    int sockets = 0;
    int tabCount = 0;
    bool pagesKnown = false;
    int allOff = 0;
    bool delayTicked = false;
    int delaySeconds = 0;
};

class BoxControllerTest : public ::testing::Test {
protected:
    static constexpr int kComNo = 3;

    BoxControllerTest() {
        TmuDataholder& holder = *hub.Dataholder();
        for (int n = 1; n <= 24; ++n) {
            holder.InitValueBoolean("AC01|AC|ACPower" + TwoDigits(n), false);
            holder.InitValueString("AC01|AC|AC_Name" + TwoDigits(n), "Steckdosenname");
        }
        holder.InitValueBoolean("AC01|AC|AC_DELAY", false);
        holder.InitValueInteger("AC01|AC|AC_DELAYTIME", 0);
        holder.InitValueBoolean("AC01|AC|AC_BEEPER", true);
        holder.InitValueString("AC01|AC|AC_Controller", "None");
        for (const char* key : {"Port", "Baudrate", "Stopbit", "Parity", "Flowcontrol"})
            holder.InitValueString(std::string("AC01|COM|") + key, "");

        controller.Queue().SetApplication(&application);
        controller.Queue().SetErrorReport([this](const std::string& text) { reported.push_back(text); });
        controller.SetView(&view);
        view.controller = &controller;
        hub.setApplication(&controller.Queue().Pump());
        at.setApplication(&controller.Queue().Pump());
        at.SetATComPort(&port);
        at.SetTimeout(TmuATCmd::kSearchTimeout);
        at.SetCancel([this] { return controller.AtCancelled(); });
    }

    // A box on COM3 whose echo and reply arrive together, the port open on it.
    TNeltaBox& OpenBox(TNeltaBoxConfig config = {}) {
        config.replyDelayMs = 0;
        TNeltaBox& box = port.AddBox(kComNo, std::move(config));
        port.SetPort("COM" + std::to_string(kComNo));
        if (!port.Connected()) port.SetConnected(true);
        return box;
    }
    TNeltaBox& Box() { return *port.Box(kComNo); }

    // The command lines the box received (a bare carriage return gives "").
    Lines Commands() {
        Lines out;
        for (const auto& c : Box().Commands()) out.push_back(c.text);
        return out;
    }
    Lines CommandsWithoutReturns() {
        Lines out;
        for (const auto& c : Box().Commands())
            if (!c.text.empty()) out.push_back(c.text);
        return out;
    }
    int BareReturns() {
        int n = 0;
        for (const auto& c : Box().Commands()) n += c.text.empty();
        return n;
    }

    bool Power(int n) { return hub.Dataholder()->getValueBoolean("AC01|AC|ACPower" + TwoDigits(n)); }
    void SetPower(int n, bool on) { hub.Dataholder()->setValueBoolean("AC01|AC|ACPower" + TwoDigits(n), on); }

    // Runs `action` once, at the n-th message served from now on.
    void AtServed(int n, std::function<void()> action) {
        served = 0;
        application.onProcess = [this, n, action = std::move(action)] {
            if (++served == n) action();
        };
    }

    FakePlatform platform;
    FakeApplication application;
    SimulatedSerialPort port;
    TmVedadAzaro hub;
    TmuATCmd at;
    RecordingView view;
    bool initStart = true;
    int acDosenCount = 8;
    bool logging = true;
    int served = 0;
    Lines reported;
    TBoxController controller{
        TBoxController::TLinks{.hub = &hub,
                               .port = &port,
                               .atCmd = [this] { return &at; },
                               .programLogging = {},
                               .activity = {}},
        TBoxController::TState{
            .InitStart = &initStart, .ACDosenCount = &acDosenCount, .COMPortLogging = &logging}};
};

// ---- The command exchange ------------------------------------------------------

TEST_F(BoxControllerTest, ResponseWaitRunsUntilTheEndMarkerAndLogsOnlyWhileLogging) {
    struct Case {
        const char* name;
        bool logging;
        Lines log;
    };
    const Case cases[] = {
        {"logged", true, {"RECV: OK WAIT", "RECV: WAIT", "RECV: SET PORT 5 ON"}},
        // Without the log the carriage returns still go out and are answered.
        {"silent", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.log.clear();
        logging = c.logging;
        TNeltaBoxConfig config;
        config.busyAnswers = 2;  // "OK WAIT", then one "WAIT", then "SET PORT 5 ON"
        TNeltaBox& box = OpenBox(config);

        const std::string reply = controller.ReplyText(controller.SendCommand("atn5"));
        ASSERT_EQ(reply, "OK WAIT");
        controller.get_PortInput(reply, "WAIT", "PORT");

        EXPECT_EQ(BareReturns(), 2);
        EXPECT_EQ(view.log, c.log);
        EXPECT_TRUE(box.Socket(5));
    }
}

TEST_F(BoxControllerTest, WaitMarkerAtTheFirstCharacterIsOnlyLogged) {
    OpenBox();
    controller.get_PortInput("WAIT", "WAIT", "SET PORT");
    controller.get_PortInput("", "WAIT", "SET PORT");  // an empty reply: no line at all
    EXPECT_EQ(view.log, Lines{"RECV: WAIT"});
    EXPECT_TRUE(port.Written().empty());
}

TEST_F(BoxControllerTest, EndMarkerThatNeverComesEndsAfterOneHundredAttempts) {
    struct Case {
        const char* name;
        TNeltaFault fault;
        int busyAnswers;
        std::string beforeLast;
    };
    const Case cases[] = {
        {"endless WAIT", TNeltaFault::Wait, 2, "RECV: WAIT"},
        // The marker with the hundredth answer still counts as a timeout.
        {"marker at the last attempt", TNeltaFault::None, TBoxController::kWaitAttempts,
         "RECV: SET PORT 2 ON"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.log.clear();
        port.SetConnected(false);
        TNeltaBoxConfig config;
        config.fault = c.fault;
        config.busyAnswers = c.busyAnswers;
        OpenBox(config);
        controller.get_PortInput(controller.ReplyText(controller.SendCommand("atn2")), "WAIT", "SET PORT");
        EXPECT_EQ(BareReturns(), TBoxController::kWaitAttempts);
        ASSERT_GE(view.log.size(), 2u);
        EXPECT_EQ(view.log.at(view.log.size() - 2), c.beforeLast);
        EXPECT_EQ(view.log.back(), "RECV: Timeout: get_PortInput");
    }
}

TEST_F(BoxControllerTest, SingleByteOrSilenceIsNoAnswer) {
    // The box answers a bare carriage return with one byte only.
    TNeltaBoxConfig config;
    config.script = [](const std::string& command) -> std::optional<std::string> {
        if (command.empty()) return std::string("X");
        return std::nullopt;
    };
    OpenBox(config);
    EXPECT_EQ(controller.set_CMD_and_Respons_InputCount("\r"), -1);
    EXPECT_EQ(platform.beeps, 1);

    // A reply that stays "WAIT" because nothing comes back: every attempt
    // beeps, the wait still ends.
    TNeltaBoxConfig silent;
    silent.fault = TNeltaFault::Silent;
    port.SetConnected(false);
    OpenBox(silent);
    controller.SendCommand("atn1");  // the box falls silent with its first command
    controller.get_PortInput("OK WAIT", "WAIT", "PORT");
    EXPECT_EQ(BareReturns(), TBoxController::kWaitAttempts);
    EXPECT_EQ(platform.beeps, 2 + TBoxController::kWaitAttempts);
    EXPECT_EQ(view.log, (Lines{"RECV: OK WAIT", "RECV: Timeout: get_PortInput"}));
}

TEST_F(BoxControllerTest, SocketOffSendsThePlainNumberAndWaitsOrShowsTheTimeout) {
    TNeltaBoxConfig config;
    config.model = "USB-NELTA16";
    TNeltaBox& box = OpenBox(config);
    box.SetSocket(12, true);
    controller.set_port_ato(12);
    EXPECT_FALSE(box.Socket(12));
    EXPECT_EQ(CommandsWithoutReturns(), Lines{"ato12"});
    ASSERT_FALSE(view.log.empty());
    EXPECT_EQ(view.log.front(), "SEND: ato12");
    EXPECT_EQ(view.log.back(), "RECV: SET PORT 12 OFF");
    EXPECT_TRUE(view.statuses.empty());

    view.log.clear();
    TNeltaBoxConfig silent;
    silent.fault = TNeltaFault::Silent;
    OpenBox(silent);
    controller.set_port_ato(3);
    EXPECT_EQ(view.log, (Lines{"SEND: ato3", "RECV: Timeout"}));
    EXPECT_EQ(view.statuses, Lines{"COM3 > Status: Timeout"});
}

// ---- The queue --------------------------------------------------------------------

TEST_F(BoxControllerTest, ClicksDuringAWaitRunAfterItInOrder) {
    TNeltaBoxConfig config;
    config.busyAnswers = 3;
    OpenBox(config);
    AtServed(1, [this] {
        controller.MultiAction_Steckdose_Toggle(3);
        controller.MultiAction_Steckdose_Toggle(4);
        // The state and the display flip at once; the box waits its turn.
        EXPECT_TRUE(Power(3));
        EXPECT_EQ(controller.Queue().Pending(), 2);
    });
    controller.MultiAction_Steckdose_Toggle(7);

    EXPECT_EQ(CommandsWithoutReturns(), (Lines{"atn7", "atn3", "atn4"}));
    EXPECT_EQ(view.shown, (Lines{"+7", "+3", "+4"}));
    EXPECT_EQ(controller.Queue().Pending(), 0);
    for (int n : {3, 4, 7}) EXPECT_TRUE(Box().Socket(n)) << n;
}

TEST_F(BoxControllerTest, FurtherClicksOnAQueuedSocketChangeOnlyItsStoredState) {
    struct Case {
        int clicks;
        const char* command;
    };
    for (const Case c : {Case{3, "atn2"}, Case{2, "ato2"}, Case{4, "ato2"}}) {
        SCOPED_TRACE(c.clicks);
        port.SetConnected(false);
        TNeltaBoxConfig config;
        config.busyAnswers = 5;
        OpenBox(config);
        SetPower(1, false);
        SetPower(2, false);
        AtServed(1, [this, c] {
            for (int i = 0; i < c.clicks; ++i) controller.MultiAction_Steckdose_Toggle(2);
        });
        controller.MultiAction_Steckdose_Toggle(1);

        // Exactly one command for socket 2, the one of its stored state.
        EXPECT_EQ(CommandsWithoutReturns(), (Lines{"atn1", c.command}));
        EXPECT_EQ(Power(2), c.clicks % 2 == 1);
        EXPECT_EQ(Box().Socket(2), Power(2));
    }
}

TEST_F(BoxControllerTest, EmergencyOffDropsQueuedSwitchesAndIsTheNextExchange) {
    TNeltaBoxConfig config;
    config.fault = TNeltaFault::Wait;  // the first switch never ends by itself
    OpenBox(config);
    SetPower(20, true);  // above the box's sockets: stored off all the same
    AtServed(1, [this] {
        controller.MultiAction_Steckdose_Toggle(2);
        controller.MultiAction_Steckdose_Toggle(3);
        controller.Action_DangerOFF();
    });
    controller.MultiAction_Steckdose_Toggle(1);

    const Lines sent = CommandsWithoutReturns();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent, (Lines{"atn1", "att0", "atoff"}));
    // The wait of "atn1" ended at once: no carriage return between "atn1"
    // and "att0".
    const Lines all = Commands();
    const auto att0 = std::find(all.begin(), all.end(), "att0");
    EXPECT_LE(std::count(all.begin(), att0, ""), 1);
    for (int n = 1; n <= 24; ++n) EXPECT_FALSE(Power(n)) << n;
    for (int n = 1; n <= 8; ++n) EXPECT_FALSE(Box().Socket(n)) << n;
    EXPECT_EQ(view.allOff, 1);
    EXPECT_TRUE(reported.empty());
}

TEST_F(BoxControllerTest, EmergencyOffCutsTheRestoreOfTheStartShort) {
    OpenBox();
    for (int n = 1; n <= 8; ++n) SetPower(n, true);
    initStart = true;
    // Once the restore has begun ("atn1" sent), the user confirms NOTAUS.
    application.onProcess = [this] {
        const Lines sent = CommandsWithoutReturns();
        if (std::find(sent.begin(), sent.end(), "atn1") != sent.end() && view.allOff == 0)
            controller.Action_DangerOFF();
    };
    // The search left the box's port open and listed.
    at.add_COMPort(kComNo, true, "NELTA-V1.4-BOX8-USB-NELTA8", true);
    controller.Init_AC_Active();

    Lines sent = CommandsWithoutReturns();
    const auto atn1 = std::find(sent.begin(), sent.end(), "atn1");
    ASSERT_NE(atn1, sent.end());
    EXPECT_EQ(Lines(atn1 + 1, sent.end()), (Lines{"att0", "atoff"}));
    EXPECT_FALSE(initStart);
    for (int n = 1; n <= 8; ++n) EXPECT_FALSE(Power(n)) << n;
}

TEST_F(BoxControllerTest, APortErrorEndsOnlyItsExchangeAndIsReportedOnce) {
    OpenBox();
    AtServed(1, [this] {
        controller.MultiAction_Steckdose_Toggle(2);
        port.RemovePort(kComNo);
    });
    controller.MultiAction_Steckdose_Toggle(1);
    // One report per failed exchange; both stored states changed.
    EXPECT_EQ(reported.size(), 2u);
    EXPECT_TRUE(Power(1));
    EXPECT_TRUE(Power(2));

    // Options after the box vanished neither store nor send, each reported.
    application.onProcess = nullptr;
    hub.Dataholder()->setValueBoolean("AC01|AC|AC_BEEPER", true);
    controller.SetBeeper(false);
    bool resetDone = false;
    controller.FactoryReset([&](const std::string&) { resetDone = true; });
    controller.Action_DangerOFF();
    EXPECT_TRUE(hub.Dataholder()->getValueBoolean("AC01|AC|AC_BEEPER"));
    EXPECT_FALSE(resetDone);
    EXPECT_EQ(reported.size(), 5u);
    // The emergency off stored every socket off before telling the box.
    EXPECT_FALSE(Power(1));
    EXPECT_EQ(controller.Queue().Pending(), 0);
    EXPECT_FALSE(controller.Queue().Running());
}

// ---- The end ------------------------------------------------------------------------

TEST_F(BoxControllerTest, TheEndCutsTheWaitDropsQueuedSwitchesAndBoundsTheSwitchOff) {
    TNeltaBoxConfig config;
    config.fault = TNeltaFault::Wait;
    OpenBox(config);
    std::size_t atEnd = 0;
    std::int64_t endMs = 0;
    AtServed(3, [&] {
        controller.MultiAction_Steckdose_Toggle(2);
        controller.MultiAction_Steckdose_Toggle(3);
        atEnd = Box().Commands().size();
        endMs = platform.NowMs();
        controller.RequestEnd();
    });
    controller.MultiAction_Steckdose_Toggle(1);
    application.onProcess = nullptr;

    // Nothing more after the end's request: the wait ended, the clicks
    // were dropped (their stored states stay for saving).
    EXPECT_EQ(Box().Commands().size(), atEnd);
    EXPECT_TRUE(Power(2));
    EXPECT_TRUE(Power(3));
    EXPECT_EQ(controller.Queue().Pending(), 0);
    // A click after the end changes the stored state only.
    controller.MultiAction_Steckdose_Toggle(4);
    EXPECT_TRUE(Power(4));
    EXPECT_EQ(Box().Commands().size(), atEnd);

    // The marked sockets still go off; a box that answers "WAIT" forever
    // holds the end for its time budget at most, and the later switch-offs
    // are sent without waiting.
    for (int n : {5, 6, 7}) controller.SwitchOffAtEnd(n);
    const Lines sent = CommandsWithoutReturns();
    EXPECT_EQ(Lines(sent.end() - 3, sent.end()), (Lines{"ato5", "ato6", "ato7"}));
    EXPECT_LE(platform.NowMs() - endMs, TExchangeQueue::kEndBudgetMs + 500);
    for (int n : {5, 6, 7}) EXPECT_FALSE(Box().Socket(n)) << n;
}

TEST_F(BoxControllerTest, TheEndStopsTheSearchAtItsNextAttempt) {
    port.AddPort(1);  // opens, nobody answers: 100 attempts of "at"
    at.SearchCOMPorts();
    const std::int64_t start = platform.NowMs();
    AtServed(30, [this] { controller.RequestEnd(); });
    at.SearchATCmdAtAutostart();
    const std::int64_t searchEnd = platform.NowMs();
    at.SearchATCmd();
    at.SearchATICmd();
    std::string f1, f2, f3, f4;
    EXPECT_EQ(at.SetNELTA(f1, f2, f3, f4), 0);
    // Well under one attempt's time after the request, and no further search.
    EXPECT_LT(searchEnd - start, 3000);
    // Without the end the silent port would have been asked 100 times.
    int asked = 0;
    for (std::size_t p = port.Written().find("at\r"); p != std::string::npos;
         p = port.Written().find("at\r", p + 1))
        ++asked;
    EXPECT_LT(asked, 10);
    EXPECT_EQ(platform.NowMs(), searchEnd);
}

// ---- The start's command sequences ----------------------------------------------

TEST_F(BoxControllerTest, StartSequencesOfBothStartOrdersAreUnchanged) {
    struct Case {
        bool initStart;
        Lines expected;
    };
    // Sockets 2 and 6 stored on, no switching delay: the delay option sends
    // "at" and "att0".
    const Case cases[] = {
        {true,
         {"at", "ati", "att0", "at", "at", "ati", "atv", "ato1", "att0", "atn2", "ato3", "ato4", "ato5",
          "att0", "atn6", "ato7", "ato8", "at", "att0"}},
        {false, {"at",   "ati",  "at",   "att0", "ato1", "atn2", "ato3", "ato4", "ato5", "atn6",
                 "ato7", "ato8", "at",   "at",   "ati",  "atv",  "ato1", "att0", "atn2", "ato3",
                 "ato4", "ato5", "att0", "atn6", "ato7", "ato8", "at",   "att0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.initStart ? "InitStart true" : "InitStart false");
        port.SetConnected(false);
        OpenBox();
        at.add_COMPort(kComNo, true, "NELTA-V1.4-BOX8-USB-NELTA8", true);
        for (int n = 1; n <= 8; ++n) SetPower(n, n == 2 || n == 6);
        initStart = c.initStart;
        acDosenCount = 0;

        controller.Init_AC_Active();

        EXPECT_EQ(CommandsWithoutReturns(), c.expected);
        EXPECT_FALSE(initStart);
        EXPECT_EQ(acDosenCount, 8);
        EXPECT_EQ(view.sockets, 8);
        EXPECT_EQ(view.tabCount, 2);
        EXPECT_TRUE(view.pagesKnown);
        ASSERT_FALSE(view.statuses.empty());
        EXPECT_EQ(view.statuses.back(), "COM3 > NELTA-V1.4-BOX8-USB-NELTA8");
        for (int n = 1; n <= 8; ++n) EXPECT_EQ(Box().Socket(n), n == 2 || n == 6) << n;
    }
}

}  // namespace
