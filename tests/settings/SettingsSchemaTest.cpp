// The settings schema as registered at start: indexes, order, types and defaults.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "settings/SettingsSchema.h"
#include "store/muDataHolder.h"

namespace {

class SettingsSchema : public ::testing::Test {
protected:
    SettingsSchema() { RegisterSettingsSchema(holder_); }

    // Value keys and tags of an index, in registration order.
    std::vector<std::pair<std::string, TmDataType>> Walk(const std::string& index) {
        std::vector<std::pair<std::string, TmDataType>> values;
        holder_.set_IdxName(index);
        const std::int32_t secPos = holder_.SearchIndex(index);
        EXPECT_NE(secPos, 0) << index;
        for (std::int32_t id = 1; id <= holder_.getDataCount(); ++id) {
            std::string key;
            TmDataType tag{};
            EXPECT_TRUE(holder_.getValuenameAsID(secPos, id, key));
            EXPECT_TRUE(holder_.getDatatypeAsID(secPos, id, tag));
            values.emplace_back(key, tag);
        }
        return values;
    }

    TmuDataholder holder_;
};

std::string Two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

}  // namespace

TEST_F(SettingsSchema, IndexesAreCreatedInRegistrationOrder) {
    std::vector<std::string> expected = {"HLP"};
    for (int box = 1; box <= 16; ++box) expected.push_back("AC" + Two(box));
    expected.push_back("INI");
    expected.push_back("DEFAULT");
    std::vector<std::string> names;
    for (const auto& index : holder_.Indexes()) names.push_back(index.Name);
    EXPECT_EQ(names, expected);
}

TEST_F(SettingsSchema, HelpTopicTableHas49IntegerTopicsInOrder) {
    const auto values = Walk("HLP");
    ASSERT_EQ(values.size(), 49u);
    std::set<std::string> distinct;
    for (const auto& [key, tag] : values) {
        EXPECT_EQ(key.rfind("HelpIndex|hlp_", 0), 0u) << key;
        EXPECT_EQ(tag, TmDataType::Integer) << key;
        distinct.insert(key);
    }
    EXPECT_EQ(distinct.size(), 49u);
    // Left column top to bottom, then the right column.
    EXPECT_EQ(values[0].first, "HelpIndex|hlp_allgemein");
    EXPECT_EQ(values[23].first, "HelpIndex|hlp_serielleschnittstelle");
    EXPECT_EQ(values[24].first, "HelpIndex|hlp_einstellungacmodul");
    EXPECT_EQ(values[37].first, "HelpIndex|hlp_beenden-von-windows");
    EXPECT_EQ(values[48].first, "HelpIndex|hlp_tavrinaufusbstick");

    struct Topic {
        const char* name;
        int context;
    };
    for (const Topic t : {Topic{"hlp_traybeenden", 1260},
                          {"hlp_allgemein", 200},
                          {"hlp_einstellungen", 610},
                          {"hlp_notaus", 460},
                          {"hlp_notaus-bestaetigen", 470},
                          {"hlp_einstellungacmodul", 900},
                          {"hlp_com-port-logging", 480},
                          {"hlp_tavrinaufusbstick", 1270},
                          {"hlp_zielordnerfuerdieinstallationwaehlen", 320}})
        EXPECT_EQ(holder_.getValueInteger(std::string("HLP|HelpIndex|") + t.name), t.context) << t.name;

    // The published table is the registered one.
    for (int i = 0; i < kHelpTopicCount; ++i) {
        EXPECT_EQ(values[i].first, std::string("HelpIndex|") + HelpTopics()[i].Name);
        EXPECT_EQ(holder_.getValueInteger(std::string("HLP|HelpIndex|") + HelpTopics()[i].Name),
                  HelpTopics()[i].Context);
    }
}

TEST_F(SettingsSchema, MainFileValuesHaveTheirTypesAndDefaults) {
    using T = TmDataType;
    const std::vector<std::pair<std::string, TmDataType>> expected = {
        {"TAVRIN|AUTOSTART", T::Boolean},    {"TAVRIN|SILENT", T::Boolean},
        {"TAVRIN|PrgHide", T::Boolean},      {"TAVRIN|FormPos", T::String},
        {"TAVRIN|PositionX", T::Integer},    {"TAVRIN|PositionY", T::Integer},
        {"TAVRIN|AC_Controller", T::String}, {"Logging|LogFile", T::String},
        {"Logging|Logging", T::Boolean},     {"Logging|DeleteFile", T::Boolean},
        {"Logging|LogArt", T::String},       {"Path|ProgFile", T::String},
        {"AC_Config|AC_File", T::String},    {"AC_Config|AC_ID", T::Integer},
        {"AC_Config|COM_Count", T::Integer}, {"HLP|USEINDEX", T::Boolean},
        {"HLP|HelpFile", T::String},         {"HLP|HelpIndex", T::String},
        {"HLP|LngType", T::String},          {"LNG|USEINDEX", T::Boolean},
        {"LNG|LngFile", T::String},          {"LNG|LngType", T::String},
    };
    EXPECT_EQ(Walk("INI"), expected);

    EXPECT_EQ(holder_.getValueString("INI|TAVRIN|FormPos"), "TopLeft");
    EXPECT_EQ(holder_.getValueInteger("INI|TAVRIN|PositionX"), 150);
    EXPECT_EQ(holder_.getValueInteger("INI|TAVRIN|PositionY"), 150);
    EXPECT_FALSE(holder_.getValueBoolean("INI|TAVRIN|AUTOSTART"));
    EXPECT_FALSE(holder_.getValueBoolean("INI|TAVRIN|SILENT"));
    EXPECT_EQ(holder_.getValueString("INI|TAVRIN|AC_Controller"), "");
    EXPECT_EQ(holder_.getValueString("INI|Logging|LogArt"), "LOG_STD");
    EXPECT_FALSE(holder_.getValueBoolean("INI|Logging|Logging"));
    EXPECT_EQ(holder_.getValueInteger("INI|AC_Config|COM_Count"), 1);
    EXPECT_EQ(holder_.getValueInteger("INI|AC_Config|AC_ID"), 1);
    EXPECT_EQ(holder_.getValueString("INI|HLP|LngType"), "DE");
    EXPECT_EQ(holder_.getValueString("INI|LNG|LngType"), "DE");
}

TEST_F(SettingsSchema, FileNameDefaultsAreUpperCase) {
    struct Case {
        const char* path;
        const char* value;
    };
    const Case cases[] = {
        {"INI|Logging|LogFile", "$APPDIR\\SYSTEM\\LOGGING\\LOGGING.LOG"},
        {"INI|PATH|ProgFile", "$APPDIR\\TAVRIN.EXE /SILENT"},
        {"INI|AC_Config|AC_File", "$APPDIR\\SYSTEM\\AC_CONFIG\\AC_POWER_$IDX.INI"},
        {"INI|HLP|Helpfile", "$APPDIR\\SYSTEM\\HILFE\\TAVRIN_$LNG.CHM"},
        {"INI|HLP|HelpIndex", "$APPDIR\\SYSTEM\\HILFE\\TAVRIN.HLP"},
        {"INI|LNG|LngFile", "$APPDIR\\SYSTEM\\LANGUAGE\\TAVRIN.$LNG.LNG"},
        {"Actuall_AcFile", "$APPDIR\\SYSTEM\\AC_CONFIG\\AC_POWER_$IDX.INI"},
        {"Actuall_Helpfile", "$APPDIR\\SYSTEM\\HILFE\\TAVRIN_$LNG.CHM"},
    };
    for (const auto& c : cases) EXPECT_EQ(holder_.getValueString(c.path), c.value) << c.path;
}

TEST_F(SettingsSchema, EveryBoxIndexCarriesTheSameSchema) {
    for (int box = 1; box <= 16; ++box) {
        const std::string index = "AC" + Two(box);
        const auto values = Walk(index);
        ASSERT_EQ(values.size(), 7u + 4u * 24u + 5u) << index;
        EXPECT_EQ(values[0].first, "AC|AC_Controller");
        EXPECT_EQ(values[6].first, "AC|AC_PWD");
        EXPECT_EQ(values[7].first, "AC|AC_Name01");
        EXPECT_EQ(values[7].second, TmDataType::String);
        EXPECT_EQ(values[31].first, "AC|ACPower01");
        EXPECT_EQ(values[55].first, "AC|AC_Down01");
        EXPECT_EQ(values[79].first, "AC|ACWDown01");
        EXPECT_EQ(values[102].first, "AC|ACWDown24");
        EXPECT_EQ(values[102].second, TmDataType::Boolean);
        EXPECT_EQ(values[103].first, "COM|Port");
        EXPECT_EQ(values[107].first, "COM|Flowcontrol");

        holder_.UseIndex = index;
        holder_.UseSection = "AC";
        EXPECT_EQ(holder_.getValueString("AC_Controller"), "None");
        EXPECT_TRUE(holder_.getValueBoolean("AC_BEEPER"));
        EXPECT_EQ(holder_.getValueString("AC_SN"), "");
        EXPECT_FALSE(holder_.getValueBoolean("AC_DELAY"));
        EXPECT_EQ(holder_.getValueInteger("AC_DELAYTIME"), 0);
        EXPECT_FALSE(holder_.getValueBoolean("AC_PWDACTIVE"));
        for (int socket = 1; socket <= 24; ++socket) {
            EXPECT_EQ(holder_.getValueString("AC_Name" + Two(socket)), "Steckdosenname");
            EXPECT_FALSE(holder_.getValueBoolean("ACPower" + Two(socket)));
        }
        holder_.UseSection = "COM";
        EXPECT_EQ(holder_.getValueString("Port"), "COM1");
        EXPECT_EQ(holder_.getValueString("Baudrate"), "2400");
        EXPECT_EQ(holder_.getValueString("Stopbit"), "1");
        EXPECT_EQ(holder_.getValueString("Parity"), "None");
        EXPECT_EQ(holder_.getValueString("Flowcontrol"), "None");
        holder_.clearUseIndexSection();
    }
    EXPECT_EQ(holder_.SearchIndex("AC17"), 0);
}

TEST_F(SettingsSchema, RunTimeValuesLiveInDefaultPrg) {
    using T = TmDataType;
    const std::vector<std::pair<std::string, TmDataType>> expected = {
        {"PRG|Actuall_AcFile", T::String}, {"PRG|Actuall_HelpFile", T::String},
        {"PRG|COM_Count", T::Integer},     {"PRG|USB_Str1", T::String},
        {"PRG|USB_Str2", T::String},       {"PRG|USB_Str3", T::String},
        {"PRG|USB_Str4", T::String},       {"PRG|FormActive", T::Boolean},
        {"PRG|AC_Visible", T::Boolean},    {"PRG|AC_COM_failed", T::Boolean},
    };
    EXPECT_EQ(Walk("DEFAULT"), expected);
    EXPECT_EQ(holder_.getValueInteger("COM_Count"), 0);
    EXPECT_FALSE(holder_.getValueBoolean("AC_COM_failed"));
    EXPECT_FALSE(holder_.getValueBoolean("AC_Visible"));

    // The start-up's run-time texts can be added and read back.
    EXPECT_TRUE(holder_.addValueString("COM_Count", "01"));
    EXPECT_EQ(holder_.getValueString("COM_Count"), "01");
    EXPECT_TRUE(holder_.addValueString("Actuall_LogFile", "/HOME/U/SYSTEM/LOGGING/LOGGING.LOG"));
    EXPECT_EQ(holder_.getValueString("Actuall_LogFile"), "/HOME/U/SYSTEM/LOGGING/LOGGING.LOG");
    EXPECT_TRUE(holder_.addValueString("INI|PATH|ProgLogFile", "/HOME/U/TAVRIN.EXE /SILENT"));
    EXPECT_EQ(holder_.getValueString("INI|Path|ProgLogFile"), "/HOME/U/TAVRIN.EXE /SILENT");
}

TEST_F(SettingsSchema, SecondRegistrationKeepsValues) {
    ASSERT_TRUE(holder_.setValueString("INI|TAVRIN|FormPos", "Middle"));
    ASSERT_TRUE(holder_.setValueBoolean("AC01|AC|ACPower05", true));
    std::vector<std::size_t> counts;
    for (const auto& index : holder_.Indexes()) counts.push_back(index.Data.size());

    // Even with short-name settings in force the run-time values land in DEFAULT.
    holder_.UseIndex = "AC01";
    holder_.UseSection = "AC";
    RegisterSettingsSchema(holder_);
    EXPECT_EQ(holder_.UseIndex, "AC01");
    holder_.clearUseIndexSection();

    std::vector<std::size_t> after;
    for (const auto& index : holder_.Indexes()) after.push_back(index.Data.size());
    EXPECT_EQ(after, counts);
    EXPECT_EQ(holder_.getValueString("INI|TAVRIN|FormPos"), "Middle");
    EXPECT_TRUE(holder_.getValueBoolean("AC01|AC|ACPower05"));
}

TEST(SettingsSchemaOnto, ShortNameSettingsDoNotDivertTheRunTimeValues) {
    TmuDataholder holder;
    holder.UseIndex = "INI";
    holder.UseSection = "TAVRIN";
    RegisterSettingsSchema(holder);
    holder.clearUseIndexSection();
    EXPECT_EQ(holder.getValueString("Actuall_AcFile"), "$APPDIR\\SYSTEM\\AC_CONFIG\\AC_POWER_$IDX.INI");
    holder.set_IdxName("INI");
    EXPECT_EQ(holder.getDataCount(), 22);
}
