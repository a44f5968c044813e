// The main window's command exchange: the COM-port log, the response wait
// after switching commands and switching one socket off, against a simulated
// box on the virtual clock.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QStringList>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "QtTestApp.h"
#include "device/SimulatedSerialPort.h"
#include "device/muATCmd.h"
#include "support/FakePlatform.h"
#include "toolkit/mVedadAzaro.h"
#include "ui/AC_Prg_Einstellung.h"
#include "ui/CommandExchange.h"

namespace {

// Makes the QApplication before the fixture's widgets.
struct QtAppFirst {
    QtAppFirst() { EnsureQtTestApp(); }
};

class CommandExchangeTest : public ::testing::Test, private QtAppFirst {
protected:
    CommandExchangeTest() {
        hub.setApplication(&application);
        at.setApplication(&application);
        at.SetATComPort(&port);
        at.SetTimeout(TmuATCmd::kSearchTimeout);
    }

    // A box on COM1 whose echo and reply arrive together, the port open on it.
    TNeltaBox& OpenBox(TNeltaBoxConfig config = {}) {
        config.replyDelayMs = 0;
        TNeltaBox& box = port.AddBox(1, std::move(config));
        port.SetPort("COM1");
        port.SetConnected(true);
        return box;
    }

    std::vector<std::string> Memo() const {
        std::vector<std::string> lines;
        for (const QString& line : dialog.Memo_COMPort()->toPlainText().split('\n', Qt::SkipEmptyParts))
            lines.push_back(line.toStdString());
        return lines;
    }

    // Bare carriage returns the box received.
    static int BareReturns(const TNeltaBox& box) {
        int n = 0;
        for (const auto& c : box.Commands()) n += c.text.empty();
        return n;
    }

    FakePlatform platform;
    FakeApplication application;
    SimulatedSerialPort port;
    TmVedadAzaro hub;
    TmuATCmd at;
    TAC_Einstellung dialog;
    bool logging = true;
    std::vector<std::string> statuses;
    TCommandExchange exchange{
        hub, logging,
        TCommandExchange::TLinks{[this] { return static_cast<SerialPort*>(&port); }, [this] { return &at; },
                                 [this](const std::string& s) { statuses.push_back(s); }, nullptr}};
};

TEST_F(CommandExchangeTest, LogLinesFollowTheLoggingFlagAndNeedTheDialog) {
    exchange.set_COMPort_Lines("SEND: at");
    logging = false;
    exchange.set_COMPort_Lines("RECV: OK");
    exchange.AddMemoLine("SEND: atv");  // whatever the flag says
    EXPECT_EQ(Memo(), (std::vector<std::string>{"SEND: at", "SEND: atv"}));

    // Port bytes above 127 are shown one character per byte; program texts
    // in UTF-8 stay as they are.
    exchange.AddMemoLine(std::string("RECV: \xE4") + "x");
    exchange.AddMemoLine("PROG: Größe");
    EXPECT_EQ(Memo().at(2), "RECV: äx");
    EXPECT_EQ(Memo().at(3), "PROG: Größe");

    // Without the settings dialog nothing is written, and nothing fails.
    AC_Einstellung = nullptr;
    logging = true;
    exchange.set_COMPort_Lines("SEND: atn1");
    exchange.AddMemoLine("SEND: atn2");
    AC_Einstellung = &dialog;
    EXPECT_EQ(Memo().size(), 4);
}

TEST_F(CommandExchangeTest, LogKeepsItsLatestLinesOnly) {
    const int limit = TAC_Einstellung::MemoLineLimit;
    for (int i = 1; i <= limit + 5; ++i) exchange.AddMemoLine("SEND: atn" + std::to_string(i));
    const std::vector<std::string> memo = Memo();
    ASSERT_EQ(memo.size(), static_cast<std::size_t>(limit));
    EXPECT_EQ(memo.front(), "SEND: atn6");
    EXPECT_EQ(memo.back(), "SEND: atn" + std::to_string(limit + 5));
}

TEST_F(CommandExchangeTest, ResponseWaitRunsUntilTheEndMarker) {
    struct Case {
        const char* name;
        bool logging;
        std::vector<std::string> memo;
    };
    const Case cases[] = {
        {"logged", true, {"RECV: OK WAIT", "RECV: WAIT", "RECV: SET PORT 5 ON"}},
        // Without the log the carriage returns still go out and are answered.
        {"silent", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialog.Memo_COMPort()->clear();
        logging = c.logging;
        TNeltaBoxConfig config;
        config.busyAnswers = 2;  // "OK WAIT", then one "WAIT", then "SET PORT 5 ON"
        TNeltaBox& box = OpenBox(config);

        const std::string reply = exchange.ReplyText(exchange.SendCommand("atn5"));
        ASSERT_EQ(reply, "OK WAIT");
        exchange.get_PortInput(reply, "WAIT", "PORT");

        EXPECT_EQ(BareReturns(box), 2);
        EXPECT_EQ(Memo(), c.memo);
        EXPECT_TRUE(box.Socket(5));
        port.SetConnected(false);
    }
}

TEST_F(CommandExchangeTest, WaitMarkerAtTheFirstCharacterIsOnlyLogged) {
    TNeltaBox& box = OpenBox();
    exchange.get_PortInput("WAIT", "WAIT", "SET PORT");
    exchange.get_PortInput("", "WAIT", "SET PORT");  // an empty reply: no line at all
    EXPECT_EQ(Memo(), std::vector<std::string>{"RECV: WAIT"});
    EXPECT_TRUE(box.Commands().empty());
    EXPECT_TRUE(port.Written().empty());
}

TEST_F(CommandExchangeTest, EndMarkerThatNeverComesEndsAfterOneHundredAttempts) {
    TNeltaBoxConfig config;
    config.fault = TNeltaFault::Wait;  // switching never leaves the busy handshake
    TNeltaBox& box = OpenBox(config);
    const std::string reply = exchange.ReplyText(exchange.SendCommand("atn1"));
    exchange.get_PortInput(reply, "WAIT", "SET PORT");

    EXPECT_EQ(BareReturns(box), TCommandExchange::kWaitAttempts);
    const auto memo = Memo();
    ASSERT_FALSE(memo.empty());
    EXPECT_EQ(memo.back(), "RECV: Timeout: get_PortInput");
    EXPECT_EQ(std::count(memo.begin(), memo.end(), "RECV: WAIT"), TCommandExchange::kWaitAttempts);
}

TEST_F(CommandExchangeTest, EndMarkerWithTheLastAttemptStillCountsAsTimeout) {
    TNeltaBoxConfig config;
    config.busyAnswers = TCommandExchange::kWaitAttempts;  // the hundredth return gets "SET PORT"
    TNeltaBox& box = OpenBox(config);
    exchange.get_PortInput(exchange.ReplyText(exchange.SendCommand("atn2")), "WAIT", "SET PORT");
    EXPECT_EQ(BareReturns(box), TCommandExchange::kWaitAttempts);
    const auto memo = Memo();
    ASSERT_GE(memo.size(), 2);
    EXPECT_EQ(memo.at(memo.size() - 2), "RECV: SET PORT 2 ON");
    EXPECT_EQ(memo.back(), "RECV: Timeout: get_PortInput");
}

TEST_F(CommandExchangeTest, SingleByteOrSilenceIsNoAnswer) {
    // The box answers a bare carriage return with one byte only.
    TNeltaBoxConfig config;
    config.script = [](const std::string& command) -> std::optional<std::string> {
        if (command.empty()) return std::string("X");
        return std::nullopt;
    };
    OpenBox(config);
    EXPECT_EQ(exchange.set_CMD_and_Respons_InputCount("\r"), -1);
    EXPECT_EQ(platform.beeps, 1);
    port.SetConnected(false);

    // A reply that stays "WAIT" because nothing comes back: every attempt
    // beeps, the wait still ends.
    TNeltaBoxConfig silent;
    silent.fault = TNeltaFault::Silent;
    TNeltaBox& box = OpenBox(silent);
    exchange.SendCommand("atn1");  // the box falls silent with its first command
    exchange.get_PortInput("OK WAIT", "WAIT", "PORT");
    EXPECT_EQ(BareReturns(box), TCommandExchange::kWaitAttempts);
    EXPECT_EQ(platform.beeps, 2 + TCommandExchange::kWaitAttempts);
    EXPECT_EQ(Memo(), (std::vector<std::string>{"RECV: OK WAIT", "RECV: Timeout: get_PortInput"}));
}

TEST_F(CommandExchangeTest, SocketOffSendsThePlainNumberAndWaitsForTheBox) {
    TNeltaBoxConfig config;
    config.model = "USB-NELTA16";
    TNeltaBox& box = OpenBox(config);
    box.SetSocket(12, true);
    exchange.set_port_ato(12);

    EXPECT_FALSE(box.Socket(12));
    ASSERT_FALSE(box.Commands().empty());
    EXPECT_EQ(box.Commands().front().text, "ato12");
    const auto memo = Memo();
    ASSERT_FALSE(memo.empty());
    EXPECT_EQ(memo.front(), "SEND: ato12");
    EXPECT_EQ(memo.back(), "RECV: SET PORT 12 OFF");
    EXPECT_TRUE(statuses.empty());
}

TEST_F(CommandExchangeTest, SocketOffWithoutAnswerShowsTheTimeout) {
    TNeltaBoxConfig config;
    config.fault = TNeltaFault::Silent;
    OpenBox(config);
    exchange.set_port_ato(3);
    EXPECT_EQ(Memo(), (std::vector<std::string>{"SEND: ato3", "RECV: Timeout"}));
    EXPECT_EQ(statuses, std::vector<std::string>{"COM1 > Status: Timeout"});
}

}  // namespace
