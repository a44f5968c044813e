#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "support/FakePlatform.h"
#include "toolkit/muStringTools.h"

namespace {

std::vector<std::string> Tokens(const TmuStringTools& t) {
    std::vector<std::string> out;
    for (int i = 1; i <= t.getTokenCount(); ++i) out.push_back(t.getToken(i));
    return out;
}

TEST(StringTools, SplitTokensTable) {
    const struct {
        std::string text, sep;
        std::vector<std::string> tokens;
        bool result;
    } cases[] = {
        {"INI|TAVRIN", "|", {"INI", "TAVRIN"}, true},
        {"INI|TAVRIN|", "|", {"INI", "TAVRIN"}, false},
        {"a||b", "|", {"a", "", "b"}, true},
        {"|a", "|", {"", "a"}, true},
        {"ohne", "|", {"ohne"}, true},
        {"", "|", {""}, false},
        {"|", "|", {""}, false},
        // Only the first character of a longer separator is consumed.
        {"a<>b", "<>", {"a", ">b"}, true},
        {"abc", "", {"abc"}, true},
    };
    TmuStringTools t;
    for (const auto& c : cases) {
        EXPECT_EQ(t.splitTokens(c.text, c.sep), c.result) << c.text;
        EXPECT_EQ(Tokens(t), c.tokens) << c.text;
    }
}

TEST(StringTools, TokenAccessOutOfRangeAndCursor) {
    TmuStringTools t;
    EXPECT_EQ(t.getTokenCount(), 0);
    EXPECT_EQ(t.getToken(1), "");
    t.splitTokens("a|b", "|");
    EXPECT_EQ(t.getToken(0), "");
    EXPECT_EQ(t.getToken(3), "");
    EXPECT_EQ(t.getToken(-1), "");
    EXPECT_EQ(t.getNextToken(), "a");
    EXPECT_EQ(t.getNextToken(), "b");
    EXPECT_EQ(t.getNextToken(), "");
    // A new split restarts the cursor.
    t.splitTokens("x|y", "|");
    EXPECT_EQ(t.getNextToken(), "x");
    t.clearTokens();
    EXPECT_EQ(t.getTokenCount(), 0);
    EXPECT_EQ(t.getNextToken(), "");
}

TEST(StringTools, TextBetweenMarksTable) {
    const struct {
        std::string text, start, end, expected;
    } cases[] = {
        {"atn5\r\r\n>OK\r\n", ">", "\r", "OK"},
        {"xx> SET PORT \r\n", ">", "\r", "SET PORT"},
        {"no mark\r\n", ">", "\r", ""},
        {">OK without end", ">", "\r", ""},
        {"", ">", "\r", ""},
        {">\r", ">", "\r", ""},
        // The part runs up to and including the end mark's first character.
        {"[abc]def", "[", "]", "abc]"},
        {"a>b>c\r", ">", "\r", "b>c"},
        // The end mark is looked for at or after the start mark.
        {"x\ry>z\r", ">", "\r", "z"},
    };
    TmuStringTools t;
    for (const auto& c : cases) EXPECT_EQ(t.getTextBetween(c.text, c.start, c.end), c.expected) << c.text;
}

TEST(StringTools, JoinWrapAndRepeat) {
    TmuStringTools t;
    EXPECT_EQ(t.joinPath("INI", "TAVRIN"), "INI|TAVRIN");
    EXPECT_EQ(t.joinPath("INI", ""), "INI|");
    EXPECT_EQ(t.joinPath("", "FormPos"), "FormPos");
    EXPECT_EQ(t.joinPath("", ""), "");
    EXPECT_EQ(t.wrapText("x", "[", "]"), "[x]");
    EXPECT_EQ(t.wrapText("", "[", "]"), "");
    EXPECT_EQ(t.getCharString('-', 3), "---");
    EXPECT_EQ(t.getCharString('-', 0), "");
    EXPECT_EQ(t.getCharString('-', -2), "");
}

TEST(StringTools, DateAndTimeTextsFollowThePlatformClock) {
    FakePlatform platform;
    std::tm tm{};
    tm.tm_year = 2024 - 1900;
    tm.tm_mon = 2;
    tm.tm_mday = 5;
    tm.tm_hour = 7;
    tm.tm_min = 8;
    tm.tm_sec = 9;
    tm.tm_isdst = -1;
    platform.SetNow(static_cast<std::int64_t>(std::mktime(&tm)) * 1000 + 250);
    TmuStringTools t;
    EXPECT_EQ(t.getDateText(), "20240305");
    EXPECT_EQ(t.getTimeText(":"), "07:08:09");  // the C locale's long time format
    EXPECT_EQ(t.getTimeText("-"), "07-08-09");
    EXPECT_EQ(t.getTimeText("_x"), "07_08_09");
}

TEST(StringTools, CounterWidthIsKeptWithinFiveToTwenty) {
    TmuStringTools t;
    t.setCounterWidth(3);
    EXPECT_EQ(t.getCounterWidth(), 5);
    t.setCounterWidth(25);
    EXPECT_EQ(t.getCounterWidth(), 20);
    t.setCounterWidth(12);
    EXPECT_EQ(t.getCounterWidth(), 12);
}

TEST(StringTools, LinePrefixCountsOnlyInCounterMode) {
    TmuStringTools t;
    t.setCounterWidth(5);
    EXPECT_EQ(t.getLinePrefix(), "");
    t.setCounterMode(true);
    EXPECT_EQ(t.getLinePrefix(), "[00001] ");
    EXPECT_EQ(t.getLinePrefix(), "[00002] ");
    t.setCounterMode(false);
    EXPECT_EQ(t.getLinePrefix(), "");
    t.setCounterMode(true);
    EXPECT_EQ(t.getLinePrefix(), "[00003] ");
}

TEST(StringTools, AsciiCaseChangesOnlyAsciiLetters) {
    const struct {
        std::string text, upper, lower;
    } cases[] = {
        {"", "", ""},
        {"abcxyz", "ABCXYZ", "abcxyz"},
        {"ABCXYZ", "ABCXYZ", "abcxyz"},
        {"Com3 /Silent", "COM3 /SILENT", "com3 /silent"},
        // The neighbours of the letter ranges stay: @ [ ` { and digits.
        {"@[`{0129_|~", "@[`{0129_|~", "@[`{0129_|~"},
        // UTF-8: the letters' bytes >= 0x80 pass as they are.
        {"Gr\xC3\xB6\xC3\x9F"
         "e",
         "GR\xC3\xB6\xC3\x9F"
         "E",
         "gr\xC3\xB6\xC3\x9F"
         "e"},
        // Windows-1252: the umlauts of both cases pass as they are.
        {"\xE4\xC4 \xFC\xDC", "\xE4\xC4 \xFC\xDC", "\xE4\xC4 \xFC\xDC"},
        {std::string("a\0b", 3), std::string("A\0B", 3), std::string("a\0b", 3)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AsciiUpper(c.text), c.upper) << c.text;
        EXPECT_EQ(AsciiLower(c.text), c.lower) << c.text;
    }
}

TEST(StringTools, AsciiCaseOfEveryByte) {
    const std::string small = "abcdefghijklmnopqrstuvwxyz";
    const std::string capital = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    std::string upper = all;
    std::string lower = all;
    for (std::size_t i = 0; i < small.size(); ++i) {
        upper[static_cast<unsigned char>(small[i])] = capital[i];
        lower[static_cast<unsigned char>(capital[i])] = small[i];
    }
    EXPECT_EQ(AsciiUpper(all), upper);
    EXPECT_EQ(AsciiLower(all), lower);
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        EXPECT_EQ(AsciiUpper(c), upper[static_cast<std::size_t>(b)]) << b;
        EXPECT_EQ(AsciiLower(c), lower[static_cast<std::size_t>(b)]) << b;
    }
}

TEST(StringTools, SameAsciiTextIgnoresOnlyAsciiCase) {
    const struct {
        std::string a, b;
        bool same;
    } cases[] = {
        {"", "", true},
        {"Box4", "BOX4", true},
        {"usb-nelta8", "USB-NELTA8", true},
        {"box", "boxx", false},
        {"box", "", false},
        // Pairs that differ by the case bit without being letters.
        {"@", "`", false},
        {"[", "{", false},
        {"^", "~", false},
        // Windows-1252 and UTF-8 umlauts of the other case are other texts.
        {"\xE4", "\xC4", false},
        {"\xC3\xA4", "\xC3\x84", false},
        {"\xC3\xA4x", "\xC3\xA4X", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SameAsciiText(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(SameAsciiText(c.b, c.a), c.same) << c.b << " / " << c.a;
    }
}

}  // namespace
