// The file-system boundary: program paths to real paths (the program's
// folder, letter case), and replacing a file's contents while keeping the
// file what it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>

#include "support/FakePlatform.h"
#include "toolkit/FileSystem.h"

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

std::set<std::string> Names(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

struct stat Stat(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
    return st;
}

class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("tavrin_fs_" + std::to_string(::getpid()) + "_" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto it = fs::recursive_directory_iterator(root_, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            if (it->is_directory(ec) && !it->is_symlink(ec))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root_, ec);
    }

    FakePlatform platform_;
    fs::path root_;
};

// ---------------------------------------------------------------------------
// Program paths

// The program's folder App has a sibling APP with the same files: names
// resolved from "$APPDIR" (upper case) find App's files only.
TEST_F(FileSystemTest, NamesFromTheProgramsFolderNeverFindASiblingInCapitals) {
    const fs::path app = root_ / "App";
    for (const fs::path& dir : {app, root_ / "APP"}) {
        fs::create_directories(dir / "System" / "AC_Config");
        fs::create_directories(dir / "System" / "Hilfe");
        WriteAll(dir / "System" / "AC_Config" / "AC_Power_01.ini", dir.filename().string());
    }
    // Two entries that differ in case only: no guess between them.
    fs::create_directories(app / "System" / "Logging");
    fs::create_directories(app / "System" / "logging");
    platform_.currentDir = app.string();
    const std::string upperApp = Upper(app.string());

    struct Case {
        std::string path;
        std::string expected;
    } cases[] = {
        // "$APPDIR\SYSTEM\AC_CONFIG\AC_POWER_01.INI" after resolving.
        {upperApp + "\\SYSTEM\\AC_CONFIG\\AC_POWER_01.INI",
         (app / "System/AC_Config/AC_Power_01.ini").string()},
        {upperApp + "\\System\\Hilfe\\", (app / "System/Hilfe/").string()},
        {upperApp, app.string()},
        // The folder as the system spells it.
        {app.string() + "/System/AC_Config/AC_Power_01.ini",
         (app / "System/AC_Config/AC_Power_01.ini").string()},
        // An INI text that names the sibling in its own spelling gets it.
        {(root_ / "APP").string() + "\\System\\AC_Config\\AC_Power_01.ini",
         (root_ / "APP/System/AC_Config/AC_Power_01.ini").string()},
        // Two candidates: the name stays as written (and is not found).
        {upperApp + "\\SYSTEM\\LOGGING\\mLogging.log", (app / "System/LOGGING/mLogging.log").string()},
        // Exactly written: taken as written, whatever else is there.
        {app.string() + "/System/logging", (app / "System/logging").string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(fs_boundary::NativePath(c.path), c.expected);
    }
    std::string bytes;
    ASSERT_TRUE(fs_boundary::ReadFile(upperApp + "\\SYSTEM\\AC_CONFIG\\AC_POWER_01.INI", bytes));
    EXPECT_EQ(bytes, "App");
    ASSERT_TRUE(fs_boundary::WriteFileAtomic(upperApp + "\\SYSTEM\\AC_CONFIG\\AC_POWER_01.INI", "new"));
    EXPECT_EQ(ReadAll(app / "System/AC_Config/AC_Power_01.ini"), "new");
    EXPECT_EQ(ReadAll(root_ / "APP/System/AC_Config/AC_Power_01.ini"), "APP");
}

// ---------------------------------------------------------------------------
// Saving

// Every kind of file stays what it was: a link stays a link to the same
// file, hard links stay one file, the mode stays, nothing is left beside it.
TEST_F(FileSystemTest, SavingKeepsTheFileWhatItWas) {
    struct Case {
        const char* what;
        std::function<fs::path(const fs::path& dir)> make;  // gives the name the program writes
        std::function<void(const fs::path& dir, const fs::path& name)> check;
    };
    const Case cases[] = {
        {"symbolic link to another folder",
         [](const fs::path& dir) {
             fs::create_directories(dir / "elsewhere");
             WriteAll(dir / "elsewhere" / "real.ini", "old");
             ::chmod((dir / "elsewhere" / "real.ini").c_str(), 0600);
             fs::create_symlink(dir / "elsewhere" / "real.ini", dir / "tavrin.ini");
             return dir / "tavrin.ini";
         },
         [](const fs::path& dir, const fs::path& name) {
             EXPECT_TRUE(fs::is_symlink(name));
             EXPECT_EQ(fs::read_symlink(name), dir / "elsewhere" / "real.ini");
             EXPECT_EQ(ReadAll(dir / "elsewhere" / "real.ini"), "new contents");
             EXPECT_EQ(Stat(dir / "elsewhere" / "real.ini").st_mode & 07777, 0600u);
             EXPECT_EQ(Names(dir / "elsewhere"), std::set<std::string>{"real.ini"});
         }},
        {"relative link chain",
         [](const fs::path& dir) {
             WriteAll(dir / "real.ini", "old");
             fs::create_symlink("real.ini", dir / "mid.ini");
             fs::create_symlink("mid.ini", dir / "tavrin.ini");
             return dir / "tavrin.ini";
         },
         [](const fs::path& dir, const fs::path& name) {
             EXPECT_TRUE(fs::is_symlink(name));
             EXPECT_TRUE(fs::is_symlink(dir / "mid.ini"));
             EXPECT_EQ(ReadAll(dir / "real.ini"), "new contents");
         }},
        {"hard link",
         [](const fs::path& dir) {
             WriteAll(dir / "tavrin.ini", "old");
             fs::create_hard_link(dir / "tavrin.ini", dir / "backup.ini");
             return dir / "tavrin.ini";
         },
         [](const fs::path& dir, const fs::path& name) {
             EXPECT_EQ(Stat(name).st_ino, Stat(dir / "backup.ini").st_ino);
             EXPECT_EQ(ReadAll(dir / "backup.ini"), "new contents");
         }},
        {"private file (mode 0600)",
         [](const fs::path& dir) {
             WriteAll(dir / "AC_Power_01.ini", "old");
             ::chmod((dir / "AC_Power_01.ini").c_str(), 0600);
             return dir / "AC_Power_01.ini";
         },
         [](const fs::path&, const fs::path& name) { EXPECT_EQ(Stat(name).st_mode & 07777, 0600u); }},
        {"group-writable file (mode 0664)",
         [](const fs::path& dir) {
             WriteAll(dir / "tavrin.ini", "old");
             ::chmod((dir / "tavrin.ini").c_str(), 0664);
             return dir / "tavrin.ini";
         },
         [](const fs::path&, const fs::path& name) { EXPECT_EQ(Stat(name).st_mode & 07777, 0664u); }},
        {"a link planted under the name a save once used",
         [](const fs::path& dir) {
             WriteAll(dir / "tavrin.ini", "old");
             WriteAll(dir / "victim", "untouched");
             fs::create_symlink(dir / "victim", dir / "tavrin.ini.tmp~");
             return dir / "tavrin.ini";
         },
         [](const fs::path& dir, const fs::path&) { EXPECT_EQ(ReadAll(dir / "victim"), "untouched"); }},
        {"a folder under the name a save once used",
         [](const fs::path& dir) {
             WriteAll(dir / "tavrin.ini", "old");
             fs::create_directory(dir / "tavrin.ini.tmp~");
             return dir / "tavrin.ini";
         },
         [](const fs::path& dir, const fs::path&) {
             EXPECT_TRUE(fs::is_directory(dir / "tavrin.ini.tmp~"));
         }},
    };
    int i = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path dir = root_ / std::to_string(++i);
        fs::create_directories(dir);
        const fs::path name = c.make(dir);
        const std::set<std::string> before = Names(dir);
        ASSERT_TRUE(fs_boundary::WriteFileAtomic(name.string(), "new contents"));
        EXPECT_EQ(ReadAll(name), "new contents");
        EXPECT_EQ(Names(dir), before);  // nothing added, nothing left behind
        c.check(dir, name);
    }
}

TEST_F(FileSystemTest, SavingKeepsTheOwner) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give the file another owner";
    const fs::path file = root_ / "tavrin.ini";
    WriteAll(file, "old");
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    ASSERT_TRUE(fs_boundary::WriteFileAtomic(file.string(), "new"));
    EXPECT_EQ(Stat(file).st_uid, 65534u);
    EXPECT_EQ(Stat(file).st_gid, 65534u);
    EXPECT_EQ(ReadAll(file), "new");
}

// A folder that takes no new files, holding a file that may be written:
// the file is rewritten in place.
TEST_F(FileSystemTest, AFolderThatRefusesNewFilesStillGetsItsFileWritten) {
    const fs::path dir = root_ / "readonly";
    fs::create_directories(dir);
    const fs::path file = dir / "tavrin.ini";
    WriteAll(file, "old contents that are longer");
    const uid_t nobody = 65534;
    if (::geteuid() == 0) {
        // Root writes anywhere; the folder refuses the file's owner instead.
        ASSERT_EQ(::chown(file.c_str(), nobody, nobody), 0);
        ASSERT_EQ(::chmod(dir.c_str(), 0755), 0);
        ASSERT_EQ(::setegid(nobody), 0);
        ASSERT_EQ(::seteuid(nobody), 0);
    } else {
        ASSERT_EQ(::chmod(dir.c_str(), 0555), 0);
    }
    const bool written = fs_boundary::WriteFileAtomic(file.string(), "new");
    if (::getuid() == 0) {
        ASSERT_EQ(::seteuid(0), 0);
        ASSERT_EQ(::setegid(0), 0);
    }
    EXPECT_TRUE(written);
    EXPECT_EQ(ReadAll(file), "new");
    EXPECT_EQ(Names(dir), std::set<std::string>{"tavrin.ini"});
}

// A write that fails halfway (the file-size limit stands in for a full
// disk) leaves the old file and nothing beside it.
TEST_F(FileSystemTest, AFailedSaveKeepsTheOldFileAndLeavesNothingBehind) {
    const fs::path file = root_ / "tavrin.ini";
    WriteAll(file, "old");
    struct sigaction ignore {
    }, old{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &old);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = fs_boundary::WriteFileAtomic(file.string(), std::string(64 * 1024, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &old, nullptr);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadAll(file), "old");
    EXPECT_EQ(Names(root_), std::set<std::string>{"tavrin.ini"});
}

}  // namespace
