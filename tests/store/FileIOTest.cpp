// File-name service: placeholders, trailing characters, file versions and
// the composed text file.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "store/muFileIO.h"
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

// A working directory of its own with the log folder, so that error lines
// can be read back.
class FileIOTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tavrin_fileio_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "System" / "Logging");
        platform_.currentDir = dir_.string();
        io_ = std::make_unique<TmuFileIO>();
        io_->Log()->SetCompoID("LOG_ALL");
    }
    void TearDown() override {
        io_.reset();
        fs::remove_all(dir_);
    }
    std::string LogText() { return ReadAll(dir_ / "System" / "Logging" / "mLogging.log"); }
    bool Logged(const std::string& error) {
        return LogText().find("ErrorMsg : " + error) != std::string::npos;
    }

    FakePlatform platform_;
    fs::path dir_;
    std::unique_ptr<TmuFileIO> io_;
};

}  // namespace

TEST_F(FileIOTest, ReplacesTheFirstExactPlaceholderWithUpperCaseText) {
    struct Case {
        const char* text;
        const char* placeholder;
        const char* replacement;
        const char* expected;
    } cases[] = {
        {"$APPDIR\\System\\Logging\\Logging.log", "$APPDIR", "/home/anna/Tavrin",
         "/HOME/ANNA/TAVRIN\\System\\Logging\\Logging.log"},
        {"$appdir\\tavrin.exe", "$APPDIR", "/opt", "$appdir\\tavrin.exe"},  // exact case only
        {"$APPDIR\\a;$APPDIR\\b", "$APPDIR", "/x", "/X\\a;$APPDIR\\b"},     // first only
        {"$APPDIR\\SYSTEM\\HILFE\\TAVRIN_$LNG.CHM", "$LNG", "de", "$APPDIR\\SYSTEM\\HILFE\\TAVRIN_DE.CHM"},
        {"AC_POWER_$IDX.INI", "$IDX", "01", "AC_POWER_01.INI"},
        {"/home/$USER", "$USER", "jürgen", "/home/JüRGEN"},  // letters beyond ASCII stay
        {"no placeholder", "$APPDIR", "/x", "no placeholder"},
        {"", "$APPDIR", "/x", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string result = "stale";
        EXPECT_EQ(io_->get_LocateAndReplacePlacehold(c.text, c.placeholder, result, c.replacement),
                  c.expected);
        EXPECT_EQ(result, c.expected);
    }
}

TEST_F(FileIOTest, AddsAMissingLastCharacterButNeverToAnEmptyText) {
    EXPECT_EQ(io_->add_CharacterIfFailed("Protokoll.", '.'), "Protokoll.");
    EXPECT_EQ(io_->add_CharacterIfFailed("Protokoll", '.'), "Protokoll.");
    EXPECT_EQ(io_->add_CharacterIfFailed("", '.'), "");
    EXPECT_EQ(io_->add_Backslash("C:\\Tavrin"), "C:\\Tavrin\\");
    EXPECT_EQ(io_->add_Backslash("C:\\Tavrin\\"), "C:\\Tavrin\\");
    EXPECT_EQ(io_->add_Backslash(""), "");
}

TEST_F(FileIOTest, ReadsTheVersionMarkerFromAnyFile) {
    // Built at run time, so that this program's own data holds no record
    // but the real one.
    const std::string m = std::string("TAVRIN-FILE") + "-VERSION:";
    struct Case {
        const char* what;
        std::string bytes;
        const char* expected;
    } cases[] = {
        {"marker inside binary data",
         std::string("\x7F"
                     "ELF\0\0garbage",
                     12) +
             m + "2.1.0.14" + std::string("\0tail", 5),
         "2.1.0.14"},
        {"a bare marker before the real one", m + std::string("\0..", 3) + m + std::string("1.0.1.22\0", 9),
         "1.0.1.22"},
        {"leading zeros", m + std::string("01.002.0.9\0", 11), "1.2.0.9"},
        {"part above 16 bits", m + std::string("1.70000.0.0\0", 12), "x.x.x.x"},
        {"three parts", m + std::string("1.2.3\0", 6), "x.x.x.x"},
        {"not ended by NUL", m + "1.2.3.4", "x.x.x.x"},
        {"across the 1 MiB read blocks", std::string((1u << 20) - 10, 'x') + m + std::string("3.4.5.6\0", 8),
         "3.4.5.6"},
        {"cut marker, whole one later",
         std::string((1u << 20) - 5, 'x') + m.substr(0, 12) + std::string(3u << 20, 'y') + m +
             std::string("7.8.9.10\0", 9),
         "7.8.9.10"},
        {"no marker", "[TAVRIN]\r\nFormPos=TopLeft\r\n", "x.x.x.x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path file = dir_ / "probe.bin";
        std::ofstream(file, std::ios::binary) << c.bytes;
        std::string version = "stale";
        EXPECT_EQ(io_->GetFileVersion(file.string(), version), c.expected);
        EXPECT_EQ(version, c.expected);
    }
    EXPECT_TRUE(Logged("GetFileVersionInfoSize ermittelt keine Daten!"));
    EXPECT_EQ(io_->GetFileVersion((dir_ / "missing.exe").string()), "x.x.x.x");
}

TEST_F(FileIOTest, AProgramCarriesItsBuildVersion) {
    EXPECT_EQ(TmuFileIO::OwnFileVersion(), TAVRIN_FILE_VERSION);
    // This test program links the file service, so it carries the record.
    EXPECT_EQ(io_->GetFileVersion(fs::read_symlink("/proc/self/exe").string()), TAVRIN_FILE_VERSION);
}

TEST_F(FileIOTest, ComposesTheFileNameWithDateAndTimeAndCreatesTheFile) {
    platform_.SetNow(1'709'637'000'000);  // early March 2024
    const std::time_t secs = 1'709'637'000;
    std::tm tm{};
    localtime_r(&secs, &tm);
    char date[16];
    char time[16];
    std::strftime(date, sizeof date, "%Y%m%d", &tm);
    std::strftime(time, sizeof time, "%H_%M_%S", &tm);

    io_->SetFilePath(dir_.string());
    io_->SetFilename("Protokoll");
    io_->SetFileExt("txt");
    io_->SetFileLogDate(true);
    io_->SetFileLogTime(true);
    io_->SetFileOpen(true);
    ASSERT_TRUE(io_->FileOpen());
    const std::string name = std::string(date) + "-" + time + "-Protokoll.txt";
    EXPECT_EQ(io_->Filename(), name);
    EXPECT_EQ(io_->get_FullFilename(), dir_.string() + "\\" + name);
    EXPECT_TRUE(io_->WriteLine("Zeile 1"));
    io_->SetFileOpen(false);
    EXPECT_FALSE(io_->FileOpen());
    EXPECT_FALSE(io_->WriteLine("nach dem Schließen"));
    EXPECT_EQ(ReadAll(dir_ / name), "Zeile 1\r\n");
}

TEST_F(FileIOTest, OpeningEmptiesAnExistingFileAndFailsInAMissingFolder) {
    std::ofstream(dir_ / "Alt.log") << "alter Inhalt";
    io_->SetFileDevice("C");
    EXPECT_EQ(io_->FileDevice(), "C:");
    io_->SetFilePath(dir_.string().substr(1));  // the drive names the root
    io_->SetFilename("Alt.");
    io_->SetFileExt("log");
    io_->SetFileOpen(true);
    ASSERT_TRUE(io_->FileOpen());
    EXPECT_EQ(io_->get_FullFilename(), "C:\\" + dir_.string().substr(1) + "\\Alt.log");
    EXPECT_EQ(fs::file_size(dir_ / "Alt.log"), 0u);
    io_->SetFileOpen(false);

    io_->SetFileDevice("");
    io_->SetFilePath((dir_ / "fehlt").string());
    io_->SetFilename("Neu");
    io_->SetFileOpen(true);
    EXPECT_FALSE(io_->FileOpen());
    EXPECT_FALSE(fs::exists(dir_ / "fehlt"));
    EXPECT_TRUE(Logged("Die Datei ("));

    io_->SetFileDevice("12");
    EXPECT_TRUE(Logged("Das Laufwerk (12:) ist nicht vorhanden."));
}
