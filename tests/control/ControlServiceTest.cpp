// The running program's answers to scripts: every request answered exactly
// once, a switch through the box controller's queue as a click, the
// emergency off that drops a queued scripted switch, and the bounds of a
// program that is starting, ending or without a box. Against the simulated
// box on the virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "control/ControlProtocol.h"
#include "control/ControlService.h"
#include "device/BoxController.h"
#include "device/SimulatedSerialPort.h"
#include "device/muATCmd.h"
#include "hub/mVedadAzaro.h"
#include "store/muDataHolder.h"
#include "support/FakePlatform.h"

namespace {

using Lines = std::vector<std::string>;

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

class ControlServiceTest : public ::testing::Test {
public:
    static constexpr int kComNo = 3;

    ControlServiceTest() {
        TmuDataholder& holder = *hub.Dataholder();
        for (int n = 1; n <= 24; ++n) {
            for (const char* flag : {"ACPower", "AC_Down", "ACWDown"})
                holder.InitValueBoolean("AC01|AC|" + std::string(flag) + TwoDigits(n), false);
            holder.InitValueString("AC01|AC|AC_Name" + TwoDigits(n), "Steckdosenname");
        }
        holder.InitValueBoolean("AC01|AC|AC_DELAY", false);
        holder.InitValueInteger("AC01|AC|AC_DELAYTIME", 0);
        holder.InitValueBoolean("AC01|AC|AC_BEEPER", true);
        holder.InitValueString("AC01|AC|AC_Controller", "None");
        for (const char* key : {"Port", "Baudrate", "Stopbit", "Parity", "Flowcontrol"})
            holder.InitValueString(std::string("AC01|COM|") + key, "");

        controller.Queue().SetApplication(&application);
        hub.setApplication(&controller.Queue().Pump());
        at.setApplication(&controller.Queue().Pump());
        at.SetATComPort(&port);
        at.SetTimeout(TmuATCmd::kSearchTimeout);
        at.SetCancel([this] { return controller.AtCancelled(); });
    }

    // The start found an 8-socket box on COM3 and set it up.
    void StartWithBox(TNeltaBoxConfig config = {}) {
        config.replyDelayMs = 0;
        port.AddBox(kComNo, std::move(config));
        port.SetPort("COM3");
        port.SetConnected(true);
        at.add_COMPort(kComNo, true, "NELTA-V1.4-BOX8-USB-NELTA8", true);
        controller.Init_AC_Active();
        ASSERT_FALSE(initStart);
        ClearCommands();
    }
    void ClearCommands() { mark = Box().Commands().size(); }
    TNeltaBox& Box() { return *port.Box(kComNo); }
    Lines Commands() {
        Lines out;
        const auto& commands = Box().Commands();
        for (std::size_t i = mark; i < commands.size(); ++i)
            if (!commands[i].text.empty()) out.push_back(commands[i].text);
        return out;
    }
    void SetString(const std::string& path, const std::string& value) {
        hub.Dataholder()->setValueString(path, value);
    }
    void SetFlag(const std::string& path, bool value) { hub.Dataholder()->setValueBoolean(path, value); }
    bool Power(int n) { return hub.Dataholder()->getValueBoolean("AC01|AC|ACPower" + TwoDigits(n)); }

    // Sends one request line; the answers it got so far.
    std::vector<TControlResult>& Request(const std::string& line) {
        answers.emplace_back();
        std::vector<TControlResult>& got = answers.back();
        service.Handle(line, [&got](const std::string& answer) {
            ControlProtocol::TResultReader reader;
            ASSERT_TRUE(reader.Feed(answer));
            ASSERT_TRUE(reader.Done());
            got.push_back(reader.Result());
        });
        return got;
    }

    // Several scripts at once: while the first request's exchange waits for
    // the box, the next scripts' requests come in, each as soon as the one
    // before it was answered. Each answer must come right after its own
    // exchange, not once no request is left (the first script would wait as
    // long as the others keep coming).
    void AnsweredInTurn(const std::string& first) {
        TNeltaBoxConfig config;
        config.busyAnswers = 2;
        StartWithBox(config);
        constexpr int kRequests = 12;
        std::vector<int> order;  // the requests' numbers in the order of their answers
        int sent = 0;
        auto send = [&](const std::string& line) {
            const int id = sent++;
            service.Handle(line, [&order, id](const std::string&) { order.push_back(id); });
        };
        application.onProcess = [&] {
            // The next script asks once the one before it has its answer.
            if (sent < kRequests && static_cast<int>(order.size()) >= sent - 1)
                send("TAVRIN/1 toggle " + std::to_string(2 + sent % 6));
        };
        send(first);
        application.onProcess = nullptr;
        ASSERT_EQ(sent, kRequests);
        std::vector<int> expected(kRequests);
        for (int i = 0; i < kRequests; ++i) expected[static_cast<std::size_t>(i)] = i;
        EXPECT_EQ(order, expected);
    }

    FakePlatform platform;
    FakeApplication application;
    SimulatedSerialPort port;
    TmVedadAzaro hub;
    TmuATCmd at;
    bool initStart = true;
    int acDosenCount = 0;
    bool logging = true;
    int activity = 0;
    std::deque<std::vector<TControlResult>> answers;
    std::size_t mark = 0;
    TBoxController controller{
        TBoxController::TLinks{.hub = &hub,
                               .port = &port,
                               .atCmd = [this] { return &at; },
                               .programLogging = {},
                               .activity = [this] { ++activity; }},
        TBoxController::TState{
            .InitStart = &initStart, .ACDosenCount = &acDosenCount, .COMPortLogging = &logging}};
    int shown = 0;
    int hidden = 0;
    int quit = 0;
    TControlService service{
        controller, *hub.Dataholder(),
        TControlHooks{.show = [this] { ++shown; }, .hide = [this] { ++hidden; }, .quit = [this] { ++quit; }}};
};

TEST_F(ControlServiceTest, StatusReportsTheModelPortNamesStatesAndMarks) {
    StartWithBox();
    SetString("AC01|AC|AC_Name02", "Lampe Flur");
    SetFlag("AC01|AC|ACPower02", true);
    SetFlag("AC01|AC|AC_Down07", true);
    SetFlag("AC01|AC|ACWDown07", true);

    const auto& got = Request("TAVRIN/1 status");
    ASSERT_EQ(got.size(), 1u);
    const TControlResult& status = got[0];
    EXPECT_TRUE(status.Ok());
    EXPECT_EQ(status.model, "USB-NELTA8");
    EXPECT_EQ(status.port, "COM3");
    ASSERT_EQ(status.sockets.size(), 8u);
    EXPECT_EQ(status.sockets[1].name, "Lampe Flur");
    EXPECT_TRUE(status.sockets[1].on);
    EXPECT_TRUE(status.sockets[6].endAction && status.sockets[6].endOff);
    EXPECT_FALSE(status.sockets[0].on || status.sockets[0].endAction);
    EXPECT_TRUE(Commands().empty());  // the status asks the box nothing
}

TEST_F(ControlServiceTest, SwitchesGoThroughTheControllerAndAnswerAfterTheCommand) {
    StartWithBox();
    SetString("AC01|AC|AC_Name04", "Drucker");
    struct Case {
        const char* request;
        Lines commands;
        std::vector<std::pair<int, bool>> states;
    };
    const Case cases[] = {
        {"TAVRIN/1 on 5", {"atn5"}, {{5, true}}},
        // Already on: sent again (the box follows), not toggled off.
        {"TAVRIN/1 on 5", {"atn5"}, {{5, true}}},
        {"TAVRIN/1 toggle 5", {"ato5"}, {{5, false}}},
        {"TAVRIN/1 on 1,3-4", {"atn1", "atn3", "atn4"}, {{1, true}, {3, true}, {4, true}}},
        {"TAVRIN/1 off drucker", {"ato4"}, {{4, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        ClearCommands();
        const int activityBefore = activity;
        const auto& got = Request(c.request);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_TRUE(got[0].Ok()) << got[0].message;
        EXPECT_EQ(Commands(), c.commands);
        ASSERT_EQ(got[0].sockets.size(), c.states.size());
        for (std::size_t i = 0; i < c.states.size(); ++i) {
            EXPECT_EQ(got[0].sockets[i].number, c.states[i].first);
            EXPECT_EQ(got[0].sockets[i].on, c.states[i].second);
            EXPECT_EQ(Power(c.states[i].first), c.states[i].second);
            EXPECT_EQ(Box().Socket(c.states[i].first), c.states[i].second);
        }
        // Every switched socket counts as activity, as a click does.
        EXPECT_EQ(activity - activityBefore, static_cast<int>(c.states.size()));
    }
}

TEST_F(ControlServiceTest, EveryBadOrUntimelyRequestGetsExactlyOneErrorAnswerAndSwitchesNothing) {
    struct Case {
        const char* name;
        std::function<void(ControlServiceTest&)> setUp;
        const char* request;
        TControlCode code;
    };
    const Case cases[] = {
        {"garbage", {}, "\x01\xff hallo", TControlCode::Usage},
        {"other version", {}, "TAVRIN/2 on 5", TControlCode::Usage},
        {"unknown verb", {}, "TAVRIN/1 explode 5", TControlCode::Usage},
        {"missing sockets", {}, "TAVRIN/1 on", TControlCode::Usage},
        {"beyond the box", {}, "TAVRIN/1 on 9", TControlCode::Usage},
        {"ambiguous name", {}, "TAVRIN/1 on Steckdosenname", TControlCode::Usage},
        {"unknown name", {}, "TAVRIN/1 on Kaffee", TControlCode::Usage},
        {"broken escape", {}, "TAVRIN/1 on Lampe%2", TControlCode::Usage},
        {"still starting", [](ControlServiceTest& t) { t.initStart = true; }, "TAVRIN/1 on 5",
         TControlCode::NotReady},
        {"port closed", [](ControlServiceTest& t) { t.port.SetConnected(false); }, "TAVRIN/1 on 5",
         TControlCode::Unreachable},
        {"ending", [](ControlServiceTest& t) { t.controller.RequestEnd(); }, "TAVRIN/1 on 5",
         TControlCode::Unreachable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        port.SetConnected(false);
        initStart = true;
        StartWithBox();
        if (c.setUp) c.setUp(*this);
        const auto& got = Request(c.request);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].code, c.code);
        EXPECT_FALSE(got[0].message.empty());
        EXPECT_FALSE(Power(5));
        if (port.Connected()) {
            EXPECT_TRUE(Commands().empty());
        }
    }
}

TEST_F(ControlServiceTest, ARequestDuringAnExchangeWaitsItsTurnAndIsAnsweredAfterIt) {
    TNeltaBoxConfig config;
    config.busyAnswers = 3;  // the first switch waits for the box
    StartWithBox(config);
    std::vector<TControlResult>* during = nullptr;
    bool once = false;
    application.onProcess = [&] {
        if (once) return;
        once = true;
        during = &Request("TAVRIN/1 on 6");
        // Not yet: the running exchange is still waiting.
        EXPECT_TRUE(during->empty());
    };
    const auto& first = Request("TAVRIN/1 on 5");
    ASSERT_NE(during, nullptr);
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(during->size(), 1u);
    EXPECT_TRUE((*during)[0].Ok());
    EXPECT_EQ(Commands(), (Lines{"atn5", "atn6"}));
}

TEST_F(ControlServiceTest, EmergencyOffDropsAQueuedScriptedSwitchAndSaysSo) {
    TNeltaBoxConfig config;
    config.busyAnswers = 3;
    StartWithBox(config);
    std::vector<TControlResult>* queued = nullptr;
    std::vector<TControlResult>* allOff = nullptr;
    int served = 0;
    application.onProcess = [&] {
        ++served;
        if (served == 1) queued = &Request("TAVRIN/1 on 6");
        if (served == 2) allOff = &Request("TAVRIN/1 all-off");
    };
    Request("TAVRIN/1 on 5");
    ASSERT_NE(queued, nullptr);
    ASSERT_NE(allOff, nullptr);
    ASSERT_EQ(queued->size(), 1u);
    EXPECT_EQ((*queued)[0].code, TControlCode::NoAnswer);
    ASSERT_EQ(allOff->size(), 1u);
    EXPECT_TRUE((*allOff)[0].Ok());
    // Socket 6 never got its "atn6": the emergency off came first.
    const Lines commands = Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "atn6"), 0);
    EXPECT_NE(std::find(commands.begin(), commands.end(), "atoff"), commands.end());
    EXPECT_FALSE(Power(6));
    EXPECT_FALSE(Box().Socket(5));
}

// Several scripts at once (see AnsweredInTurn): a switch and the emergency
// off are each answered right after their own exchange.
TEST_F(ControlServiceTest, EachScriptIsAnsweredAfterItsOwnSwitchWhileOthersKeepComing) {
    AnsweredInTurn("TAVRIN/1 on 1");
}

TEST_F(ControlServiceTest, TheEmergencyOffIsAnsweredAfterItsOwnExchangeWhileOthersKeepComing) {
    AnsweredInTurn("TAVRIN/1 all-off");
}

TEST_F(ControlServiceTest, ABoxThatDoesNotAnswerIsReportedAsNoAnswer) {
    bool silent = false;
    TNeltaBoxConfig config;
    // Answers during the start, silent from the switch on.
    config.script = [&silent](const std::string&) -> std::optional<std::string> {
        if (silent) return std::string();
        return std::nullopt;
    };
    StartWithBox(config);
    silent = true;
    const auto& got = Request("TAVRIN/1 on 2");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].code, TControlCode::NoAnswer);
}

TEST_F(ControlServiceTest, AnAnswerStillWaitingWhenTheProgramEndsIsGivenOnce) {
    TNeltaBoxConfig config;
    config.busyAnswers = 3;
    StartWithBox(config);
    std::vector<TControlResult>* queued = nullptr;
    bool once = false;
    application.onProcess = [&] {
        if (once) return;
        once = true;
        queued = &Request("TAVRIN/1 on 6");
        controller.RequestEnd();
    };
    Request("TAVRIN/1 on 5");
    ASSERT_NE(queued, nullptr);
    ASSERT_EQ(queued->size(), 1u);
    EXPECT_EQ((*queued)[0].code, TControlCode::Unreachable);
}

TEST_F(ControlServiceTest, WindowRequestsRunTheirHooksAndQuitIsAnsweredFirst) {
    StartWithBox();
    Request("TAVRIN/1 show");
    Request("TAVRIN/1 hide");
    bool answeredBeforeQuit = false;
    service.Handle("TAVRIN/1 quit", [&](const std::string&) { answeredBeforeQuit = quit == 0; });
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(hidden, 1);
    EXPECT_EQ(quit, 1);
    EXPECT_TRUE(answeredBeforeQuit);
}

}  // namespace
