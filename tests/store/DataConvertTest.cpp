#include <gtest/gtest.h>

#include "store/muDataConvert.h"

TEST(DataConvert, IntToStrWithZeroPadsToWidthWithZerosBeforeTheSign) {
    struct Case {
        int value, width;
        const char* text;
    };
    const Case cases[] = {
        {1, 2, "01"},    {24, 2, "24"}, {123, 2, "123"}, {5, 0, "5"},
        {-5, 4, "00-5"}, {0, 3, "000"}, {7, -1, "7"},    {-2147483647 - 1, 12, "0-2147483648"}};
    TmuDataConvert convert;
    for (const auto& c : cases) {
        std::string out = "old";
        EXPECT_EQ(convert.inttostrWithZero(c.value, c.width, out), c.text) << c.value << "," << c.width;
        EXPECT_EQ(out, c.text);
    }
}

TEST(DataConvert, StringToByteReadsTwoHexDigitsAndTreatsOthersAsZero) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {{"1A", 26}, {"1a", 26},  {"FF", 255}, {"ff", 255}, {"0F", 15}, {"F", 240},
                          {"G1", 1},  {"1A7", 26}, {"", 0},     {"99", 153}, {" 9", 9},  {"-1", 1}};
    TmuDataConvert convert;
    for (const auto& c : cases) EXPECT_EQ(convert.StringToByte(c.text), c.value) << '"' << c.text << '"';
}

TEST(DataConvert, SerialSettingTextsFollowTheEnumerationOrder) {
    TmuDataConvert convert;
    EXPECT_EQ(convert.BaudRateToStr(0), "Custom");
    EXPECT_EQ(convert.BaudRateToStr(5), "2400");
    EXPECT_EQ(convert.BaudRateToStr(7), "9600");
    EXPECT_EQ(convert.BaudRateToStr(12), "57600");
    EXPECT_EQ(convert.BaudRateToStr(15), "256000");
    EXPECT_EQ(convert.StopBitsToStr(1), "1.5");
    EXPECT_EQ(convert.ParityToStr(0), "None");
    EXPECT_EQ(convert.ParityToStr(4), "Space");
    EXPECT_EQ(convert.FlowControlToStr(0), "Hardware");
    EXPECT_EQ(convert.FlowControlToStr(2), "None");

    std::string out = "old";
    EXPECT_EQ(convert.StopBitsToStr(2, out), "2");
    EXPECT_EQ(out, "2");
    // Outside a table: empty text, also through the out form.
    for (int ordinal : {-1, 16}) EXPECT_EQ(convert.BaudRateToStr(ordinal, out), "") << ordinal;
    EXPECT_EQ(out, "");
    EXPECT_EQ(convert.StopBitsToStr(3), "");
    EXPECT_EQ(convert.ParityToStr(5), "");
    EXPECT_EQ(convert.FlowControlToStr(4), "");
}
