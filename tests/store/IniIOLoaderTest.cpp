// Loading data-holder indexes from INI files, and the round trip of a
// tavrin.ini written on Windows.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "store/muDataHolder.h"
#include "store/muIniIO.h"
#include "store/muTextEncoding.h"
#include "support/FakePlatform.h"
#include "toolkit/muLogging.h"

namespace fs = std::filesystem;

namespace {

const fs::path kData = fs::path(TAVRIN_SOURCE_DIR) / "tests" / "store" / "data";

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteAll(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Cp1252(const std::string& utf8) {
    std::string bytes;
    text_encoding::Utf8ToWindows1252(utf8, bytes);
    return bytes;
}

class IniIOLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tavrin_iniload_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "System" / "Logging");
        fs::create_directories(dir_ / "System" / "AC_Config");
        platform_.currentDir = dir_.string();
        fs::copy_file(kData / "tavrin_windows.ini", dir_ / "tavrin.ini");
        fs::copy_file(kData / "AC_Power_01.ini", dir_ / "System" / "AC_Config" / "AC_Power_01.ini");
        holder_ = std::make_unique<TmuDataholder>();
        io_ = std::make_unique<TmuIniIO>();
        io_->Log()->SetCompoID("LOG_ALL");
        io_->set_IniIoCount(2);
    }
    void TearDown() override {
        io_.reset();
        holder_.reset();
        fs::remove_all(dir_);
    }

    void OpenSlot(int slot, const std::string& path, const std::string& file) {
        io_->set_IniIoIndex(slot);
        io_->set_path(path);
        io_->set_Filename(file);
        io_->set_Active(true);
    }
    std::string Str(const std::string& path) { return holder_->getValueString(path); }
    bool Logged(const std::string& error) {
        return ReadAll(dir_ / "System" / "Logging" / "mLogging.log").find("ErrorMsg : " + error) !=
               std::string::npos;
    }

    FakePlatform platform_;
    fs::path dir_;
    std::unique_ptr<TmuDataholder> holder_;
    std::unique_ptr<TmuIniIO> io_;
};

}  // namespace

TEST_F(IniIOLoaderTest, FileValuesReplaceDefaultsAndMissingKeysKeepThem) {
    holder_->InitValueList("INI", "TAVRIN",
                           {"FormPos", "Middle-default", "PositionX", 1, "AUTOSTART", true, "NotInFile",
                            "TopLeft", "AC_Controller", ""});
    holder_->InitValueList("INI", "Logging", {"LogArt", "LOG_ALL", "Logging", true});
    holder_->InitValueList("INI", "Fehlt", {"Wert", 5});
    holder_->InitValueString("INI|TwoParts", "bleibt");
    holder_->InitValueInteger("HLP|HelpIndex|hlp_traybeenden", 1260);

    OpenSlot(1, dir_.string(), "tavrin.ini");
    EXPECT_TRUE(io_->readINI_with_DataHolder(holder_.get()));

    EXPECT_EQ(Str("INI|TAVRIN|FormPos"), "TopLeft");
    EXPECT_EQ(holder_->getValueInteger("INI|TAVRIN|PositionX"), 150);
    EXPECT_FALSE(holder_->getValueBoolean("INI|TAVRIN|AUTOSTART"));
    EXPECT_EQ(Str("INI|TAVRIN|NotInFile"), "TopLeft");
    EXPECT_EQ(Str("INI|TAVRIN|AC_Controller"), "Büro Süd – Größe ½");  // Windows-1252 in the file
    EXPECT_EQ(Str("INI|Logging|LogArt"), "LOG_STD");
    EXPECT_FALSE(holder_->getValueBoolean("INI|Logging|Logging"));
    EXPECT_EQ(holder_->getValueInteger("INI|Fehlt|Wert"), 5);
    EXPECT_EQ(Str("INI|TwoParts"), "bleibt");
    EXPECT_EQ(holder_->getValueInteger("HLP|HelpIndex|hlp_traybeenden"), 1260);  // other indexes untouched
}

TEST_F(IniIOLoaderTest, BoxFileLoadsIntoItsIndexWithTheBooleanNotations) {
    holder_->InitValueList("AC01", "AC", {"AC_Controller", "None", "AC_BEEPER", false, "AC_DELAYTIME", 0});
    holder_->InitArrayValueString("AC01", "AC", "AC_Name", 1, 24, "Steckdosenname", true);
    holder_->InitArrayValueBoolean("AC01", "AC", "ACPower", 1, 24, true);
    holder_->InitValueList("AC01", "COM", {"Port", "COM1", "Baudrate", "2400"});

    OpenSlot(2, Upper(dir_.string()) + "\\SYSTEM\\AC_CONFIG\\", "AC_POWER_01.INI");
    ASSERT_TRUE(io_->get_Active());
    EXPECT_TRUE(io_->readFile_with_DataHolder("AC01", "", holder_.get()));

    EXPECT_EQ(Str("AC01|AC|AC_Controller"), "USB-NELTA-BOX8-ACM8");
    EXPECT_TRUE(holder_->getValueBoolean("AC01|AC|AC_BEEPER"));
    EXPECT_EQ(holder_->getValueInteger("AC01|AC|AC_DELAYTIME"), 3);
    EXPECT_EQ(Str("AC01|AC|AC_Name02"), "Kühlschrank");
    EXPECT_EQ(Str("AC01|AC|AC_Name04"), "Außenlicht");
    EXPECT_EQ(Str("AC01|AC|AC_Name09"), "Steckdosenname");  // not in the file
    // OFF, ON, yes, No, 1, OFF, ON, OFF; a digit reads as false.
    const bool power[] = {false, true, true, false, false, false, true, false};
    for (int n = 1; n <= 8; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(holder_->getValueBoolean("AC01|AC|ACPower0" + std::to_string(n)), power[n - 1]);
    }
    EXPECT_EQ(Str("AC01|COM|Port"), "COM3");
    EXPECT_EQ(Str("AC01|COM|Baudrate"), "57600");
}

TEST_F(IniIOLoaderTest, ByteAndWordValuesReadTwoHexDigits) {
    WriteAll(dir_ / "tavrin.ini", "[X]\nB1=1A\nB2=ff\nW=0F\nI=$20\n");
    holder_->InitValueByte("INI|X|B1", 1);
    holder_->InitValueByte("INI|X|B2", 1);
    holder_->InitValueWord("INI|X|W", 1);
    holder_->InitValueInteger("INI|X|I", 1);
    OpenSlot(1, dir_.string(), "tavrin.ini");
    EXPECT_TRUE(io_->readINI_with_DataHolder(holder_.get()));
    TmVarType v;
    holder_->getValueMulti("INI|X|B1", TmDataType::Byte, v);
    EXPECT_EQ(v.mByte, 26);
    holder_->getValueMulti("INI|X|B2", TmDataType::Byte, v);
    EXPECT_EQ(v.mByte, 255);
    holder_->getValueMulti("INI|X|W", TmDataType::Word, v);
    EXPECT_EQ(v.mWord, 15);
    EXPECT_EQ(holder_->getValueInteger("INI|X|I"), 32);
}

TEST_F(IniIOLoaderTest, WithoutFileOrValuesOrHolder) {
    // No registered values: the index is created and nothing was visited.
    OpenSlot(1, dir_.string(), "tavrin.ini");
    EXPECT_FALSE(io_->readFile_with_DataHolder("AC02", "", holder_.get()));
    EXPECT_TRUE(holder_->SearchbIndex("AC02"));

    EXPECT_FALSE(io_->readFile_with_DataHolder("AC01", "", nullptr));
    EXPECT_TRUE(Logged("AC01-Fehler / DataHolder-Klasse ist nicht erstellt."));

    // A missing file leaves every default in place.
    holder_->InitValueString("INI|TAVRIN|FormPos", "TopLeft");
    OpenSlot(1, dir_.string(), "gibtsnicht.ini");
    EXPECT_TRUE(io_->readINI_with_DataHolder(holder_.get()));
    EXPECT_EQ(Str("INI|TAVRIN|FormPos"), "TopLeft");
}

TEST_F(IniIOLoaderTest, WindowsFileRoundTripChangesOnlyTheWrittenValues) {
    const std::string original = ReadAll(dir_ / "tavrin.ini");
    OpenSlot(1, dir_.string(), "tavrin.ini");
    ASSERT_EQ(io_->get_IniIo()->Encoding(), TTextEncoding::Windows1252);

    // What the program writes at exit, plus a key the file lacks.
    io_->WriteOnOFF("TAVRIN", "AUTOSTART", true);
    io_->WriteOnOFF("TAVRIN", "SILENT", false);
    io_->WriteString("TAVRIN", "FormPos", "Middle");
    io_->WriteInteger("TAVRIN", "PositionX", 312);
    io_->WriteInteger("TAVRIN", "PositionY", -40);
    io_->WriteString("TAVRIN", "AC_Controller", "Küche Nord – ÄÖÜ");
    io_->WriteString("TAVRIN", "NeuerSchluessel", "x");
    io_->set_Active(false);

    std::string expected = original;
    auto replace = [&](const std::string& from, const std::string& to) {
        const std::size_t at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, from.size(), to);
    };
    replace("AUTOSTART=OFF\r\n", "AUTOSTART=ON\r\n");
    replace("FormPos=TopLeft\r\n", "FormPos=Middle\r\n");
    replace("PositionX=150\r\n", "PositionX=312\r\n");
    replace("PositionY=150\r\n", "PositionY=-40\r\n");
    replace(Cp1252("AC_Controller=Büro Süd – Größe ½\r\n"), Cp1252("AC_Controller=Küche Nord – ÄÖÜ\r\n"));
    const std::string written = ReadAll(dir_ / "tavrin.ini");
    EXPECT_EQ(written, expected);  // comments, order, CR LF and umlauts byte for byte
    EXPECT_EQ(written.find("NeuerSchluessel"), std::string::npos);

    // Read back by a fresh binding.
    TmuIniIO again;
    again.set_IniIoCount(1);
    again.set_IniIoIndex(1);
    again.set_path(dir_.string());
    again.set_Filename("tavrin.ini");
    again.set_Active(true);
    std::string text;
    again.ReadString("TAVRIN", "AC_Controller", text, "");
    EXPECT_EQ(text, "Küche Nord – ÄÖÜ");
    EXPECT_EQ(again.ReadInteger("TAVRIN", "PositionY", 0), -40);
    EXPECT_EQ(again.get_IniIo()->ReadSections(),
              (std::vector<std::string>{"TAVRIN", "Logging", "Path", "AC_Config", "HLP", "LNG"}));
}

// What an unreadable text loads: a Boolean takes the loader's read default
// (false), whatever its registered default; an Integer keeps its registered
// default. Registered defaults that differ from the read defaults tell the
// two apart.
TEST_F(IniIOLoaderTest, UnreadableTextsLoadTheReadDefaults) {
    WriteAll(dir_ / "read.ini",
             "[R]\r\nFlagTrue=1\r\nFlagFalse=maybe\r\nFlagYes=yes\r\nCount=12abc\r\nCountEmpty=\r\nCountHex=$"
             "1F\r\n");
    struct Case {
        const char* key;
        bool isBoolean;
        int registered;  // the registered default (Booleans: 0/1)
        int expected;
    } cases[] = {
        {"FlagTrue", true, 1, 0},   // a digit is no Boolean: false, not the registered true
        {"FlagFalse", true, 1, 0},  // any other text too
        {"FlagYes", true, 0, 1},       {"Count", false, 7, 7},  // not a number: the registered default
        {"CountEmpty", false, -3, -3}, {"CountHex", false, 7, 31},
    };
    for (const Case& c : cases) {
        const std::string path = std::string("RD|R|") + c.key;
        if (c.isBoolean)
            holder_->InitValueBoolean(path, c.registered != 0);
        else
            holder_->InitValueInteger(path, c.registered);
    }
    OpenSlot(1, dir_.string(), "read.ini");
    ASSERT_TRUE(io_->readFile_with_DataHolder("RD", "", holder_.get()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const std::string path = std::string("RD|R|") + c.key;
        if (c.isBoolean)
            EXPECT_EQ(holder_->getValueBoolean(path), c.expected != 0);
        else
            EXPECT_EQ(holder_->getValueInteger(path), c.expected);
    }
}
