// Paths, indexes and lookup of the data holder.
#include <gtest/gtest.h>

#include "store/muDataHolder.h"

namespace {

struct PathCase {
    const char* useIndex;
    const char* useSection;
    const char* path;
    bool result;
    const char* index;
    const char* key;
};

const PathCase kPathCases[] = {
    {"INI", "", "FormPos", true, "INI", "FormPos"},
    {"", "TAVRIN", "FormPos", true, "TAVRIN", "FormPos"},
    {"INI", "TAVRIN", "FormPos", true, "INI", "TAVRIN|FormPos"},
    {"", "", "FormPos", true, "DEFAULT", "PRG|FormPos"},
    {"AC01", "AC", "INI|TAVRIN|FormPos", true, "INI", "TAVRIN|FormPos"},
    {"", "", "INI|TAVRIN|FormPos", true, "INI", "TAVRIN|FormPos"},
    {"AC01", "AC", "INI||FormPos", true, "INI", "FormPos"},
    {"AC01", "AC", "INI|FormPos", true, "INI", "FormPos"},
    {"", "", "AC01|AC_SN", true, "AC01", "AC_SN"},
    {"", "", "|AC_SN", true, "", "AC_SN"},
    {"", "", "INI|", false, "", ""},
    {"", "", "", false, "", ""},
    {"INI", "TAVRIN", "", false, "", ""},  // the prefix alone ends with "|"
    {"", "", "INI|TAVRIN|", false, "", ""},
    // Four or more parts name no value.
    {"", "", "A|B|C|D", false, "", ""},
    {"INI", "TAVRIN", "X|Y", true, "X", "Y"},
};

}  // namespace

TEST(DataHolderPath, ParseResolvesIndexAndKeyForEveryPathForm) {
    TmuDataholder holder;
    for (const auto& c : kPathCases) {
        // A parse before it leaves a current index and key behind.
        ASSERT_TRUE(holder.CheckValueOfSection("OLD|SEC|Name"));
        holder.UseIndex = c.useIndex;
        holder.UseSection = c.useSection;
        EXPECT_EQ(holder.CheckValueOfSection(c.path), c.result) << c.path;
        EXPECT_EQ(holder.get_IdxName(), c.index) << c.path;
        EXPECT_EQ(holder.get_ValueKey(), c.key) << c.path;
        holder.clearUseIndexSection();
    }
}

TEST(DataHolderPath, ParseHandsBackTheThreeParts) {
    TmuDataholder holder;
    std::string index = "x", section = "x", name = "x";
    EXPECT_TRUE(holder.CheckValueOfSection("AC_COM_failed", index, section, name));
    EXPECT_EQ(index, "DEFAULT");
    EXPECT_EQ(section, "PRG");
    EXPECT_EQ(name, "AC_COM_failed");

    EXPECT_FALSE(holder.CheckValueOfSection("INI|", index, section, name));
    EXPECT_EQ(index, "");
    EXPECT_EQ(section, "");
    EXPECT_EQ(name, "");
}

TEST(DataHolderPath, ClearUseIndexSectionEmptiesBoth) {
    TmuDataholder holder;
    holder.UseIndex = "AC01";
    holder.UseSection = "AC";
    holder.clearUseIndexSection();
    EXPECT_EQ(holder.UseIndex, "");
    EXPECT_EQ(holder.UseSection, "");
}

TEST(DataHolderPath, NamesMatchIgnoringCase) {
    TmuDataholder holder;
    ASSERT_TRUE(holder.InitValueString("INI|TAVRIN|FormPos", "TopLeft"));
    EXPECT_EQ(holder.getValueString("ini|tavrin|formpos"), "TopLeft");
    EXPECT_TRUE(holder.setValueString("Ini|Tavrin|FORMPOS", "Middle"));
    EXPECT_EQ(holder.getValueString("INI|TAVRIN|FormPos"), "Middle");

    // A registration under another spelling is the same value and changes nothing.
    EXPECT_TRUE(holder.InitValueString("ini|TAVRIN|formpos", "Other"));
    ASSERT_EQ(holder.Indexes().size(), 1u);
    EXPECT_EQ(holder.Indexes()[0].Name, "INI");
    ASSERT_EQ(holder.Indexes()[0].Data.size(), 1u);
    EXPECT_EQ(holder.Indexes()[0].Data[0].ValueKey, "TAVRIN|FormPos");

    // Short names with UseIndex / UseSection in another case find it too.
    holder.UseIndex = "ini";
    holder.UseSection = "tavrin";
    EXPECT_EQ(holder.getValueString("formPOS"), "Middle");
}

TEST(DataHolderPath, RegisteringUnderLowerCaseIndexUsesTheExistingEntry) {
    TmuDataholder holder;
    ASSERT_TRUE(holder.InitValueInteger("INI|TAVRIN|PositionX", 150));
    ASSERT_TRUE(holder.InitValueInteger("ini|TAVRIN|PositionY", 150));
    ASSERT_EQ(holder.Indexes().size(), 1u);
    EXPECT_EQ(holder.Indexes()[0].Name, "INI");
    EXPECT_EQ(holder.Indexes()[0].Data.size(), 2u);
}

TEST(DataHolderPath, SectionIsPartOfTheKey) {
    TmuDataholder holder;
    ASSERT_TRUE(holder.InitValueInteger("INI|TAVRIN|PositionX", 1));
    ASSERT_TRUE(holder.InitValueInteger("INI|Logging|PositionX", 2));
    EXPECT_EQ(holder.getValueInteger("INI|TAVRIN|PositionX"), 1);
    EXPECT_EQ(holder.getValueInteger("INI|Logging|PositionX"), 2);
    // Two parts: no section, so a third key of its own.
    EXPECT_EQ(holder.getValueInteger("INI|PositionX"), 0);
    ASSERT_TRUE(holder.InitValueInteger("INI|PositionX", 3));
    EXPECT_EQ(holder.getValueInteger("INI||PositionX"), 3);
    EXPECT_EQ(holder.Indexes()[0].Data.size(), 3u);
}

TEST(DataHolderPath, FourPartPathsRegisterNothing) {
    TmuDataholder holder;
    EXPECT_FALSE(holder.InitValueString("A|B|C|D", "x"));
    EXPECT_FALSE(holder.setValueString("A|B|C|D", "x"));
    EXPECT_TRUE(holder.Indexes().empty());
}

TEST(DataHolderPath, IndexCreationAndSearch) {
    TmuDataholder holder;
    EXPECT_EQ(holder.SearchIndex("INI"), 0);
    EXPECT_FALSE(holder.SearchbIndex("INI"));

    EXPECT_EQ(holder.InitIndex("HLP"), 1);
    EXPECT_EQ(holder.InitIndex("AC01"), 2);
    EXPECT_EQ(holder.InitIndex("ac01"), 2);
    EXPECT_EQ(holder.get_SectionDataCount(), 2);
    EXPECT_EQ(holder.Indexes()[1].Name, "AC01");
    EXPECT_EQ(holder.SearchIndex("Ac01"), 2);
    EXPECT_TRUE(holder.SearchbIndex("hlp"));
    EXPECT_FALSE(holder.SearchbIndex("INI"));

    ASSERT_TRUE(holder.InitValueBoolean("AC01|AC|ACPower01", false));
    ASSERT_TRUE(holder.InitValueBoolean("AC01|AC|ACPower02", false));
    std::int32_t valuePos = -1, indexPos = -1;
    EXPECT_TRUE(holder.SearchbIndex("ac01", "ac|acpower02", valuePos, indexPos));
    EXPECT_EQ(valuePos, 2);
    EXPECT_EQ(indexPos, 2);
    EXPECT_FALSE(holder.SearchbIndex("AC01", "ACPower03", valuePos, indexPos));
    EXPECT_EQ(valuePos, 0);
    EXPECT_EQ(indexPos, 0);
    EXPECT_FALSE(holder.SearchbIndex("AC02", "AC|ACPower01", valuePos, indexPos));

    holder.set_IdxName("AC01");
    EXPECT_TRUE(holder.SearchbSection("AC|ACPOWER01"));
    EXPECT_FALSE(holder.SearchbSection("ACPower01"));
    holder.set_IdxName("NONE");
    EXPECT_FALSE(holder.SearchbSection("AC|ACPower01"));
}

TEST(DataHolderPath, ValueCountsFollowTheCurrentIndex) {
    TmuDataholder holder;
    EXPECT_EQ(holder.get_ValueDataCount(), 0);
    EXPECT_EQ(holder.getDataCount(), 0);

    ASSERT_TRUE(holder.InitValueString("INI|TAVRIN|FormPos", "TopLeft"));
    ASSERT_TRUE(holder.InitValueInteger("INI|TAVRIN|PositionX", 150));
    ASSERT_TRUE(holder.InitValueInteger("AC01|AC|AC_DELAYTIME", 0));
    holder.set_IdxName("INI");
    EXPECT_EQ(holder.get_ValueDataCount(), 2);
    EXPECT_EQ(holder.getDataCount(), 2);
    holder.CheckValueOfSection("AC01|AC|x");
    EXPECT_EQ(holder.getDataCount(), 1);
    holder.CheckValueOfSection("NONE|AC|x");
    EXPECT_EQ(holder.get_ValueDataCount(), 0);
    EXPECT_EQ(holder.getDataCount(), 0);
}

TEST(DataHolderPath, SectionCountsGrowAndMissingIndexChangesNothing) {
    TmuDataholder holder;
    holder.set_SectionDataCount(3);
    EXPECT_EQ(holder.get_SectionDataCount(), 3);
    EXPECT_EQ(holder.Indexes()[2].Name, "");
    holder.set_SectionDataCount(-1);  // ignored
    EXPECT_EQ(holder.get_SectionDataCount(), 3);

    holder.set_IdxName("MISSING");
    holder.set_SectionDatacount(5);
    for (const auto& index : holder.Indexes()) EXPECT_TRUE(index.Data.empty());

    holder.clearAllValues();
    EXPECT_EQ(holder.get_SectionDataCount(), 0);
    EXPECT_EQ(holder.InitIndex("INI"), 1);
    holder.set_IdxName("ini");
    holder.set_SectionDatacount(2);
    EXPECT_EQ(holder.getDataCount(), 2);
}

TEST(DataHolderPath, ClearAllValuesForgetsEveryValue) {
    TmuDataholder holder;
    ASSERT_TRUE(holder.InitValueString("INI|TAVRIN|FormPos", "TopLeft"));
    holder.clearAllValues();
    EXPECT_TRUE(holder.Indexes().empty());
    EXPECT_EQ(holder.getValueString("INI|TAVRIN|FormPos"), "");
    EXPECT_FALSE(holder.setValueString("INI|TAVRIN|FormPos", "Middle"));
}
