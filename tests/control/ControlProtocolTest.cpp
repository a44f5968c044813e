// The request and answer lines between scripts and the running program:
// what goes over the socket can be read back exactly, and anything else is
// refused without a guess.
#include <gtest/gtest.h>

#include <string>

#include "control/ControlProtocol.h"
#include "control/SocketSelection.h"

namespace {

using namespace ControlProtocol;

TEST(ControlProtocol, ArgumentsAndNamesSurviveTheLineAsTheyAre) {
    const std::string texts[] = {
        "5", "Lampe Flur", "100%", "a%20b", "Küche\t\r\nx", std::string("\0\x7f\xff", 3), ""};
    for (const std::string& text : texts) {
        const std::string encoded = Encode(text);
        EXPECT_EQ(encoded.find_first_of(" \r\n\t"), std::string::npos) << encoded;
        ASSERT_TRUE(Decode(encoded).has_value()) << encoded;
        EXPECT_EQ(*Decode(encoded), text);
    }
    for (const char* bad : {"%", "%2", "%zz", "a%g0"}) EXPECT_FALSE(Decode(bad).has_value()) << bad;
}

TEST(ControlProtocol, RequestsParseOnlyInTheirOneForm) {
    struct Case {
        std::string line;
        bool ok;
        TVerb verb;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {"TAVRIN/1 status", true, TVerb::Status, {}},
        {"TAVRIN/1 on 5", true, TVerb::On, {"5"}},
        {"TAVRIN/1 off Lampe%20Flur", true, TVerb::Off, {"Lampe Flur"}},
        {"TAVRIN/1 toggle 1,3-4", true, TVerb::Toggle, {"1,3-4"}},
        {"TAVRIN/1 all-off", true, TVerb::AllOff, {}},
        {"TAVRIN/1 quit", true, TVerb::Quit, {}},
        {"", false, TVerb::Status, {}},
        {"TAVRIN/1", false, TVerb::Status, {}},
        {"TAVRIN/1 ", false, TVerb::Status, {}},
        {"tavrin/1 status", false, TVerb::Status, {}},
        {"TAVRIN/2 status", false, TVerb::Status, {}},
        {"TAVRIN/1 status extra", false, TVerb::Status, {}},
        {"TAVRIN/1 on", false, TVerb::Status, {}},
        {"TAVRIN/1 on  5", false, TVerb::Status, {}},  // an empty argument
        {"TAVRIN/1 on 5 6", false, TVerb::Status, {}},
        {"TAVRIN/1 on 5%", false, TVerb::Status, {}},
        {"TAVRIN/1 reboot", false, TVerb::Status, {}},
        {"raise", false, TVerb::Status, {}},
        {"TAVRIN/1 on " + std::string(kMaxRequest, '5'), false, TVerb::Status, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.substr(0, 40));
        const TParsed parsed = ParseRequest(c.line);
        ASSERT_EQ(parsed.request.has_value(), c.ok);
        if (!c.ok) {
            EXPECT_EQ(parsed.error.code, TControlCode::Usage);
            EXPECT_FALSE(parsed.error.message.empty());
            continue;
        }
        EXPECT_EQ(parsed.request->verb, c.verb);
        EXPECT_EQ(parsed.request->arguments, c.arguments);
        EXPECT_EQ(FormatRequest(*parsed.request), c.line);
    }
}

TEST(ControlProtocol, AnswersReadBackWholeAlsoInPieces) {
    TControlResult result;
    result.code = TControlCode::NoAnswer;
    result.message = "Steckdose 5: keine Antwort der Box";
    result.model = "USB-NELTA8";
    result.port = "COM3";
    result.sockets = {{5, "Lampe Flur", true, false, true}, {24, "", false, true, false}};
    const std::string block = FormatResult(result);

    for (std::size_t piece : {block.size(), std::size_t{1}, std::size_t{7}}) {
        SCOPED_TRACE(piece);
        TResultReader reader;
        for (std::size_t i = 0; i < block.size(); i += piece) {
            EXPECT_FALSE(reader.Done());
            ASSERT_TRUE(reader.Feed(block.substr(i, piece)));
        }
        ASSERT_TRUE(reader.Done());
        const TControlResult& back = reader.Result();
        EXPECT_EQ(back.code, result.code);
        EXPECT_EQ(back.message, result.message);
        EXPECT_EQ(back.model, result.model);
        EXPECT_EQ(back.port, result.port);
        ASSERT_EQ(back.sockets.size(), 2u);
        EXPECT_EQ(back.sockets[0].name, "Lampe Flur");
        EXPECT_TRUE(back.sockets[0].on && back.sockets[0].endOff && !back.sockets[0].endAction);
        EXPECT_EQ(back.sockets[1].number, 24);
        EXPECT_TRUE(back.sockets[1].endAction);
    }
}

TEST(ControlProtocol, AReaderRefusesWhatIsNoAnswer) {
    const char* blocks[] = {
        "ok\n",
        "TAVRIN/1 9 x\nend\n",
        "TAVRIN/1 0\n",
        "TAVRIN/1 0 x\nsocket 25 1 0 0 a\n",
        "TAVRIN/1 0 x\nsocket 5 2 0 0 a\n",
        "TAVRIN/1 0 x\nmodel a b\n",
        "TAVRIN/1 0 x\nhello\n",
    };
    for (const char* block : blocks) {
        TResultReader reader;
        EXPECT_FALSE(reader.Feed(block) && reader.Done()) << block;
        EXPECT_TRUE(reader.Failed() || !reader.Done()) << block;
    }
    // Endless bytes without a line end stop the reader instead of filling memory.
    TResultReader reader;
    bool accepted = true;
    for (int i = 0; i < 100 && accepted; ++i) accepted = reader.Feed(std::string(4096, 'x'));
    EXPECT_FALSE(accepted);
}

TEST(SocketSelection, NumbersRangesListsAllAndNames) {
    const std::vector<std::string> names = {"Lampe Flur", "Drucker", "Steckdosenname", "Steckdosenname",
                                            "Küche",      "5",       "Router",         "all"};
    struct Case {
        std::string text;
        std::vector<int> sockets;  // empty: an error
    };
    const Case cases[] = {
        {"5", {5}},
        {"2-5", {2, 3, 4, 5}},
        {"1,3", {1, 3}},
        {"3,1,3", {1, 3}},
        {"1,3-4,8", {1, 3, 4, 8}},
        {"all", {1, 2, 3, 4, 5, 6, 7, 8}},
        {"ALL", {1, 2, 3, 4, 5, 6, 7, 8}},
        {"drucker", {2}},
        {"LAMPE FLUR", {1}},
        {"Küche", {5}},
        {"Lampe", {}},           // names are whole names
        {"Steckdosenname", {}},  // two sockets carry it
        {"0", {}},
        {"9", {}},
        {"5-2", {}},
        {"1,,2", {}},
        {"1-", {}},
        {"-1", {}},
        {"", {}},
        {"99999999999", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TSocketSelection selection = SelectSockets(c.text, names);
        EXPECT_EQ(selection.sockets, c.sockets);
        EXPECT_EQ(selection.Ok(), !c.sockets.empty());
        if (!selection.Ok()) {
            EXPECT_FALSE(selection.error.empty());
        }
    }
    EXPECT_FALSE(SelectSockets("1", {}).Ok());  // no box known
}

}  // namespace
