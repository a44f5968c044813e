// Typed values of the data holder: registration, set, get, add, range,
// shared buffers and owned streams.
#include <gtest/gtest.h>

#include "store/muDataHolder.h"

namespace {

TmStream StreamOf(const std::string& text) {
    auto stream = std::make_shared<TmMemoryStream>();
    stream->Write(text);
    return stream;
}

std::string TextOf(const TmStream& stream) {
    if (!stream) return "<none>";
    return std::string(stream->Bytes().begin(), stream->Bytes().end());
}

// The default record of a value, read by position.
TmVarType DefaultOf(TmuDataholder& holder, const std::string& index, std::int32_t id) {
    TmVarType value;
    EXPECT_TRUE(holder.getDefaultValueAsID(holder.SearchIndex(index), id, value));
    return value;
}

TmDataType TagOf(TmuDataholder& holder, const std::string& index, std::int32_t id) {
    TmDataType tag{};
    EXPECT_TRUE(holder.getDatatypeAsID(holder.SearchIndex(index), id, tag));
    return tag;
}

}  // namespace

TEST(DataHolderValues, SecondRegistrationChangesNothing) {
    TmuDataholder holder;
    EXPECT_TRUE(holder.InitValueString("INI|TAVRIN|FormPos", "TopLeft"));
    EXPECT_EQ(holder.getValueString("INI|TAVRIN|FormPos"), "TopLeft");
    EXPECT_TRUE(holder.InitValueString("INI|TAVRIN|FormPos", "Middle"));
    EXPECT_EQ(holder.getValueString("INI|TAVRIN|FormPos"), "TopLeft");

    // Neither the default nor the type changes.
    EXPECT_TRUE(holder.InitValueInteger("INI|TAVRIN|FormPos", 7));
    EXPECT_EQ(TagOf(holder, "INI", 1), TmDataType::String);
    EXPECT_EQ(DefaultOf(holder, "INI", 1).mString, "TopLeft");
    EXPECT_EQ(DefaultOf(holder, "INI", 1).mInteger, 0);
    EXPECT_EQ(holder.getDataCount(), 1);
}

TEST(DataHolderValues, UnregisteredPathsAreNotStoredAndReadAsZero) {
    TmuDataholder holder;
    // Empty store first, then a store with other values.
    for (int round = 0; round < 2; ++round) {
        EXPECT_FALSE(holder.setValueBoolean("INI|TAVRIN|SILENT", true));
        EXPECT_FALSE(holder.setValueInteger("INI|TAVRIN|PositionX", 5));
        EXPECT_FALSE(holder.setValueString("INI|TAVRIN|FormPos", "x"));
        EXPECT_FALSE(holder.getValueBoolean("INI|TAVRIN|SILENT"));
        EXPECT_EQ(holder.getValueInteger("INI|TAVRIN|PositionX"), 0);
        EXPECT_EQ(holder.getValueString("INI|TAVRIN|FormPos"), "");
        std::string out = "left";
        holder.getValueString("INI|TAVRIN|FormPos", out);
        EXPECT_EQ(out, "");
        ASSERT_TRUE(holder.InitValueBoolean("INI|TAVRIN|AUTOSTART", true));
    }
    // The generic read leaves the caller's record alone.
    TmVarType record;
    record.mInteger = 42;
    holder.getValueMulti("INI|TAVRIN|Missing", TmDataType::Integer, record);
    holder.getValueMulti("INI|", TmDataType::Integer, record);
    EXPECT_EQ(record.mInteger, 42);
}

TEST(DataHolderValues, BadPathsFail) {
    TmuDataholder holder;
    ASSERT_TRUE(holder.InitValueString("INI|TAVRIN|FormPos", "TopLeft"));
    for (const char* path : {"INI|", "", "INI|TAVRIN|"}) {
        EXPECT_FALSE(holder.InitValueString(path, "x")) << path;
        EXPECT_FALSE(holder.setValueString(path, "x")) << path;
        EXPECT_FALSE(holder.addValueString(path, "x")) << path;
        EXPECT_EQ(holder.getValueString(path), "") << path;
    }
    EXPECT_EQ(holder.get_SectionDataCount(), 1);
}

TEST(DataHolderValues, TypedAccessWorksOnItsOwnSlotWhateverTheTag) {
    TmuDataholder holder;
    ASSERT_TRUE(holder.InitValueString("INI|TAVRIN|FormPos", "TopLeft"));
    EXPECT_TRUE(holder.setValueBoolean("INI|TAVRIN|FormPos", true));
    EXPECT_EQ(holder.getValueString("INI|TAVRIN|FormPos"), "TopLeft");
    EXPECT_TRUE(holder.getValueBoolean("INI|TAVRIN|FormPos"));
    EXPECT_EQ(holder.getValueInteger("INI|TAVRIN|FormPos"), 0);
    EXPECT_EQ(TagOf(holder, "INI", 1), TmDataType::String);

    ASSERT_TRUE(holder.InitValueBoolean("INI|TAVRIN|SILENT", true));
    EXPECT_EQ(holder.getValueInteger("INI|TAVRIN|SILENT"), 0);
    EXPECT_TRUE(holder.setValueInteger("INI|TAVRIN|SILENT", -7));
    EXPECT_EQ(holder.getValueInteger("INI|TAVRIN|SILENT"), -7);
    EXPECT_TRUE(holder.getValueBoolean("INI|TAVRIN|SILENT"));
}

TEST(DataHolderValues, EveryTagKeepsItsFullValue) {
    TmuDataholder holder;
    ASSERT_TRUE(holder.InitValueByte("T|S|Byte", 0xFE));
    ASSERT_TRUE(holder.InitValueWord("T|S|Word", 0xFEDC));
    ASSERT_TRUE(holder.InitValueLongword("T|S|Longword", 0xFEDCBA98u));
    ASSERT_TRUE(holder.InitValueSingle("T|S|Single", 1.5f));
    ASSERT_TRUE(holder.InitValueDouble("T|S|Double", -2.25));
    ASSERT_TRUE(holder.InitValueInteger("T|S|Integer", -2147483647 - 1));
    ASSERT_TRUE(holder.InitValueInt64("T|S|Int64", -(std::int64_t{1} << 40)));
    ASSERT_TRUE(holder.InitValueDatetime("T|S|DateTime", 45000.75));
    ASSERT_TRUE(holder.InitValueChar("T|S|Char", u'\u00e4'));
    ASSERT_TRUE(holder.InitValueWideString("T|S|Wide", "wide"));
    TmVarType r;
    holder.getValueMulti("T|S|Byte", TmDataType::Byte, r);
    holder.getValueMulti("T|S|Word", TmDataType::Word, r);
    holder.getValueMulti("T|S|Longword", TmDataType::Longword, r);
    holder.getValueMulti("T|S|Single", TmDataType::Single, r);
    holder.getValueMulti("T|S|Double", TmDataType::Double, r);
    holder.getValueMulti("T|S|Integer", TmDataType::Integer, r);
    holder.getValueMulti("T|S|Int64", TmDataType::Int64, r);
    holder.getValueMulti("T|S|DateTime", TmDataType::DateTime, r);
    holder.getValueMulti("T|S|Char", TmDataType::Char, r);
    holder.getValueMulti("T|S|Wide", TmDataType::WideString, r);
    EXPECT_EQ(r.mByte, 0xFE);
    EXPECT_EQ(r.mWord, 0xFEDC);
    EXPECT_EQ(r.mLongword, 0xFEDCBA98u);
    EXPECT_EQ(r.mSingle, 1.5f);
    EXPECT_EQ(r.mDouble, -2.25);
    EXPECT_EQ(r.mInteger, -2147483647 - 1);
    EXPECT_EQ(r.mInt64, -(std::int64_t{1} << 40));
    EXPECT_EQ(r.mDatetime, 45000.75);
    EXPECT_EQ(r.mChar, u'\u00e4');
    EXPECT_EQ(r.mWideString, "wide");
    EXPECT_EQ(r.mString, "");

    EXPECT_TRUE(holder.setValueByte("T|S|Byte", 1));
    EXPECT_TRUE(holder.setValueLongword("T|S|Longword", 70000));
    EXPECT_TRUE(holder.setValueSingle("T|S|Single", 0.5f));
    EXPECT_TRUE(holder.setValueDouble("T|S|Double", 1e300));
    EXPECT_TRUE(holder.setValueDatetime("T|S|DateTime", 1.0));
    EXPECT_TRUE(holder.setValueChar("T|S|Char", u'z'));
    TmVarType word;
    word.mWord = 513;
    EXPECT_TRUE(holder.setMultiValue("T|S|Word", TmDataType::Word, word));
    TmVarType s;
    holder.getValueMulti("T|S|Byte", TmDataType::Byte, s);
    holder.getValueMulti("T|S|Word", TmDataType::Word, s);
    holder.getValueMulti("T|S|Longword", TmDataType::Longword, s);
    holder.getValueMulti("T|S|Single", TmDataType::Single, s);
    holder.getValueMulti("T|S|Double", TmDataType::Double, s);
    holder.getValueMulti("T|S|DateTime", TmDataType::DateTime, s);
    holder.getValueMulti("T|S|Char", TmDataType::Char, s);
    EXPECT_EQ(s.mByte, 1);
    EXPECT_EQ(s.mWord, 513);
    EXPECT_EQ(s.mLongword, 70000u);
    EXPECT_EQ(s.mSingle, 0.5f);
    EXPECT_EQ(s.mDouble, 1e300);
    EXPECT_EQ(s.mDatetime, 1.0);
    EXPECT_EQ(s.mChar, u'z');
}

TEST(DataHolderValues, WideStringIsKeptApartFromString) {
    TmuDataholder holder;
    ASSERT_TRUE(holder.InitValueWideString("T|S|Name", "wide"));
    ASSERT_TRUE(holder.setValueString("T|S|Name", "narrow"));
    EXPECT_TRUE(holder.setValueWideString("T|S|Name", "wider"));
    TmVarType r;
    holder.getValueMulti("T|S|Name", TmDataType::WideString, r);
    EXPECT_EQ(r.mWideString, "wider");
    EXPECT_EQ(holder.getValueString("T|S|Name"), "narrow");
}

TEST(DataHolderValues, UnknownTagsAreRefusedAndLeaveTheKeyFree) {
    TmuDataholder holder;
    ASSERT_TRUE(holder.InitValueInteger("T|S|Known", 1));
    for (int raw : {0, 1, 2, 18, 255}) {
        const auto tag = static_cast<TmDataType>(raw);
        TmVarType value;
        value.mInteger = 9;
        EXPECT_FALSE(holder.InitMultiValue("T|S|Odd", tag, value)) << raw;
        EXPECT_FALSE(holder.setMultiValue("T|S|Known", tag, value)) << raw;
        EXPECT_FALSE(holder.AddMultiValue("T|S|Odd", tag, value)) << raw;
    }
    holder.set_IdxName("T");
    EXPECT_EQ(holder.getDataCount(), 1);
    EXPECT_EQ(holder.getValueInteger("T|S|Known"), 1);
    EXPECT_TRUE(holder.InitValueInteger("T|S|Odd", 5));
    EXPECT_EQ(holder.getValueInteger("T|S|Odd"), 5);
}

TEST(DataHolderValues, AddValueStringNeedsAnExistingIndex) {
    TmuDataholder holder;
    EXPECT_FALSE(holder.addValueString("COM_Count", "01"));
    EXPECT_TRUE(holder.Indexes().empty());

    ASSERT_TRUE(holder.InitValueBoolean("AC_COM_failed", false));
    EXPECT_TRUE(holder.addValueString("COM_Count", "01"));
    EXPECT_EQ(holder.getValueString("COM_Count"), "01");
    EXPECT_TRUE(holder.addValueString("com_count", "03"));
    EXPECT_EQ(holder.getValueString("COM_Count"), "03");
    EXPECT_EQ(holder.getValueString("DEFAULT|PRG|COM_Count"), "03");
    EXPECT_EQ(TagOf(holder, "DEFAULT", 2), TmDataType::String);
    EXPECT_EQ(DefaultOf(holder, "DEFAULT", 2).mString, "");

    // On a registered value of another type, only the text slot changes.
    ASSERT_TRUE(holder.InitValueInteger("Number", 4));
    EXPECT_TRUE(holder.addValueString("Number", "04"));
    EXPECT_EQ(holder.getValueInteger("Number"), 4);
    EXPECT_EQ(holder.getValueString("Number"), "04");
    EXPECT_EQ(TagOf(holder, "DEFAULT", 3), TmDataType::Integer);
}

TEST(DataHolderValues, AddMultiValueRegistersWithNeutralDefaults) {
    TmuDataholder holder;
    holder.InitIndex("RUN");
    struct Case {
        const char* name;
        TmDataType tag;
    };
    const Case cases[] = {{"Char", TmDataType::Char},          {"Tan", TmDataType::TAN},
                          {"Int", TmDataType::Integer},        {"Bool", TmDataType::Boolean},
                          {"Double", TmDataType::Double},      {"Int64", TmDataType::Int64},
                          {"Stream", TmDataType::MemoryStream}};
    TmVarType value;
    value.mChar = u'x';
    value.mTAN = {"123456", 2};
    value.mInteger = 12;
    value.mBoolean = true;
    value.mDouble = 2.5;
    value.mInt64 = 99;
    value.mStMem = StreamOf("abc");
    for (const auto& c : cases)
        EXPECT_TRUE(holder.AddMultiValue(std::string("RUN|S|") + c.name, c.tag, value)) << c.name;

    TmVarType d = DefaultOf(holder, "RUN", 1);
    EXPECT_EQ(d.mChar, u'A');
    d = DefaultOf(holder, "RUN", 2);
    EXPECT_EQ(d.mTAN.Text, "000000");
    EXPECT_EQ(d.mTAN.State, 0);
    EXPECT_EQ(DefaultOf(holder, "RUN", 3).mInteger, 0);
    EXPECT_FALSE(DefaultOf(holder, "RUN", 4).mBoolean);
    EXPECT_EQ(DefaultOf(holder, "RUN", 5).mDouble, 0.0);
    EXPECT_EQ(DefaultOf(holder, "RUN", 6).mInt64, 0);

    TmVarType r;
    holder.getValueMulti("RUN|S|Char", TmDataType::Char, r);
    holder.getValueMulti("RUN|S|Int", TmDataType::Integer, r);
    holder.getValueMulti("RUN|S|Double", TmDataType::Double, r);
    holder.getValueMulti("RUN|S|Stream", TmDataType::MemoryStream, r);
    EXPECT_EQ(r.mChar, u'x');
    EXPECT_EQ(r.mInteger, 12);
    EXPECT_EQ(r.mDouble, 2.5);
    EXPECT_EQ(TextOf(r.mStMem), "abc");
    EXPECT_NE(r.mStMem, value.mStMem);
    EXPECT_TRUE(holder.getValueBoolean("RUN|S|Bool"));
    TmTanRec tan;
    EXPECT_TRUE(holder.getValueTAN("RUN|S|Tan", tan));
    EXPECT_EQ(tan.Text, "123456");
    EXPECT_EQ(tan.State, 2);

    // No index, no value.
    EXPECT_FALSE(holder.AddMultiValue("OTHER|S|Int", TmDataType::Integer, value));
    EXPECT_EQ(holder.SearchIndex("OTHER"), 0);
}

TEST(DataHolderValues, OnePartRegistrationLandsInDefaultPrg) {
    TmuDataholder holder;
    ASSERT_TRUE(holder.InitValueBoolean("AC_COM_failed", false));
    ASSERT_EQ(holder.Indexes().size(), 1u);
    EXPECT_EQ(holder.Indexes()[0].Name, "DEFAULT");
    EXPECT_EQ(holder.Indexes()[0].Data[0].ValueKey, "PRG|AC_COM_failed");
    ASSERT_TRUE(holder.setValueBoolean("DEFAULT|PRG|AC_COM_failed", true));
    EXPECT_TRUE(holder.getValueBoolean("AC_COM_failed"));
    // With UseIndex set, the bare name means something else.
    holder.UseIndex = "AC01";
    holder.UseSection = "AC";
    EXPECT_FALSE(holder.getValueBoolean("AC_COM_failed"));
}

TEST(DataHolderValues, RangeStoresTheDefaultForValuesOutside) {
    TmuDataholder holder;
    ASSERT_TRUE(holder.InitValueInteger("R|S|Int", 5));
    ASSERT_TRUE(holder.InitValueByte("R|S|Byte", 10));
    ASSERT_TRUE(holder.InitValueString("R|S|Str", "m"));
    ASSERT_TRUE(holder.InitValueDouble("R|S|Dbl", 0.5));
    TmVarType lo, hi;
    lo.mInteger = 0;
    hi.mInteger = 16;
    lo.mByte = 5;
    hi.mByte = 200;
    lo.mString = "b";
    hi.mString = "y";
    lo.mDouble = 0.0;
    hi.mDouble = 1.0;
    ASSERT_TRUE(holder.setValueRange("R|S|Int", TmDataType::Integer, lo, hi));
    ASSERT_TRUE(holder.setValueRange("R|S|Byte", TmDataType::Byte, lo, hi));
    ASSERT_TRUE(holder.setValueRange("R|S|Str", TmDataType::String, lo, hi));
    ASSERT_TRUE(holder.setValueRange("R|S|Dbl", TmDataType::Double, lo, hi));
    EXPECT_FALSE(holder.setValueRange("R|S|Missing", TmDataType::Integer, lo, hi));

    struct IntCase {
        int in, stored;
    };
    for (const IntCase c : {IntCase{16, 16}, {0, 0}, {9, 9}, {17, 5}, {-1, 5}, {1000, 5}}) {
        holder.setValueInteger("R|S|Int", 3);
        EXPECT_TRUE(holder.setValueInteger("R|S|Int", c.in));
        EXPECT_EQ(holder.getValueInteger("R|S|Int"), c.stored) << c.in;
    }
    // Byte compares unsigned: 250 is above 200.
    TmVarType r;
    holder.setValueByte("R|S|Byte", 250);
    holder.getValueMulti("R|S|Byte", TmDataType::Byte, r);
    EXPECT_EQ(r.mByte, 10);
    holder.setValueByte("R|S|Byte", 200);
    holder.getValueMulti("R|S|Byte", TmDataType::Byte, r);
    EXPECT_EQ(r.mByte, 200);
    // Texts compare by code unit: "z" and "a" are outside "b".."y"; "\xc3\xa4" too.
    for (const char* text : {"z", "a", "\xc3\xa4"}) {
        holder.setValueString("R|S|Str", text);
        EXPECT_EQ(holder.getValueString("R|S|Str"), "m") << text;
    }
    holder.setValueString("R|S|Str", "xylophone");
    EXPECT_EQ(holder.getValueString("R|S|Str"), "xylophone");
    holder.setValueDouble("R|S|Dbl", 1.01);
    holder.getValueMulti("R|S|Dbl", TmDataType::Double, r);
    EXPECT_EQ(r.mDouble, 0.5);

    // Off again: everything is stored.
    EXPECT_TRUE(holder.clearValueRange("R|S|Int"));
    holder.setValueInteger("R|S|Int", 1000);
    EXPECT_EQ(holder.getValueInteger("R|S|Int"), 1000);
}

TEST(DataHolderValues, BuffersAreSharedWithTheCaller) {
    TmuDataholder holder;
    auto buffer = std::make_shared<std::vector<std::uint8_t>>(std::vector<std::uint8_t>{1, 2, 3});
    ASSERT_TRUE(holder.InitValueBuffer("B|S|Buf", buffer));
    (*buffer)[0] = 9;
    TmVarType r;
    holder.getValueMulti("B|S|Buf", TmDataType::Buffer, r);
    EXPECT_EQ(r.mBuffer, buffer);
    EXPECT_EQ((*r.mBuffer)[0], 9);
    EXPECT_EQ(DefaultOf(holder, "B", 1).mBuffer, buffer);

    auto other = std::make_shared<std::vector<std::uint8_t>>(5, 7);
    EXPECT_TRUE(holder.setValueBuffer("B|S|Buf", other));
    holder.getValueMulti("B|S|Buf", TmDataType::Buffer, r);
    EXPECT_EQ(r.mBuffer, other);
    EXPECT_EQ(r.Size, 5);
    EXPECT_EQ(DefaultOf(holder, "B", 1).mBuffer, buffer);
    EXPECT_TRUE(holder.setValueBuffer("B|S|Buf", nullptr));
    holder.getValueMulti("B|S|Buf", TmDataType::Buffer, r);
    EXPECT_EQ(r.Size, 0);
}

TEST(DataHolderValues, StreamsAreOwnedCopies) {
    TmuDataholder holder;
    TmStream source = StreamOf("hello");
    ASSERT_TRUE(holder.InitValueMem("M|S|Mem", source));
    source->Write(" world");

    TmVarType r1, r2;
    holder.getValueMulti("M|S|Mem", TmDataType::MemoryStream, r1);
    holder.getValueMulti("M|S|Mem", TmDataType::MemoryStream, r2);
    ASSERT_TRUE(r1.mStMem);
    EXPECT_EQ(r1.mStMem, r2.mStMem);  // the stream itself is handed out
    EXPECT_NE(r1.mStMem, source);
    EXPECT_EQ(TextOf(r1.mStMem), "hello");
    EXPECT_FALSE(DefaultOf(holder, "M", 1).mStMem);

    // Setting copies the whole source content, whatever its position.
    source->SetPosition(3);
    EXPECT_TRUE(holder.setValueMem("M|S|Mem", source));
    EXPECT_EQ(TextOf(r1.mStMem), "hello world");
    holder.getValueMulti("M|S|Mem", TmDataType::MemoryStream, r2);
    EXPECT_EQ(r2.Size, 11);
    // Handing the store's own stream back keeps its content.
    EXPECT_TRUE(holder.setValueMem("M|S|Mem", r1.mStMem));
    EXPECT_EQ(TextOf(r1.mStMem), "hello world");
    EXPECT_TRUE(holder.setValueMem("M|S|Mem", nullptr));
    EXPECT_EQ(TextOf(r1.mStMem), "");

    // Without a source the stream starts empty; a value registered otherwise has none.
    ASSERT_TRUE(holder.InitValueMem("M|S|Empty", nullptr));
    holder.getValueMulti("M|S|Empty", TmDataType::MemoryStream, r2);
    EXPECT_EQ(TextOf(r2.mStMem), "");
    ASSERT_TRUE(holder.InitValueInteger("M|S|Int", 1));
    EXPECT_TRUE(holder.setValueMem("M|S|Int", source));
    TmVarType r3;
    holder.getValueMulti("M|S|Int", TmDataType::MemoryStream, r3);
    EXPECT_FALSE(r3.mStMem);
}

TEST(DataHolderValues, TanValuesAreStoredButNotReadGenerically) {
    TmuDataholder holder;
    ASSERT_TRUE(holder.InitValueTANwithState("T|S|Tan", "111111", 1));
    TmVarType r;
    r.mTAN = {"caller", 7};
    holder.getValueMulti("T|S|Tan", TmDataType::TAN, r);
    EXPECT_EQ(r.mTAN.Text, "caller");
    TmTanRec tan;
    EXPECT_TRUE(holder.getValueTAN("T|S|Tan", tan));
    EXPECT_EQ(tan.Text, "111111");
    EXPECT_EQ(tan.State, 1);
    EXPECT_TRUE(holder.SetValueTAN("T|S|Tan", "222222", 3));
    EXPECT_TRUE(holder.getValueTAN("t|s|tan", tan));
    EXPECT_EQ(tan.Text, "222222");
    EXPECT_EQ(tan.State, 3);
    EXPECT_FALSE(holder.getValueTAN("T|S|Missing", tan));
    EXPECT_EQ(tan.Text, "");
}
