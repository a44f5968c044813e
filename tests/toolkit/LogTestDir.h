#pragma once
// A throw-away working directory for logger tests: the fake platform reports
// it as the current directory, and "System/Logging" below it may be created
// or left missing.
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/FakePlatform.h"

class LogTestDir {
public:
    explicit LogTestDir(FakePlatform& platform, bool withLogFolder = true) {
        static std::atomic<int> counter{0};
        root_ = std::filesystem::temp_directory_path() /
                ("tavrin-logtest-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
        if (withLogFolder) std::filesystem::create_directories(LogFolder());
        platform.currentDir = root_.string();
    }
    ~LogTestDir() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    std::string Root() const { return root_.string(); }
    std::filesystem::path LogFolder() const { return root_ / "System" / "Logging"; }
    std::filesystem::path LogFile() const { return LogFolder() / "mLogging.log"; }

    // The whole log file, or empty when it does not exist.
    std::string Read() const { return ReadPath(LogFile()); }
    static std::string ReadPath(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    void Clear() const { std::filesystem::remove(LogFile()); }

private:
    std::filesystem::path root_;
};
