// INI binding: slots, typed reads and writes with their checks, write-back.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "store/muIniIO.h"
#include "support/FakePlatform.h"
#include "toolkit/muLogging.h"

namespace fs = std::filesystem;

namespace {

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

const char* const kSettings =
    "[TAVRIN]\r\n"
    "FormPos=Middle\r\n"
    "Yes=yes\r\n"
    "No=No\r\n"
    "On=ON\r\n"
    "Off=off\r\n"
    "Digit=1\r\n"
    "Byte1=1A\r\n"
    "Byte2=ff\r\n"
    "Hex=0x1F\r\n"
    "Dollar=$10\r\n"
    "Neg=-12\r\n"
    "Bad=12abc\r\n"
    "Big=99999999999\r\n"
    "Empty=\r\n"
    "\r\n"
    "[Logging]\r\n"
    "Logging=OFF\r\n";

class IniIOTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tavrin_iniio_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "System" / "Logging");
        platform_.currentDir = dir_.string();
        WriteAll(dir_ / "tavrin.ini", kSettings);
        io_ = std::make_unique<TmuIniIO>();
        io_->Log()->SetCompoID("LOG_ALL");
    }
    void TearDown() override {
        io_.reset();
        fs::remove_all(dir_);
    }

    // Slot 1 of 2 opened on tavrin.ini.
    void Open() {
        io_->set_IniIoCount(2);
        io_->set_IniIoIndex(1);
        io_->set_path(dir_.string());
        io_->set_Filename("tavrin.ini");
        io_->set_Active(true);
        ASSERT_TRUE(io_->get_Active());
    }

    std::string LogText() { return ReadAll(dir_ / "System" / "Logging" / "mLogging.log"); }
    // Whether the error was logged since the last call.
    bool LoggedError(const std::string& error) {
        const std::string text = LogText();
        const bool found = text.find("ErrorMsg : " + error + "\r\n", seen_) != std::string::npos;
        seen_ = text.size();
        return found;
    }
    void ForgetLog() { seen_ = LogText().size(); }

    FakePlatform platform_;
    fs::path dir_;
    std::unique_ptr<TmuIniIO> io_;
    std::size_t seen_ = 0;
};

}  // namespace

TEST_F(IniIOTest, OpensTheSameFileWithOrWithoutTrailingBackslashAndInAnyLetterCase) {
    const std::string dir = dir_.string();
    const std::string paths[] = {dir, dir + "\\", Upper(dir), Upper(dir) + "\\"};
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        io_->set_IniIoCount(1);
        io_->set_IniIoIndex(1);
        io_->set_path(path);
        io_->set_Filename(path == dir ? "tavrin.ini" : "TAVRIN.INI");
        io_->set_Active(true);
        EXPECT_TRUE(io_->get_Active());
        EXPECT_EQ(io_->get_FullFilename(), (path.back() == '\\' ? path : path + "\\") + io_->get_Filename());
        std::string pos;
        io_->ReadString("TAVRIN", "FormPos", pos, "TopLeft");
        EXPECT_EQ(pos, "Middle");
    }
}

TEST_F(IniIOTest, AMissingFileLeavesTheSlotInactive) {
    io_->set_IniIoCount(1);
    io_->set_IniIoIndex(1);
    io_->set_path(dir_.string());
    io_->set_Filename("fehlt.ini");
    io_->set_Active(true);
    EXPECT_FALSE(io_->get_Active());
    EXPECT_EQ(io_->get_IniIo(), nullptr);
    EXPECT_TRUE(LoggedError("Fehler weil, Datei (" + dir_.string() + "\\fehlt.ini) nicht vorhanden"));
    EXPECT_FALSE(io_->open_inifile(dir_.string() + "\\fehlt.ini"));
    EXPECT_TRUE(LoggedError("Öffnen der INI-Datei: (" + dir_.string() +
                            "\\fehlt.ini) nicht möglich, da diese fehlt!"));
    EXPECT_FALSE(fs::exists(dir_ / "fehlt.ini"));
}

TEST_F(IniIOTest, SlotSelectionIgnoresNumbersOutsideTheSlots) {
    io_->set_IniIoCount(0);
    EXPECT_EQ(io_->get_IniIoCount(), 0);
    io_->set_Active(true);  // no slots: nothing happens
    EXPECT_FALSE(io_->get_Active());

    io_->set_IniIoCount(2);
    io_->set_IniIoIndex(0);
    io_->set_IniIoIndex(-1);
    EXPECT_EQ(io_->get_IniIoIndex(), 0);
    EXPECT_FALSE(io_->check_IniIO());
    EXPECT_TRUE(LoggedError("FmIniIoIndex ist Null!"));
    io_->set_IniIoIndex(3);
    EXPECT_EQ(io_->get_IniIoIndex(), 0);
    io_->set_IniIoIndex(2);
    EXPECT_EQ(io_->get_IniIoIndex(), 2);
    EXPECT_FALSE(io_->check_IniIO());
    EXPECT_TRUE(LoggedError("Class IniIO fehlt!"));
}

TEST_F(IniIOTest, ReadsEachNotation) {
    Open();
    struct OnOff {
        const char* key;
        bool withFalseDefault;
        bool withTrueDefault;
    } onOff[] = {
        {"Yes", true, true},   {"No", false, false},   {"On", true, true},
        {"Off", false, false}, {"Digit", false, true}, {"FormPos", false, true},
    };
    for (const OnOff& c : onOff) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(io_->ReadOnOFF("TAVRIN", c.key, false), c.withFalseDefault);
        EXPECT_EQ(io_->ReadOnOFF("tavrin", c.key, true), c.withTrueDefault);
    }

    EXPECT_EQ(io_->ReadByte("TAVRIN", "Byte1", 7), 26);
    EXPECT_EQ(io_->ReadByte("TAVRIN", "Byte2", 7), 255);
    EXPECT_EQ(io_->ReadWord("TAVRIN", "Byte2", 7), 255);

    struct Int {
        const char* key;
        int expected;
    } ints[] = {{"Hex", 31}, {"Dollar", 16}, {"Neg", -12}, {"Bad", 42}, {"Big", 42}, {"Empty", 42}};
    for (const Int& c : ints) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(io_->ReadInteger("TAVRIN", c.key, 42), c.expected);
    }

    std::string text;
    io_->ReadString("TAVRIN", "formpos", text, "TopLeft");
    EXPECT_EQ(text, "Middle");
    io_->ReadString("TAVRIN", "Empty", text, "Vorgabe");
    EXPECT_EQ(text, "");
}

TEST_F(IniIOTest, MissingSectionKeyOrFileGiveTheDefaultAndTheirErrorLine) {
    struct Read {
        const char* kind;
        std::function<bool(TmuIniIO&, const char* section, const char* key)> givesDefault;
    } reads[] = {
        {"Byte", [](TmuIniIO& io, const char* s, const char* k) { return io.ReadByte(s, k, 9) == 9; }},
        {"Word", [](TmuIniIO& io, const char* s, const char* k) { return io.ReadWord(s, k, 9) == 9; }},
        {"Integer", [](TmuIniIO& io, const char* s, const char* k) { return io.ReadInteger(s, k, 9) == 9; }},
        {"String",
         [](TmuIniIO& io, const char* s, const char* k) {
             std::string v;
             io.ReadString(s, k, v, "nine");
             return v == "nine";
         }},
        {"OnOFF", [](TmuIniIO& io, const char* s, const char* k) { return io.ReadOnOFF(s, k, true); }},
    };

    for (const Read& r : reads) {  // inactive slot
        SCOPED_TRACE(r.kind);
        EXPECT_TRUE(r.givesDefault(*io_, "TAVRIN", "FormPos"));
        EXPECT_TRUE(LoggedError("INI-Fehler # Datei nicht vorhanden oder INI-Funkion aktive."));
    }
    EXPECT_FALSE(io_->SectionExists("TAVRIN"));
    EXPECT_TRUE(LoggedError("INI-Fehler beim lesen vom SectionExists (TAVRIN)"));
    EXPECT_FALSE(io_->ValueExists("TAVRIN", "FormPos"));
    EXPECT_TRUE(LoggedError("INI-Fehler beim lesen vom ValueExists (FormPos)"));

    Open();
    ForgetLog();
    for (const Read& r : reads) {
        SCOPED_TRACE(r.kind);
        EXPECT_TRUE(r.givesDefault(*io_, "Fehlt", "FormPos"));
        EXPECT_TRUE(LoggedError("INI-Fehler Section. (Fehlt) nicht vorhanden."));
        EXPECT_TRUE(r.givesDefault(*io_, "Logging", "FormPos"));
        EXPECT_TRUE(
            LoggedError(std::string("INI-Fehler beim ") + r.kind + " Ident. (FormPos) nicht vorhanden."));
    }
    EXPECT_TRUE(io_->SectionExists("logging"));
    EXPECT_TRUE(io_->ValueExists("LOGGING", "logging"));
    EXPECT_FALSE(io_->ValueExists("Logging", "FormPos"));
}

TEST_F(IniIOTest, WritesChangeExistingKeysOnlyAndReachTheDiskOnClose) {
    Open();
    io_->WriteOnOFF("TAVRIN", "AUTOSTART", true);
    EXPECT_TRUE(LoggedError("INI-Fehler beim OnOFF Ident. (AUTOSTART) nicht vorhanden."));
    io_->WriteString("Neu", "FormPos", "TopRight");
    EXPECT_TRUE(LoggedError("INI-Fehler Section. (Neu) nicht vorhanden."));
    io_->WriteInteger("Logging", "PositionX", 5);
    EXPECT_TRUE(LoggedError("INI-Fehler beim Integer Ident. (PositionX) nicht vorhanden."));
    EXPECT_FALSE(io_->get_IniChange());
    EXPECT_FALSE(io_->get_IniIo()->Modified());

    io_->WriteString("tavrin", "FORMPOS", "TopRight");
    EXPECT_TRUE(io_->get_IniChange());
    io_->WriteOnOFF("Logging", "Logging", true);
    io_->WriteInteger("TAVRIN", "Neg", 300);
    EXPECT_EQ(io_->ReadInteger("TAVRIN", "Neg", 0), 300);
    EXPECT_EQ(ReadAll(dir_ / "tavrin.ini"), kSettings);  // memory only so far

    io_->set_Active(false);
    std::string expected = kSettings;
    expected.replace(expected.find("FormPos=Middle"), 14, "FormPos=TopRight");
    expected.replace(expected.find("Neg=-12"), 7, "Neg=300");
    expected.replace(expected.find("Logging=OFF"), 11, "Logging=ON");
    EXPECT_EQ(ReadAll(dir_ / "tavrin.ini"), expected);
    EXPECT_TRUE(io_->get_IniChange());  // never cleared by the binding

    // Written once: an external edit afterwards survives the next close.
    WriteAll(dir_ / "tavrin.ini", "[TAVRIN]\r\nFormPos=Bottom\r\n");
    io_->set_Active(false);
    EXPECT_EQ(ReadAll(dir_ / "tavrin.ini"), "[TAVRIN]\r\nFormPos=Bottom\r\n");
}

TEST_F(IniIOTest, DestructionWritesEverySlotWhateverIsSelected) {
    WriteAll(dir_ / "AC_Power_01.ini", "[AC]\nAC_SN=\n");
    Open();
    io_->WriteString("TAVRIN", "FormPos", "BottomLeft");
    io_->set_IniIoIndex(2);
    io_->set_path(dir_.string());
    io_->set_Filename("AC_Power_01.ini");
    io_->set_Active(true);
    io_->WriteString("AC", "AC_SN", "4711");
    io_->set_Filename("AC_Power_02.ini");  // missing: slot 2 loses its document
    io_->set_Active(true);
    EXPECT_EQ(ReadAll(dir_ / "AC_Power_01.ini"), "[AC]\nAC_SN=4711\n");  // saved before it was replaced
    EXPECT_FALSE(io_->check_IniIO());

    io_.reset();
    EXPECT_NE(ReadAll(dir_ / "tavrin.ini").find("FormPos=BottomLeft\r\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "AC_Power_02.ini"));
}

TEST_F(IniIOTest, AFailedWriteKeepsTheOldFileAndSaysSo) {
    Open();
    // A value too large for the file-size limit makes the write fail the
    // way a full disk would (the log's short lines still fit).
    const std::string big(256 * 1024, 'x');
    io_->Log()->SetCompoID("LOG_NONE");
    io_->WriteString("TAVRIN", "FormPos", big);
    io_->Log()->SetCompoID("LOG_ALL");
    struct sigaction ignore {
    }, old{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &old);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur =
        static_cast<rlim_t>(fs::file_size(dir_ / "System" / "Logging" / "mLogging.log") + 64 * 1024);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    io_->set_Active(false);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &old, nullptr);

    const std::string shown = dir_.string() + "\\tavrin.ini";
    EXPECT_TRUE(LoggedError("Fehler beim Schreiben der INI-Datei (" + shown + ")"));
    EXPECT_EQ(ReadAll(dir_ / "tavrin.ini"), kSettings);
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_EQ(platform_.messages[0].text, std::string(TmuIniIO::kSaveFailedText) + shown);
    EXPECT_EQ(platform_.messages[0].icon, MsgIcon::Error);
    // Nothing is left beside the file.
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"System", "tavrin.ini"}));

    io_->set_Active(false);  // the change is still pending and goes out now
    EXPECT_NE(ReadAll(dir_ / "tavrin.ini").find("FormPos=" + big), std::string::npos);
    EXPECT_EQ(platform_.messages.size(), 1u);
}

TEST_F(IniIOTest, ReopeningLoadsTheFileAfresh) {
    Open();
    WriteAll(dir_ / "tavrin.ini", "[TAVRIN]\r\nFormPos=Center\r\n");
    std::string pos;
    io_->ReadString("TAVRIN", "FormPos", pos, "");
    EXPECT_EQ(pos, "Middle");
    io_->set_Active(true);
    io_->ReadString("TAVRIN", "FormPos", pos, "");
    EXPECT_EQ(pos, "Center");
}

TEST_F(IniIOTest, ABinaryFileOpensAndItsReadableKeysLoad) {
    std::string bytes(4096, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 131 + 7) % 256);
    bytes += "\n[TAVRIN]\nFormPos=Right\n" + std::string(100'000, '\xFF') + "\nPositionX=77\n";
    WriteAll(dir_ / "tavrin.ini", bytes);
    Open();
    std::string pos;
    io_->ReadString("TAVRIN", "FormPos", pos, "");
    EXPECT_EQ(pos, "Right");
    EXPECT_EQ(io_->ReadInteger("TAVRIN", "PositionX", 0), 77);
    io_.reset();
    EXPECT_EQ(ReadAll(dir_ / "tavrin.ini"), bytes);  // nothing written, nothing changed
}

// Small in bytes, huge in lines: bare line ends would each become a line
// kept in memory. Such a file is not loaded; a long but sane one is.
TEST_F(IniIOTest, AFileOfTooManyLinesIsNotLoaded) {
    const std::size_t many = TmIniDocument::kMaxLines;
    struct Case {
        const char* what;
        std::string bytes;
        bool loads;
    } cases[] = {
        {"bare line feeds", "[TAVRIN]\nFormPos=Middle\n" + std::string(many, '\n'), false},
        {"bare carriage returns", "[TAVRIN]\rFormPos=Middle\r" + std::string(many, '\r'), false},
        {"CR LF pairs",
         [&] {
             std::string b = "[TAVRIN]\r\nFormPos=Middle\r\n";
             for (std::size_t i = 0; i < many; ++i) b += "\r\n";
             return b;
         }(),
         false},
        {"a long file within the bound",
         [&] {
             std::string b = "[TAVRIN]\r\nFormPos=Middle\r\n";
             for (std::size_t i = 0; i < many / 2; ++i) b += ";\r\n";
             return b;
         }(),
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteAll(dir_ / "tavrin.ini", c.bytes);
        io_->set_IniIoCount(1);
        io_->set_IniIoIndex(1);
        io_->set_path(dir_.string());
        io_->set_Filename("tavrin.ini");
        io_->set_Active(true);
        EXPECT_EQ(io_->get_Active(), c.loads);
        if (c.loads) {
            std::string pos;
            io_->ReadString("TAVRIN", "FormPos", pos, "");
            EXPECT_EQ(pos, "Middle");
        } else {
            EXPECT_NE(LogText().find("Zeilenenden zu lang und wird nicht gelesen."), std::string::npos);
        }
    }
}

TEST_F(IniIOTest, AnOversizedFileIsNotLoaded) {
    std::ofstream(dir_ / "tavrin.ini", std::ios::binary) << "[TAVRIN]\r\nFormPos=Middle\r\n";
    fs::resize_file(dir_ / "tavrin.ini", TmIniDocument::kMaxFileSize + 1);  // sparse, costs no disk
    io_->set_IniIoCount(1);
    io_->set_IniIoIndex(1);
    io_->set_path(dir_.string());
    io_->set_Filename("tavrin.ini");
    io_->set_Active(true);
    EXPECT_FALSE(io_->get_Active());
    const std::string log = LogText();
    const std::string name = dir_.string() + "\\tavrin.ini";
    EXPECT_NE(
        log.find("ErrorMsg : Die INI-Datei (" + name + ") ist mit " +
                 std::to_string(TmIniDocument::kMaxFileSize + 1) + " Bytes zu groß und wird nicht gelesen."),
        std::string::npos);
    EXPECT_NE(log.find("ErrorMsg : Fehler beim öffnen der INI-Datei (" + name + ")"), std::string::npos);
}
