// tavrinctl's command line: what it accepts, and that everything else is a
// usage error (exit status 1) before anything is switched.
#include <gtest/gtest.h>

#include <sstream>

#include "ctl/CtlArguments.h"
#include "ctl/CtlOutput.h"
#include "ctl/CtlRun.h"

namespace {

using TCommand = TCtlArguments::TCommand;

TEST(CtlArguments, CommandsSocketsAndOptions) {
    struct Case {
        std::vector<std::string> args;
        TCommand command;
        std::string sockets;
    };
    const Case cases[] = {
        {{"status"}, TCommand::Status, ""},
        {{"on", "5"}, TCommand::On, "5"},
        {{"--json", "off", "Lampe Flur"}, TCommand::Off, "Lampe Flur"},
        {{"toggle", "1,3-4", "--timeout", "2.5"}, TCommand::Toggle, "1,3-4"},
        {{"cycle", "3", "--off-seconds", "0.5"}, TCommand::Cycle, "3"},
        {{"all-off", "--yes"}, TCommand::AllOff, ""},
        {{"--box", "2", "--port", "/dev/ttyUSB1", "--direct", "on", "all"}, TCommand::On, "all"},
        {{"quit"}, TCommand::Quit, ""},
        {{"ports", "--json"}, TCommand::Ports, ""},
        {{"on", "5", "--help"}, TCommand::Help, ""},
        {{"--version"}, TCommand::Version, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front());
        const TCtlArguments args = ParseCtlArguments(c.args);
        EXPECT_EQ(args.error, "");
        EXPECT_EQ(args.command, c.command);
        EXPECT_EQ(args.sockets, c.sockets);
    }
    const TCtlArguments args = ParseCtlArguments(
        {"--json", "--box", "2", "--dir", "/d", "cycle", "3", "--off-seconds", "1.5", "--timeout", "9"});
    EXPECT_TRUE(args.json);
    EXPECT_EQ(args.box, 2);
    EXPECT_EQ(args.dir, "/d");
    EXPECT_DOUBLE_EQ(args.offSeconds, 1.5);
    EXPECT_DOUBLE_EQ(args.timeoutSeconds, 9);
}

TEST(CtlArguments, UsageErrorsEndWithStatusOneAndSwitchNothing) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"explode"},
        {"on"},
        {"on", "5", "6"},
        {"status", "5"},
        {"all-off"},  // the emergency off only with --yes
        {"on", "5", "--off-seconds", "3"},
        {"cycle", "5", "--off-seconds", "-1"},
        {"cycle", "5", "--off-seconds", "x"},
        {"--box", "17", "on", "5"},
        {"--box", "1.5", "on", "5"},
        {"--box"},
        {"--timeout", "0", "status"},
        {"--frobnicate", "status"},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const auto& a : c) shown += a + " ";
        SCOPED_TRACE(shown);
        const TCtlArguments args = ParseCtlArguments(c);
        EXPECT_FALSE(args.error.empty());
        std::ostringstream out, err;
        // An empty runtime and data folder: nothing could be reached anyway,
        // the status must still be the usage error.
        EXPECT_EQ(RunCtl(args, TCtlEnvironment{}, out, err), 1);
        EXPECT_NE(err.str().find("tavrinctl: "), std::string::npos);
    }
}

TEST(CtlOutput, JsonIsValidForAnyName) {
    struct Case {
        std::string text;
        std::string json;
    };
    const Case cases[] = {
        {"Lampe", "\"Lampe\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"tab\tnl\n", "\"tab\\u0009nl\\u000a\""},
        {"K\xc3\xbc"
         "che",
         "\"K\xc3\xbc"
         "che\""},  // UTF-8 kept
        {"K\xfc"
         "che",
         "\"K\\u00fcche\""},                 // a Windows-1252 byte read as Latin-1
        {"\xe2\x82", "\"\\u00e2\\u0082\""},  // a cut UTF-8 sequence
    };
    for (const Case& c : cases) EXPECT_EQ(JsonString(c.text), c.json);

    TControlResult result = TControlResult::Failure(TControlCode::NoAnswer, "keine Antwort");
    result.sockets = {{5, "Lampe", true, false, true}};
    EXPECT_EQ(FormatJson(result, TCtlShown::Switch, "program"),
              "{\"ok\":false,\"code\":3,\"error\":\"keine "
              "Antwort\",\"mode\":\"program\",\"sockets\":[{\"number\":5,"
              "\"name\":\"Lampe\",\"on\":true,\"end_action\":false,\"end_off\":true}]}\n");
}

TEST(CtlOutput, PortsSayWhichAreSearchedAndWhy) {
    TComPortInfo console;
    console.device = "/dev/ttyS0";
    console.driver = "serial8250";
    console.console = true;
    console.note = "Konsole des Systems";
    TComPortInfo usb;
    usb.com = "COM1";
    usb.device = "/dev/ttyUSB0";
    usb.byId = "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0";
    usb.searched = true;
    const std::vector<TComPortInfo> ports = {usb, console};
    EXPECT_EQ(
        FormatPortsJson(ports),
        "{\"ok\":true,\"code\":0,\"ports\":[{\"com\":\"COM1\",\"device\":\"/dev/ttyUSB0\",\"by_id\":"
        "\"/dev/serial/by-id/usb-FTDI_FT232R-if00-port0\",\"driver\":\"\",\"console\":false,\"in_use\":false,"
        "\"searched\":true,\"note\":\"\"},{\"com\":\"\",\"device\":\"/dev/ttyS0\",\"by_id\":\"\",\"driver\":"
        "\"serial8250\",\"console\":true,\"in_use\":false,\"searched\":false,\"note\":\"Konsole des "
        "Systems\"}]}\n");
    const std::string text = FormatPortsText(ports);
    EXPECT_NE(text.find("/dev/ttyS0       nein"), std::string::npos) << text;
    EXPECT_NE(text.find("(Konsole)"), std::string::npos) << text;
}

}  // namespace
