// Numbered runs, registration lists and the walk by position.
#include <gtest/gtest.h>

#include <functional>

#include "store/muDataHolder.h"

namespace {

// The value keys of an index in registration order, read by position.
std::vector<std::string> KeysOf(TmuDataholder& holder, const std::string& index) {
    std::vector<std::string> keys;
    holder.set_IdxName(index);
    const std::int32_t secPos = holder.SearchIndex(index);
    for (std::int32_t id = 1; id <= holder.getDataCount(); ++id) {
        std::string key;
        EXPECT_TRUE(holder.getValuenameAsID(secPos, id, key));
        keys.push_back(key);
    }
    return keys;
}

std::vector<std::string> Numbered(const std::string& base, int from, int to, bool zero) {
    std::vector<std::string> names;
    for (int i = from; i <= to; ++i) names.push_back(base + (zero && i < 10 ? "0" : "") + std::to_string(i));
    return names;
}

}  // namespace

TEST(DataHolderArray, RunsNumberTheirValuesWithAndWithoutLeadingZero) {
    TmuDataholder holder;
    EXPECT_TRUE(holder.InitArrayValueBoolean("AC01", "AC", "ACPower", 1, 24, true));
    EXPECT_EQ(KeysOf(holder, "AC01"), Numbered("AC|ACPower", 1, 24, true));
    EXPECT_EQ(KeysOf(holder, "AC01")[8], "AC|ACPower09");

    EXPECT_TRUE(holder.InitArrayValueString("AC02", "AC", "AC_Name", 1, 24, "Steckdosenname", false));
    EXPECT_EQ(KeysOf(holder, "AC02"), Numbered("AC|AC_Name", 1, 24, false));
    EXPECT_EQ(holder.getValueString("AC02|AC|AC_Name17"), "Steckdosenname");
    EXPECT_FALSE(holder.getValueBoolean("AC01|AC|ACPower24"));

    // Without section (and without index) the prefix shrinks accordingly.
    EXPECT_TRUE(holder.InitArrayValueBoolean("X", "", "B", 8, 11, true));
    EXPECT_EQ(KeysOf(holder, "X"), (std::vector<std::string>{"B08", "B09", "B10", "B11"}));
    EXPECT_TRUE(holder.InitArrayValueBoolean("", "", "Flag", 1, 2, false));
    EXPECT_EQ(KeysOf(holder, "DEFAULT"), (std::vector<std::string>{"PRG|Flag1", "PRG|Flag2"}));
}

TEST(DataHolderArray, RunNeedsStartBelowStop) {
    TmuDataholder holder;
    EXPECT_FALSE(holder.InitArrayValueBoolean("AC01", "AC", "ACPower", 1, 1, true));
    EXPECT_FALSE(holder.InitArrayValueString("AC01", "AC", "AC_Name", 5, 3, "x", true));
    EXPECT_TRUE(holder.Indexes().empty());
}

TEST(DataHolderArray, RunRegisteredTwiceChangesNothing) {
    TmuDataholder holder;
    ASSERT_TRUE(holder.InitArrayValueString("AC01", "AC", "AC_Name", 1, 4, "Steckdosenname", true));
    ASSERT_TRUE(holder.setValueString("AC01|AC|AC_Name02", "Lampe"));
    EXPECT_TRUE(holder.InitArrayValueString("AC01", "AC", "AC_Name", 1, 4, "Anders", true));
    EXPECT_EQ(KeysOf(holder, "AC01").size(), 4u);
    EXPECT_EQ(holder.getValueString("AC01|AC|AC_Name02"), "Lampe");
    EXPECT_EQ(holder.getValueString("AC01|AC|AC_Name03"), "Steckdosenname");
}

TEST(DataHolderArray, ListRegistersNameDefaultPairsByKind) {
    TmuDataholder holder;
    holder.InitValueList("INI", "Logging",
                         {"LogFile", "T", "Logging", false, "DeleteFile", false, "LogArt", "LOG_STD"});
    EXPECT_EQ(KeysOf(holder, "INI"), (std::vector<std::string>{"Logging|LogFile", "Logging|Logging",
                                                               "Logging|DeleteFile", "Logging|LogArt"}));
    const std::int32_t secPos = holder.SearchIndex("INI");
    const TmDataType expected[] = {TmDataType::String, TmDataType::Boolean, TmDataType::Boolean,
                                   TmDataType::String};
    for (std::int32_t id = 1; id <= 4; ++id) {
        TmDataType tag{};
        ASSERT_TRUE(holder.getDatatypeAsID(secPos, id, tag));
        EXPECT_EQ(tag, expected[id - 1]) << id;
    }
    EXPECT_EQ(holder.getValueString("INI|Logging|LogFile"), "T");
    EXPECT_EQ(holder.getValueString("INI|Logging|LogArt"), "LOG_STD");
    EXPECT_FALSE(holder.getValueBoolean("INI|Logging|Logging"));

    holder.InitValueList("INI", "TAVRIN", {"PositionX", 150, "FormPos", std::string("TopLeft")});
    EXPECT_EQ(holder.getValueInteger("INI|TAVRIN|PositionX"), 150);
    EXPECT_EQ(holder.getValueString("INI|TAVRIN|FormPos"), "TopLeft");
}

TEST(DataHolderArray, ListSkipsIncompleteAndForeignPairs) {
    TmuDataholder holder;
    // The last name has no default; 2.5 is of another kind; 7 is no name.
    holder.InitValueList("L", "S", {"A", 1, "B", 2.5, 7, true, "C", "c", "Lonely"});
    EXPECT_EQ(KeysOf(holder, "L"), (std::vector<std::string>{"S|A", "S|C"}));
    holder.InitValueList("L", "S", TmValueList{});
    holder.InitValueList("L", "S", {"Alone"});
    EXPECT_EQ(KeysOf(holder, "L").size(), 2u);
}

TEST(DataHolderArray, ListWithoutIndexAndSectionLandsInDefaultPrg) {
    TmuDataholder holder;
    holder.InitValueList("", "", {"AC_Visible", false, "COM_Count", 0});
    EXPECT_EQ(KeysOf(holder, "DEFAULT"), (std::vector<std::string>{"PRG|AC_Visible", "PRG|COM_Count"}));
}

TEST(DataHolderArray, SetValueListStoresRegisteredValuesOnly) {
    TmuDataholder holder;
    holder.InitValueList("INI", "TAVRIN",
                         {"PositionX", 150, "PositionY", 150, "FormPos", "TopLeft", "SILENT", false});
    holder.setValueList(
        "INI", "TAVRIN",
        {"PositionX", 10, "PositionY", -20, "FormPos", "Middle", "SILENT", true, "Unknown", 5});
    EXPECT_EQ(holder.getValueInteger("INI|TAVRIN|PositionX"), 10);
    EXPECT_EQ(holder.getValueInteger("INI|TAVRIN|PositionY"), -20);
    EXPECT_EQ(holder.getValueString("INI|TAVRIN|FormPos"), "Middle");
    EXPECT_TRUE(holder.getValueBoolean("INI|TAVRIN|SILENT"));
    EXPECT_EQ(KeysOf(holder, "INI").size(), 4u);
}

TEST(DataHolderArray, NextValueIdCountsPerIndex) {
    TmuDataholder holder;
    holder.InitValueList("INI", "S", {"A", 1, "B", 2});
    holder.InitValueList("AC01", "S", {"A", 1});

    holder.set_IdxName("NONE");
    holder.clearNextValueID();
    EXPECT_EQ(holder.getNextValueID(), 0);

    holder.set_IdxName("INI");
    holder.clearNextValueID();
    EXPECT_EQ(holder.getNextValueID(), 1);
    EXPECT_EQ(holder.getNextValueID(), 2);
    holder.set_IdxName("ac01");
    holder.clearNextValueID();
    EXPECT_EQ(holder.getNextValueID(), 1);
    holder.set_IdxName("ini");
    EXPECT_EQ(holder.getNextValueID(), 3);  // the counter does not stop at the count
    holder.clearNextValueID();
    EXPECT_EQ(holder.getNextValueID(), 1);
    // A path parse sets the current index too.
    holder.CheckValueOfSection("AC01|S|A");
    EXPECT_EQ(holder.getNextValueID(), 2);
}

TEST(DataHolderArray, WalkVisitsEveryValueInRegistrationOrder) {
    TmuDataholder holder;
    holder.InitValueList("HLP", "HelpIndex", {"hlp_allgemein", 200});
    holder.InitValueList("INI", "TAVRIN", {"FormPos", "TopLeft", "PositionX", 150, "AUTOSTART", false});
    ASSERT_TRUE(holder.setValueInteger("INI|TAVRIN|PositionX", 320));

    holder.set_IdxName("INI");
    holder.clearNextValueID();
    const std::int32_t secPos = holder.InitIndex("INI");
    EXPECT_EQ(secPos, 2);
    const std::int32_t count = holder.getDataCount();
    ASSERT_EQ(count, 3);
    std::vector<std::string> seen;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t id = holder.getNextValueID();
        TmDataType tag{};
        std::string key;
        TmVarType current, deflt;
        EXPECT_TRUE(holder.getDatatypeAsID(secPos, id, tag));
        EXPECT_TRUE(holder.getValuenameAsID(secPos, id, key));
        holder.getValueMultiAsID(secPos, id, current);
        EXPECT_TRUE(holder.getDefaultValueAsID(secPos, id, deflt));
        if (tag == TmDataType::Integer) {
            EXPECT_EQ(current.mInteger, 320);
            EXPECT_EQ(deflt.mInteger, 150);
        }
        if (tag == TmDataType::String) {
            EXPECT_EQ(current.mString, "TopLeft");
            EXPECT_EQ(deflt.mString, "TopLeft");
        }
        seen.push_back(key);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"TAVRIN|FormPos", "TAVRIN|PositionX", "TAVRIN|AUTOSTART"}));
}

TEST(DataHolderArray, ValueByPositionFillsTheOwnSlotWithItsOddResults) {
    TmuDataholder holder;
    auto buffer = std::make_shared<std::vector<std::uint8_t>>(3, 1);
    ASSERT_TRUE(holder.InitValueByte("W|S|Byte", 0x12));
    ASSERT_TRUE(holder.InitValueWord("W|S|Word", 0x1234));
    ASSERT_TRUE(holder.InitValueLongword("W|S|Longword", 0x12345678u));
    ASSERT_TRUE(holder.InitValueSingle("W|S|Single", 1.25f));
    ASSERT_TRUE(holder.InitValueDouble("W|S|Double", 2.5));
    ASSERT_TRUE(holder.InitValueInteger("W|S|Integer", -3));
    ASSERT_TRUE(holder.InitValueInt64("W|S|Int64", 1LL << 33));
    ASSERT_TRUE(holder.InitValueDatetime("W|S|DateTime", 4.5));
    ASSERT_TRUE(holder.InitValueChar("W|S|Char", u'C'));
    ASSERT_TRUE(holder.InitValueString("W|S|String", "s"));
    ASSERT_TRUE(holder.InitValueWideString("W|S|Wide", "w"));
    ASSERT_TRUE(holder.InitValueBoolean("W|S|Boolean", false));
    ASSERT_TRUE(holder.InitValueBuffer("W|S|Buffer", buffer));
    ASSERT_TRUE(holder.InitValueMem("W|S|Mem", nullptr));
    ASSERT_TRUE(holder.InitValueTANwithState("W|S|Tan", "1", 1));
    ASSERT_TRUE(holder.setValueBoolean("W|S|Boolean", true));
    ASSERT_TRUE(holder.setValueString("W|S|String", "set"));

    struct Case {
        bool result;
        std::function<bool(const TmVarType&)> filled;
    };
    const Case cases[] = {
        {false, [](const TmVarType& v) { return v.mByte == 0x12; }},
        {false, [](const TmVarType& v) { return v.mWord == 0x1234; }},
        {true, [](const TmVarType& v) { return v.mLongword == 0x12345678u; }},
        {true, [](const TmVarType& v) { return v.mSingle == 1.25f; }},
        {true, [](const TmVarType& v) { return v.mDouble == 2.5; }},
        {true, [](const TmVarType& v) { return v.mInteger == -3; }},
        {false, [](const TmVarType& v) { return v.mInt64 == (1LL << 33); }},
        {false, [](const TmVarType& v) { return v.mDatetime == 4.5; }},
        {false, [](const TmVarType& v) { return v.mChar == u'C'; }},
        {true, [](const TmVarType& v) { return v.mString == "set"; }},
        {false, [](const TmVarType& v) { return v.mWideString == "w"; }},
        {true, [&](const TmVarType& v) { return v.mBoolean; }},
        {true, [&](const TmVarType& v) { return v.mBuffer == buffer && v.Size == 3; }},
        {false, [](const TmVarType& v) { return !v.mStMem; }},
        {false, [](const TmVarType& v) { return v.mTAN.Text.empty(); }},
    };
    const std::int32_t secPos = holder.SearchIndex("W");
    for (std::int32_t id = 1; id <= 15; ++id) {
        TmVarType value;
        value.mTAN.Text = "junk";  // the read starts from a zeroed record
        EXPECT_EQ(holder.getValueMultiAsID(secPos, id, value), cases[id - 1].result) << id;
        EXPECT_TRUE(cases[id - 1].filled(value)) << id;
        EXPECT_EQ(holder.Indexes()[0].Data[id - 1].Value.Initialized, id <= 13) << id;
    }
}

TEST(DataHolderArray, PositionsOutOfRange) {
    TmuDataholder holder;
    std::string key = "x";
    TmDataType tag = TmDataType::TAN;
    TmVarType value;
    EXPECT_FALSE(holder.getValuenameAsID(1, 1, key));
    EXPECT_FALSE(holder.getDatatypeAsID(1, 1, tag));
    EXPECT_FALSE(holder.getValueMultiAsID(1, 1, value));

    holder.InitValueList("INI", "S", {"A", 1, "B", 2});
    for (std::int32_t id : {0, 3, -1}) {
        EXPECT_FALSE(holder.getValuenameAsID(1, id, key)) << id;
        EXPECT_FALSE(holder.getDatatypeAsID(1, id, tag)) << id;
        value.mInteger = 77;
        EXPECT_FALSE(holder.getValueMultiAsID(1, id, value)) << id;
        EXPECT_EQ(value.mInteger, 0);
        // The default read answers true with a zeroed record.
        value.mInteger = 77;
        EXPECT_TRUE(holder.getDefaultValueAsID(1, id, value)) << id;
        EXPECT_EQ(value.mInteger, 0);
    }
    for (std::int32_t secPos : {0, 2}) {
        EXPECT_FALSE(holder.getValuenameAsID(secPos, 1, key)) << secPos;
        EXPECT_FALSE(holder.getDatatypeAsID(secPos, 1, tag)) << secPos;
        value.mInteger = 77;
        EXPECT_FALSE(holder.getValueMultiAsID(secPos, 1, value)) << secPos;
        EXPECT_EQ(value.mInteger, 0);
        EXPECT_FALSE(holder.getDefaultValueAsID(secPos, 1, value)) << secPos;
    }
    EXPECT_TRUE(holder.getDefaultValueAsID(1, 2, value));
    EXPECT_EQ(value.mInteger, 2);
}
