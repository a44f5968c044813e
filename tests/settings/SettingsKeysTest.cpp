// The program's data-holder paths against the settings schema: every path
// names a registered value of its type (or is one of the values the start
// adds, or a lookup the schema leaves out on purpose), and the exit lists
// name exactly the values the program writes back to its files.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "settings/SettingsKeys.h"
#include "settings/SettingsSchema.h"
#include "store/muDataHolder.h"

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The registered values by full path (lower case, the holder matches
// ignoring case) with their type tags.
class RegisteredValues : public ::testing::Test {
protected:
    RegisteredValues() {
        RegisterSettingsSchema(holder_);
        for (const TmSectionDataArray& index : holder_.Indexes()) {
            indexes_.insert(Lower(index.Name));
            for (const TmDataArray& value : index.Data)
                tags_[Lower(index.Name + "|" + value.ValueKey)] = value.DataType;
        }
    }

    // The full path a key's path stands for in its context.
    static std::string FullPath(const std::string& path, const Keys::Context& context) {
        const auto parts = std::count(path.begin(), path.end(), '|');
        if (parts == 2) return path;
        EXPECT_EQ(parts, 0) << path;
        if (*context.index == '\0') return "DEFAULT|PRG|" + path;
        return std::string(context.index) + "|" + context.section + "|" + path;
    }
    // The tag registered under the path, or none.
    const TmDataType* Registered(const std::string& fullPath) const {
        const auto it = tags_.find(Lower(fullPath));
        return it == tags_.end() ? nullptr : &it->second;
    }
    bool IndexRegistered(const std::string& fullPath) const {
        return indexes_.count(Lower(fullPath.substr(0, fullPath.find('|')))) != 0;
    }
    template <typename T>
    void ExpectRegistered(const Keys::Key<T>& key, const Keys::Context& context = Keys::kNoContext) {
        const TmDataType* tag = Registered(FullPath(key.path, context));
        ASSERT_NE(tag, nullptr) << key.path;
        EXPECT_EQ(*tag, Keys::TypeOf<T>()) << key.path;
    }

    TmuDataholder holder_;
    std::set<std::string> indexes_;
    std::map<std::string, TmDataType> tags_;
};

}  // namespace

TEST_F(RegisteredValues, EveryDeclaredKeyNamesARegisteredValueOfItsType) {
    ASSERT_FALSE(Keys::DeclaredKeys().empty());
    for (const Keys::TDeclaredKey& key : Keys::DeclaredKeys()) {
        SCOPED_TRACE(key.name);
        const std::string full = FullPath(key.path, key.context);
        EXPECT_TRUE(IndexRegistered(full)) << full;
        const TmDataType* tag = Registered(full);
        switch (key.origin) {
            case Keys::Origin::Schema:
                ASSERT_NE(tag, nullptr) << full << " is not registered";
                EXPECT_EQ(*tag, key.type) << full;
                break;
            case Keys::Origin::AddedAtStart:
            case Keys::Origin::Unregistered:
                // Registering them would put them into the files' walks.
                EXPECT_EQ(tag, nullptr) << full << " is registered";
                break;
        }
    }
}

TEST_F(RegisteredValues, DeclaredKeysAreDistinct) {
    std::set<std::string> paths;
    for (const Keys::TDeclaredKey& key : Keys::DeclaredKeys())
        EXPECT_TRUE(paths.insert(Lower(FullPath(key.path, key.context))).second) << key.name;
}

TEST_F(RegisteredValues, SocketAndHelpPathsNameRegisteredValues) {
    for (int n = 1; n <= 24; ++n) {
        SCOPED_TRACE(n);
        ExpectRegistered(Keys::SocketName(n));
        ExpectRegistered(Keys::SocketPower(n));
        ExpectRegistered(Keys::SocketEndAction(n));
        ExpectRegistered(Keys::SocketEndOff(n));
        // The short names in the box context are the same values.
        const std::string NN = Keys::TwoDigits(n);
        EXPECT_EQ(FullPath(Keys::ShortSocketName(NN).path, Keys::kBoxContext), Keys::SocketName(n).path);
        EXPECT_EQ(FullPath(Keys::ShortSocketEndAction(NN).path, Keys::kBoxContext),
                  Keys::SocketEndAction(n).path);
        EXPECT_EQ(FullPath(Keys::ShortSocketEndOff(NN).path, Keys::kBoxContext), Keys::SocketEndOff(n).path);
    }
    EXPECT_EQ(Registered(Keys::SocketPower(25).path), nullptr);
    for (const THelpTopic& topic : HelpTopics()) ExpectRegistered(Keys::HelpTopic(topic.Name));
    for (int box = 1; box <= 16; ++box) EXPECT_TRUE(indexes_.count(Lower(Keys::BoxIndex(box)))) << box;
    EXPECT_TRUE(indexes_.count(Lower(Keys::kMainIndex)));
    EXPECT_EQ(Lower(Keys::kBoxContext.index), Lower(Keys::BoxIndex(1)));
    EXPECT_EQ(Lower(Keys::kBoxPortContext.index), Lower(Keys::BoxIndex(1)));
    EXPECT_NE(Registered(Keys::Path(Keys::kBoxPortContext.index, Keys::kBoxPortContext.section, "Port")),
              nullptr);
}

TEST_F(RegisteredValues, TypedAccessUsesTheSlotOfTheKeysType) {
    EXPECT_TRUE(Keys::Set(holder_, Keys::PositionX, -7));
    EXPECT_EQ(holder_.getValueInteger("INI|TAVRIN|PositionX"), -7);
    EXPECT_TRUE(Keys::Set(holder_, Keys::Silent, true));
    EXPECT_TRUE(holder_.getValueBoolean("INI|TAVRIN|SILENT"));
    EXPECT_TRUE(Keys::Set(holder_, Keys::FormPos, "Middle"));
    EXPECT_EQ(Keys::Get(holder_, Keys::FormPos), "Middle");

    // The start keeps the box file count as text in the Integer value.
    EXPECT_TRUE(Keys::AddText(holder_, Keys::BoxFileCount, "03"));
    EXPECT_EQ(Keys::Text(holder_, Keys::BoxFileCount), "03");
    EXPECT_EQ(Keys::Get(holder_, Keys::BoxFileCount), 0);

    // Short names read in their context.
    ASSERT_TRUE(Keys::Set(holder_, Keys::SocketEndOff(4), true));
    Keys::Use(holder_, Keys::kBoxContext);
    EXPECT_TRUE(Keys::Get(holder_, Keys::ShortSocketEndOff("04")));
    Keys::Use(holder_, Keys::kLoggingContext);
    EXPECT_EQ(Keys::Get(holder_, Keys::LogArt), "LOG_STD");
    holder_.clearUseIndexSection();
}

// ---- The exit lists ------------------------------------------------------------

namespace {

using VT = TValueType;
using Expected = std::vector<std::pair<std::string, TValueType>>;

Expected NamesAndTypes(const TExitList& list) {
    Expected out;
    for (const TExitValue& value : list.Values) out.emplace_back(value.Name, value.Type);
    return out;
}

TmDataType TagOf(TValueType type) {
    switch (type) {
        case VT::Boolean:
            return TmDataType::Boolean;
        case VT::Integer:
            return TmDataType::Integer;
        case VT::String:
            break;
    }
    return TmDataType::String;
}

}  // namespace

TEST(ExitValues, EachBlockListsItsValuesInWriteOrder) {
    struct Case {
        TExitBlock block;
        const char* section;
        Expected values;
    };
    const Case cases[] = {
        {TExitBlock::MainSettings,
         "TAVRIN",
         {{"PositionX", VT::Integer},
          {"PositionY", VT::Integer},
          {"FormPos", VT::String},
          {"AUTOSTART", VT::Boolean},
          {"SILENT", VT::Boolean},
          {"PrgHide", VT::Boolean}}},
        {TExitBlock::BoxPort,
         "COM",
         {{"Port", VT::String},
          {"Baudrate", VT::String},
          {"Stopbit", VT::String},
          {"Parity", VT::String},
          {"Flowcontrol", VT::String}}},
        {TExitBlock::Sockets,
         "AC",
         {{"AC_Name", VT::String},
          {"ACPower", VT::Boolean},
          {"AC_Down", VT::Boolean},
          {"ACWDown", VT::Boolean}}},
        {TExitBlock::BoxSettings,
         "AC",
         {{"AC_Controller", VT::String},
          {"AC_BEEPER", VT::Boolean},
          {"AC_SN", VT::String},
          {"AC_DELAY", VT::Boolean},
          {"AC_DELAYTIME", VT::Integer},
          {"AC_PWDACTIVE", VT::Boolean},
          {"AC_PWD", VT::String}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section);
        EXPECT_EQ(ExitValues(c.block).Section, c.section);
        EXPECT_EQ(NamesAndTypes(ExitValues(c.block)), c.values);
    }
}

TEST(ExitValues, OnlyTheSocketEndMarksSwitchOffAndTheyComeLast) {
    std::vector<std::string> marks;
    bool markSeen = false;
    for (const TExitValue& value : ExitValues(TExitBlock::Sockets).Values) {
        if (value.SwitchOffMark) {
            EXPECT_EQ(value.Type, VT::Boolean) << value.Name;
            marks.push_back(value.Name);
            markSeen = true;
        } else {
            // The shutdown reads the marks together after the other values.
            EXPECT_FALSE(markSeen) << value.Name << " follows a switch-off mark";
        }
    }
    EXPECT_EQ(marks, (std::vector<std::string>{"AC_Down", "ACWDown"}));
    for (TExitBlock block : {TExitBlock::MainSettings, TExitBlock::BoxPort, TExitBlock::BoxSettings})
        for (const TExitValue& value : ExitValues(block).Values)
            EXPECT_FALSE(value.SwitchOffMark) << value.Name;
}

// Every value of the box sections is written back, each once, with the type
// it is registered with; of tavrin.ini exactly the marked TAVRIN values.
TEST_F(RegisteredValues, TheExitListsCoverTheBoxSectionsAndNameRegisteredValues) {
    std::map<std::string, TmDataType> written;  // lower-case "SECTION|KEY" of box 01
    auto add = [&](const std::string& key, TValueType type) {
        EXPECT_TRUE(written.emplace(Lower(key), TagOf(type)).second) << key << " written twice";
    };
    for (TExitBlock block : {TExitBlock::BoxPort, TExitBlock::BoxSettings}) {
        const TExitList& list = ExitValues(block);
        for (const TExitValue& value : list.Values) add(list.Section + "|" + value.Name, value.Type);
    }
    const TExitList& sockets = ExitValues(TExitBlock::Sockets);
    for (int n = 1; n <= 24; ++n)
        for (const TExitValue& value : sockets.Values)
            add(sockets.Section + "|" + value.Name + Keys::TwoDigits(n), value.Type);

    for (int box = 1; box <= 16; ++box) {
        const std::string index = Keys::BoxIndex(box);
        SCOPED_TRACE(index);
        const TmSectionDataArray& entry = holder_.Indexes()[holder_.SearchIndex(index) - 1];
        std::map<std::string, TmDataType> registered;
        for (const TmDataArray& value : entry.Data) registered[Lower(value.ValueKey)] = value.DataType;
        EXPECT_EQ(registered, written);
    }

    const TExitList& main = ExitValues(TExitBlock::MainSettings);
    for (const TExitValue& value : main.Values) {
        const TmDataType* tag = Registered(Keys::Path(Keys::kMainIndex, main.Section, value.Name));
        ASSERT_NE(tag, nullptr) << value.Name;
        EXPECT_EQ(*tag, TagOf(value.Type)) << value.Name;
    }
}
