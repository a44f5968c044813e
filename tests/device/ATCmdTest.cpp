// The AT command layer against the in-process simulated port on the virtual
// clock: exchanges, the wait, the answer tests and the four searches.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "device/SimulatedSerialPort.h"
#include "device/muATCmd.h"
#include "support/FakePlatform.h"
#include "toolkit/LogTestDir.h"
#include "toolkit/muLogging.h"

namespace {

// Counts the commands a box received that equal text.
int CountOf(const TNeltaBox& box, const std::string& text) {
    int n = 0;
    for (const auto& c : box.Commands()) n += c.text == text;
    return n;
}

class ATCmdTest : public ::testing::Test {
protected:
    ATCmdTest() {
        at = std::make_unique<TmuATCmd>();
        at->SetATComPort(&port);
        // Every served message costs 1 ms of the virtual clock, as in the program.
        at->setApplication(&app);
    }

    // A box on COMn, with the port opened on it and the search's time-out.
    TNeltaBox& OpenOn(int n, TNeltaBoxConfig config = {}) {
        TNeltaBox& box = port.AddBox(n, std::move(config));
        port.SetPort("COM" + std::to_string(n));
        port.SetConnected(true);
        at->SetTimeout(TmuATCmd::kSearchTimeout);
        return box;
    }

    static TNeltaBoxConfig Scripted(std::function<std::optional<std::string>(const std::string&)> script) {
        TNeltaBoxConfig config;
        config.script = std::move(script);
        return config;
    }

    FakePlatform platform;
    LogTestDir dir{platform, false};  // no log folder: traces go nowhere
    FakeApplication app;
    SimulatedSerialPort port;
    std::unique_ptr<TmuATCmd> at;
};

TEST_F(ATCmdTest, ExchangeReturnsTheRawAnswerAfterTheFixedSleep) {
    TNeltaBox& box = OpenOn(3);
    const auto start = platform.NowMs();
    std::string raw;
    at->CheckATMultiCmd("ati", raw);

    EXPECT_EQ(raw, "ati\r\n>NELTA-V1.4-BOX8-USB-NELTA8\r\n");
    EXPECT_EQ(at->GetReplyText(raw), "NELTA-V1.4-BOX8-USB-NELTA8");
    EXPECT_EQ(port.Written(), "ati\r");
    EXPECT_EQ(CountOf(box, "ati"), 1);
    // 100 ms of sleep, then 10 served messages before the first poll.
    EXPECT_GE(platform.NowMs() - start, 110);
    EXPECT_EQ(platform.beeps, 0);
}

TEST_F(ATCmdTest, ReplyTextRule) {
    const struct {
        const char* raw;
        const char* reply;
    } cases[] = {
        {"at\r\n>OK\r\n", "OK"},
        {"at\r\n> ok \r\n", "ok"},
        {"at\r\nOK\r\n", ""},   // no ">"
        {"at\r\n>OK", ""},      // no carriage return after it
        {">A>B\r>C\r", "A>B"},  // the first ">" and the first CR after it
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(at->GetReplyText(c.raw), c.reply) << c.raw;
}

TEST_F(ATCmdTest, WaitNeedsTwoBytesWithinTheTimeout) {
    const struct {
        const char* name;
        std::optional<std::string> answer;  // nullopt: the box stays silent
        int replyDelayMs;
        int timeout;
        bool answered;
    } cases[] = {
        {"prompt answer", std::string("at\r\n>OK\r\n"), 20, 12, true},
        {"answer during the polls", std::string("at\r\n>OK\r\n"), 180, 12, true},
        {"answer after the last poll", std::string("at\r\n>OK\r\n"), 400, 12, false},
        {"one waiting byte", std::string("x"), 20, 12, false},
        {"exactly two bytes", std::string("xy"), 20, 12, true},
        {"silence", std::nullopt, 20, 12, false},
        {"timeout zero still ends", std::nullopt, 20, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TNeltaBoxConfig config;
        config.replyDelayMs = c.replyDelayMs;
        auto answer = c.answer;
        config.script = [answer](const std::string&) -> std::optional<std::string> {
            return answer ? answer : std::optional<std::string>(std::string());
        };
        OpenOn(4, config);
        at->SetTimeout(c.timeout);
        const int beeps = platform.beeps;

        std::string raw;
        at->CheckATMultiCmd("at", raw);
        if (c.answered) {
            EXPECT_EQ(raw, *c.answer);
            EXPECT_EQ(platform.beeps, beeps);
        } else {
            EXPECT_EQ(raw, "");
            EXPECT_EQ(platform.beeps, beeps + 1);
        }
        port.SetConnected(false);
    }
}

TEST_F(ATCmdTest, WaitResultCountsTheWaitingBytesOrMinusOne) {
    OpenOn(4, Scripted([](const std::string&) { return std::string("x"); }));
    EXPECT_EQ(at->ATCMDandResponsInputCount("at\r"), -1);
    OpenOn(5);
    EXPECT_EQ(at->ATCMDandResponsInputCount("at\r"), static_cast<int>(std::string("at\r\n>OK\r\n").size()));
}

TEST_F(ATCmdTest, CheckATCmdAnswerTest) {
    const struct {
        const char* name;
        std::vector<std::string> answers;  // one per "at"; the last repeats
        bool result;
        int atSent;
    } cases[] = {
        {"OK", {"at\r\n>OK\r\n"}, true, 1},
        {"lower-case ok", {"at\r\n>ok\r\n"}, true, 1},
        {"no prompt", {"at\r\nOK\r\n"}, false, 1},
        {"ERROR at the first character", {"ERROR\r\n"}, false, 1},
        {"ERROR once, then OK", {"at\r\n>ERROR\r\n", "at\r\n>OK\r\n"}, true, 2},
        {"ERROR three times", {"at\r\n>ERROR\r\n", "ERROR", "ERROR\r\n", "at\r\n>OK\r\n"}, true, 4},
        {"ERROR for ever gives up", {"at\r\n>ERROR\r\n"}, false, 1 + TmuATCmd::kMaxErrorRepeats},
        {"OK with ERROR behind it gives up",
         {"at\r\n>OK\r\nERROR\r\n"},
         false,
         1 + TmuATCmd::kMaxErrorRepeats},
        {"no answer", {""}, false, 1},
    };
    int com = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto answers = c.answers;
        auto index = std::make_shared<std::size_t>(0);
        TNeltaBox& box = OpenOn(com++, Scripted([answers, index](const std::string&) {
                                    const std::string a = answers[std::min(*index, answers.size() - 1)];
                                    ++*index;
                                    return std::optional<std::string>(a);
                                }));
        EXPECT_EQ(at->CheckATCmd(), c.result);
        EXPECT_EQ(CountOf(box, "at"), c.atSent);
    }
}

TEST_F(ATCmdTest, IdentificationAndFixedCommands) {
    TNeltaBox& box = OpenOn(3);
    std::string ident;
    EXPECT_TRUE(at->CheckATICmd(ident));
    EXPECT_EQ(ident, "NELTA-V1.4-BOX8-USB-NELTA8");

    const struct {
        const char* command;
        bool (TmuATCmd::*op)(std::string&);
    } fixed[] = {
        {"atbon", &TmuATCmd::SetATBONCmd},
        {"atboff", &TmuATCmd::SetATBOffCmd},
        {"atrs", &TmuATCmd::SetATRSCmd},
        {"atsn", &TmuATCmd::SetATSNCmd},
    };
    for (const auto& f : fixed) {
        port.ClearWritten();
        std::string answer;
        EXPECT_TRUE((at.get()->*f.op)(answer)) << f.command;
        EXPECT_EQ(port.Written(), std::string(f.command) + "\r");
        // The raw answer, echo and prompt included.
        EXPECT_EQ(answer.rfind(std::string(f.command) + "\r\n>", 0), 0u) << answer;
    }

    port.ClearWritten();
    std::string answer;
    EXPECT_TRUE(at->SetATTCmd("5", answer));
    EXPECT_EQ(port.Written(), "att5\r");
    EXPECT_EQ(answer, "att5\r\n>OK\r\n");
    EXPECT_EQ(box.Delay(), 5);
}

TEST_F(ATCmdTest, IdentificationWithoutPromptIsTrueButEmpty) {
    OpenOn(3, Scripted([](const std::string&) { return std::string("NELTA-V1-BOX8-USB-NELTA8\r\n"); }));
    std::string ident = "old";
    EXPECT_TRUE(at->CheckATICmd(ident));
    EXPECT_EQ(ident, "");

    OpenOn(4, Scripted([](const std::string&) { return std::string(); }));
    std::string answer = "old";
    EXPECT_FALSE(at->CheckATICmd(ident));
    EXPECT_EQ(ident, "");
    EXPECT_FALSE(at->SetATSNCmd(answer));
    EXPECT_EQ(answer, "");
}

TEST_F(ATCmdTest, StartUpSearchFindsTheFirstBox) {
    TNeltaBoxConfig eight;
    TNeltaBoxConfig four;
    four.model = "USB-NELTA4";
    TNeltaBox& box3 = port.AddBox(3, eight);
    TNeltaBox& box5 = port.AddBox(5, four);
    port.AddPort(7);  // opens, nobody answers
    port.AddBox(9);
    port.SetInUse(9, true);  // held by another program

    EXPECT_TRUE(at->SearchCOMPorts());
    EXPECT_EQ(at->GetTimeout(), 12);
    ASSERT_EQ(at->COMCount(), 3);
    for (const auto& e : at->ComPortList()) {
        EXPECT_TRUE(e.Opened);
        EXPECT_FALSE(e.Responds);
    }
    EXPECT_EQ(at->ComPortList()[0].PortNo, 3);
    EXPECT_EQ(at->ComPortList()[1].PortNo, 5);
    EXPECT_EQ(at->ComPortList()[2].PortNo, 7);
    EXPECT_FALSE(port.Connected());

    EXPECT_TRUE(at->SearchATCmdAtAutostart());
    EXPECT_TRUE(at->SearchATCmd());
    EXPECT_TRUE(at->SearchATICmd());
    EXPECT_TRUE(at->ComPortList()[0].Responds);
    EXPECT_TRUE(at->ComPortList()[1].Responds);
    EXPECT_FALSE(at->ComPortList()[2].Responds);
    EXPECT_EQ(at->ComPortList()[0].Ident, "NELTA-V1.4-BOX8-USB-NELTA8");
    EXPECT_EQ(at->ComPortList()[1].Ident, "NELTA-V1.4-BOX4-USB-NELTA4");
    EXPECT_EQ(at->ComPortList()[2].Ident, "");
    // The last answering port stays open.
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(port.Port(), "COM5");

    // Lenient: one "at"; strict: 4 + 3; identification twice.
    for (TNeltaBox* box : {&box3, &box5}) {
        EXPECT_EQ(CountOf(*box, "at"), 1 + 7);
        EXPECT_EQ(CountOf(*box, "ati"), 2);
    }

    std::string f1, f2, f3, f4;
    EXPECT_EQ(at->SetNELTA(f1, f2, f3, f4), 1);
    EXPECT_EQ(f1, "NELTA");
    EXPECT_EQ(f2, "V1.4");
    EXPECT_EQ(f3, "BOX8");
    EXPECT_EQ(f4, "USB");
    EXPECT_EQ(at->COMPos(), 0);  // SetNELTA leaves it to the owner
    at->SetCOMPos(1);
    EXPECT_EQ(at->COMPortNo(), 3);
}

TEST_F(ATCmdTest, StrictTestCountsTheFourthAndTheThreeAfterIt) {
    // Answers "OK" to the "at" numbers in the set, stays silent otherwise.
    auto box = [](std::set<int> okAt) {
        auto count = std::make_shared<int>(0);
        TNeltaBoxConfig config;
        config.script = [okAt, count](const std::string& cmd) -> std::optional<std::string> {
            if (cmd != "at") return std::nullopt;
            return okAt.count(++*count) ? std::string("at\r\n>OK\r\n") : std::string();
        };
        return config;
    };
    const struct {
        const char* name;
        std::set<int> okAt;
        bool responds;
        int atSent;
    } cases[] = {
        {"only 4 to 7", {4, 5, 6, 7}, true, 7},
        {"first three do not count", {1, 2, 3}, false, 4},
        {"silent at 6 stops", {1, 2, 3, 4, 5, 7}, false, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedSerialPort machine;
        TNeltaBox& b = machine.AddBox(2, box(c.okAt));
        TmuATCmd strict;
        strict.SetATComPort(&machine);
        strict.add_COMPort(2, true, "", false);
        EXPECT_TRUE(strict.SearchATCmd());
        EXPECT_EQ(strict.ComPortList()[0].Responds, c.responds);
        EXPECT_EQ(CountOf(b, "at"), c.atSent);
    }
}

TEST_F(ATCmdTest, LenientTestAsksUpToHundredTimes) {
    auto count = std::make_shared<int>(0);
    TNeltaBoxConfig late;
    late.script = [count](const std::string&) -> std::optional<std::string> {
        return ++*count >= 60 ? std::string("at\r\n>OK\r\n") : std::string();
    };
    TNeltaBox& answers = port.AddBox(2, late);
    port.AddPort(4);
    at->add_COMPort(2, true, "", false);
    at->add_COMPort(4, true, "", false);
    at->add_COMPort(6, false, "", false);  // not opened: not asked

    EXPECT_TRUE(at->SearchATCmdAtAutostart());
    EXPECT_TRUE(at->ComPortList()[0].Responds);
    EXPECT_FALSE(at->ComPortList()[1].Responds);
    EXPECT_EQ(CountOf(answers, "at"), 60);
    EXPECT_EQ(port.Port(), "COM4");
}

TEST_F(ATCmdTest, SecondPortSearchListsEveryPortTwice) {
    port.AddBox(3);
    port.AddBox(5);
    at->SearchCOMPorts();
    at->SearchCOMPorts();
    ASSERT_EQ(at->COMCount(), 4);
    const int expected[] = {3, 5, 3, 5};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(at->ComPortList()[i].PortNo, expected[i]);
}

TEST_F(ATCmdTest, SearchOnAnOpenPortStillTriesEveryName) {
    port.AddBox(3);
    port.AddBox(5);
    port.SetPort("COM5");
    port.SetConnected(true);
    EXPECT_TRUE(at->SearchCOMPorts());
    EXPECT_EQ(at->COMCount(), 2);
    EXPECT_FALSE(port.Connected());
}

TEST_F(ATCmdTest, SetNELTAAndListAccessors) {
    std::string f1 = "x", f2 = "x", f3 = "x", f4 = "x";
    EXPECT_EQ(at->SetNELTA(f1, f2, f3, f4), 0);  // empty list
    EXPECT_EQ(f1 + f2 + f3 + f4, "");
    at->set_COMIdent(1, "ignored");  // empty list: nothing happens
    EXPECT_EQ(at->COMCount(), 0);

    at->add_COMPort(2, true, "A-B-C-D", false);  // does not respond
    at->add_COMPort(4, true, "", true);          // responds, empty identification
    at->add_COMPort(6, true, "NELTA-X-BOX12", true);
    EXPECT_EQ(at->SetNELTA(f1, f2, f3, f4), 2);
    EXPECT_EQ(f1 + f2 + f3 + f4, "");

    at->set_COMIdent(2, "NELTA-V2-BOX16-USB-NELTA16");
    at->set_COMIdent(9, "out of range");
    EXPECT_EQ(at->SetNELTA(f1, f2, f3, f4), 2);
    EXPECT_EQ(f3, "BOX16");
    EXPECT_EQ(f4, "USB");

    for (auto [pos, no] : {std::pair{0, 0}, {1, 2}, {3, 6}, {4, 0}}) {
        at->SetCOMPos(pos);
        EXPECT_EQ(at->COMPortNo(), no) << pos;
    }
    at->add_COMPort(8, false, "", true);
    at->SetCOMPos(4);
    EXPECT_EQ(at->COMPortNo(), 0);  // not opened
}

TEST_F(ATCmdTest, WithoutPortEverythingFails) {
    at->SetATComPort(nullptr);
    at->add_COMPort(3, true, "NELTA-V1-BOX8", true);
    EXPECT_FALSE(at->SearchCOMPorts());
    EXPECT_FALSE(at->SearchATCmdAtAutostart());
    EXPECT_FALSE(at->SearchATCmd());
    EXPECT_FALSE(at->SearchATICmd());
    EXPECT_EQ(at->COMCount(), 0);
    std::string f1, f2, f3, f4, raw = "old";
    EXPECT_EQ(at->SetNELTA(f1, f2, f3, f4), 0);
    at->CheckATMultiCmd("at", raw);
    EXPECT_EQ(raw, "");
    EXPECT_FALSE(at->CheckATCmd());
    EXPECT_EQ(at->GetTimeout(), 0);  // untouched
}

TEST_F(ATCmdTest, BoxVanishingMidExchangeRaisesThePortError) {
    TNeltaBoxConfig config;
    config.fault = TNeltaFault::Vanish;
    config.faultAfter = 1;
    OpenOn(3, config);
    EXPECT_TRUE(at->CheckATCmd());
    std::string raw;
    EXPECT_THROW(at->CheckATMultiCmd("atn1", raw), SerialPortError);
    EXPECT_THROW(at->CheckATCmd(), SerialPortError) << "later exchanges fail too";
}

TEST_F(ATCmdTest, MessagesAreServedDuringTheWait) {
    OpenOn(3);
    std::string raw;
    at->CheckATMultiCmd("at", raw);
    EXPECT_EQ(app.processed, 10);  // after the sleep, before the first poll

    app.processed = 0;
    TNeltaBoxConfig silent;
    silent.fault = TNeltaFault::Silent;
    OpenOn(4, silent);
    at->CheckATMultiCmd("at", raw);
    EXPECT_EQ(app.processed, 10 + 12 * 10);
}

TEST_F(ATCmdTest, TracesItsOperations) {
    LogTestDir logDir(platform);  // with the log folder this time
    auto traced = std::make_unique<TmuATCmd>();
    traced->Log()->SetCompoID("LOG_ALL");
    traced->SetATComPort(&port);
    OpenOn(3);
    traced->SetTimeout(12);
    EXPECT_TRUE(traced->CheckATCmd());
    traced.reset();

    const std::string log = logDir.Read();
    for (const char* text :
         {"muATCmd -->>  FUNCTION : CheckATCmd", "muATCmd -->> PROCEDURE : CheckATMultiCmd",
          "(> Set Cmd: ) ]: = at\r", "(r_bresult) ]: = True", "muATCmd <<--  FUNCTION : CheckATCmd",
          "Klasse muATCmd vernichten"})
        EXPECT_NE(log.find(text), std::string::npos) << text;
}

}  // namespace
