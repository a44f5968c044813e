// The simulated box's protocol, its faults, and the in-process port that
// carries it on the virtual clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/NeltaBox.h"
#include "device/SimulatedSerialPort.h"
#include "support/FakePlatform.h"

namespace {

class BoxTest : public ::testing::Test {
protected:
    // Sends one command line and returns everything the box sent within 50 ms.
    std::string Exchange(TNeltaBox& box, const std::string& line) {
        box.Receive(line, now);
        now += 50;
        return box.Take(box.Available(now), now);
    }
    std::int64_t now = 1000;
};

TEST_F(BoxTest, AnswersTheCommandSet) {
    TNeltaBox box;
    const struct {
        const char* line;
        const char* answer;
    } cases[] = {
        {"at\r", "at\r\n>OK\r\n"},
        {"AT\r", "AT\r\n>OK\r\n"},
        {"at\r\n", "at\r\n>OK\r\n"},  // a line feed is ignored
        {"ati\r", "ati\r\n>NELTA-V1.4-BOX8-USB-NELTA8\r\n"},
        {"atv\r", "atv\r\n>NELTA USB-NELTA8\r\nFirmware V1.4\r\nController BOX8\r\nSockets 8\r\n"},
        {"atsn\r", "atsn\r\n>SN:NELTA-000123\r\n"},
        {"att16\r", "att16\r\n>OK\r\n"},
        {"att17\r", "att17\r\n>ERROR\r\n"},
        {"attx\r", "attx\r\n>ERROR\r\n"},
        {"atboff\r", "atboff\r\n>OK\r\n"},
        {"atn9\r", "atn9\r\n>ERROR\r\n"},  // an eight-socket box
        {"ato0\r", "ato0\r\n>ERROR\r\n"},
        {"hello\r", "hello\r\n>ERROR\r\n"},
        {"\r", "\r\n>OK\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Exchange(box, c.line), c.answer) << c.line;
    EXPECT_EQ(box.Delay(), 16);
    EXPECT_FALSE(box.Beeper());
    EXPECT_EQ(Exchange(box, "atrs\r"), "atrs\r\n>OK\r\n");
    EXPECT_EQ(box.Delay(), 0);
    EXPECT_TRUE(box.Beeper());

    ASSERT_EQ(box.Commands().size(), std::size(cases) + 1);
    EXPECT_EQ(box.Commands()[3].text, "ati");
    EXPECT_EQ(box.Commands()[13].text, "");  // the bare carriage return
}

TEST_F(BoxTest, IdentificationNamesControllerAndModel) {
    for (int sockets : {4, 8, 12, 16, 20, 24}) {
        TNeltaBoxConfig config;
        config.model = "USB-NELTA" + std::to_string(sockets);
        TNeltaBox box(config);
        const std::string ident = box.Ident();
        // Third "-" field: the controller type.
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t p; (p = ident.find('-', start)) != std::string::npos; start = p + 1)
            fields.push_back(ident.substr(start, p - start));
        fields.push_back(ident.substr(start));
        ASSERT_GE(fields.size(), 4u) << ident;
        EXPECT_EQ(fields[2], "BOX" + std::to_string(sockets));
        EXPECT_NE(ident.find(config.model), std::string::npos);
        EXPECT_EQ(box.SocketCount(), sockets);
    }
    EXPECT_EQ(TNeltaBox::SocketsOfModel("USB-NELTA9"), 0);
}

TEST_F(BoxTest, SwitchingRunsTheBusyHandshake) {
    TNeltaBoxConfig config;
    config.busyAnswers = 2;
    TNeltaBox box(config);
    EXPECT_EQ(Exchange(box, "atn5\r"), "atn5\r\n>OK WAIT\r\n");
    EXPECT_TRUE(box.Socket(5));
    EXPECT_EQ(Exchange(box, "\r"), "\r\n>WAIT\r\n");
    EXPECT_EQ(Exchange(box, "\r"), "\r\n>SET PORT 5 ON\r\n");
    EXPECT_EQ(Exchange(box, "\r"), "\r\n>OK\r\n");

    EXPECT_EQ(Exchange(box, "ato5\r"), "ato5\r\n>OK WAIT\r\n");
    EXPECT_EQ(Exchange(box, "at\r"), "at\r\n>OK\r\n");  // a new command ends the handshake
    EXPECT_EQ(Exchange(box, "\r"), "\r\n>OK\r\n");
    EXPECT_FALSE(box.Socket(5));

    box.SetSocket(1, true);
    box.SetSocket(8, true);
    EXPECT_EQ(Exchange(box, "atoff\r"), "atoff\r\n>OK WAIT\r\n");
    Exchange(box, "\r");
    EXPECT_EQ(Exchange(box, "\r"), "\r\n>SET PORT ALL OFF\r\n");
    for (int n = 1; n <= 8; ++n) EXPECT_FALSE(box.Socket(n));

    TNeltaBoxConfig quick;
    quick.busyAnswers = 0;
    TNeltaBox direct(quick);
    EXPECT_EQ(Exchange(direct, "atn12\r"), "atn12\r\n>ERROR\r\n");
    EXPECT_EQ(Exchange(direct, "atn2\r"), "atn2\r\n>SET PORT 2 ON\r\n");
}

TEST_F(BoxTest, Faults) {
    const struct {
        TNeltaFault fault;
        const char* firstAnswer;  // to "atn1" after one normal "at"
    } cases[] = {
        {TNeltaFault::Late, "atn1\r\n"},  // only the echo in time
        {TNeltaFault::Silent, ""},
        {TNeltaFault::Error, "atn1\r\n>ERROR\r\n"},
        {TNeltaFault::Wait, "atn1\r\n>OK WAIT\r\n"},
        {TNeltaFault::Vanish, "at"},  // half the echo
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        TNeltaBoxConfig config;
        config.fault = c.fault;
        config.faultAfter = 1;
        TNeltaBox box(config);
        EXPECT_EQ(Exchange(box, "at\r"), "at\r\n>OK\r\n");
        EXPECT_EQ(Exchange(box, "atn1\r"), c.firstAnswer);
        EXPECT_EQ(box.Socket(1), c.fault == TNeltaFault::Late || c.fault == TNeltaFault::Wait);
        EXPECT_EQ(box.Vanished(now), c.fault == TNeltaFault::Vanish);
    }

    TNeltaBoxConfig late;
    late.fault = TNeltaFault::Late;
    late.lateMs = 1000;
    TNeltaBox slow(late);
    EXPECT_EQ(Exchange(slow, "at\r"), "at\r\n");
    // The line is a FIFO: the next echo does not overtake the late reply.
    EXPECT_EQ(Exchange(slow, "ati\r"), "");
    now += 1000;
    EXPECT_EQ(slow.Take(1000, now).rfind(">OK\r\nati\r\n", 0), 0u);

    TNeltaBoxConfig waiting;
    waiting.fault = TNeltaFault::Wait;
    TNeltaBox busy(waiting);
    Exchange(busy, "atn2\r");
    for (int i = 0; i < 50; ++i) ASSERT_EQ(Exchange(busy, "\r"), "\r\n>WAIT\r\n");

    TNeltaBoxConfig garbage;
    garbage.fault = TNeltaFault::Garbage;
    TNeltaBox noisy(garbage);
    const std::string answer = Exchange(noisy, "at\r");
    EXPECT_GE(answer.size(), 3u);
    EXPECT_EQ(answer.find(">OK\r"), std::string::npos);
}

// The in-process port on the virtual clock.
class SimulatedPortTest : public ::testing::Test {
protected:
    FakePlatform platform;
    SimulatedSerialPort port;
};

TEST_F(SimulatedPortTest, OpensOnlyPortsThatExistAndAreFree) {
    port.AddBox(3);
    port.AddPort(4);
    port.AddBox(6);
    port.SetInUse(6, true);
    const struct {
        const char* name;
        int code;  // 0: opens
    } cases[] = {{"COM3", 0}, {"com4", 0}, {"COM5", ENOENT}, {"COM6", EBUSY}, {"LPT1", ENOENT}};
    for (const auto& c : cases) {
        port.SetPort(c.name);
        if (c.code == 0) {
            EXPECT_NO_THROW(port.SetConnected(true)) << c.name;
            EXPECT_TRUE(port.Connected());
            port.SetConnected(false);
        } else {
            try {
                port.SetConnected(true);
                ADD_FAILURE() << c.name << " opened";
            } catch (const SerialPortError& e) {
                EXPECT_EQ(e.Code(), c.code) << c.name;
            }
            EXPECT_FALSE(port.Connected());
        }
    }
    EXPECT_THROW(port.GetInputCount(), SerialPortError);  // closed
}

TEST_F(SimulatedPortTest, PortNameRules) {
    port.AddBox(3);
    port.AddBox(5);
    port.SetPort("COM3");
    port.SetConnected(true);
    port.SetPort("COM3");
    EXPECT_EQ(port.OpenCount(), 1);  // the same name does nothing
    port.SetPort("COM5");
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(port.OpenCount(), 2);
    EXPECT_THROW(port.SetPort("COM7"), SerialPortError);
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.Port(), "COM7");
    port.SetPort("COM3");  // closed: only the name changes
    EXPECT_FALSE(port.Connected());
}

TEST_F(SimulatedPortTest, AnswersArriveOnTheVirtualClock) {
    TNeltaBoxConfig config;
    config.replyDelayMs = 40;
    port.AddBox(2, config);
    port.SetPort("COM2");
    port.SetConnected(true);

    EXPECT_EQ(port.WriteText("at\r"), 3);
    EXPECT_EQ(port.GetInputCount(), 0);  // echo and reply come together
    platform.Advance(39);
    EXPECT_EQ(port.GetInputCount(), 0);
    platform.Advance(1);
    EXPECT_EQ(port.GetInputCount(), 9);
    EXPECT_EQ(port.ReadText(0), "");
    EXPECT_EQ(port.ReadText(2), "at");
    port.ClearInput();
    EXPECT_EQ(port.GetInputCount(), 0);

    // A read waits for its count or its time-out (500 ms + 100 ms per byte).
    port.WriteText("ati\r");
    const auto start = platform.NowMs();
    EXPECT_EQ(port.ReadText(9), "ati\r\n>NEL");
    EXPECT_EQ(platform.NowMs() - start, 40);
    port.ClearInput();
    EXPECT_EQ(port.ReadText(3), "");
    EXPECT_EQ(platform.NowMs() - start, 40 + 800);
}

TEST_F(SimulatedPortTest, UnpluggedOrVanishedPortRaises) {
    port.AddBox(2);
    port.SetPort("COM2");
    port.SetConnected(true);
    port.RemovePort(2);
    EXPECT_THROW(port.GetInputCount(), SerialPortError);
    EXPECT_THROW(port.WriteText("at\r"), SerialPortError);

    TNeltaBoxConfig config;
    config.fault = TNeltaFault::Vanish;
    port.AddBox(3, config);
    port.SetPort("COM3");
    EXPECT_TRUE(port.Connected());
    port.WriteText("at\r");
    EXPECT_NO_THROW(port.GetInputCount());
    platform.Advance(20);
    EXPECT_THROW(port.GetInputCount(), SerialPortError);
    EXPECT_THROW(port.ClearInput(), SerialPortError);
    port.SetConnected(false);
    EXPECT_THROW(port.SetConnected(true), SerialPortError);  // gone for good
}

}  // namespace
