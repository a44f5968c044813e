#pragma once
// A machine in a folder for the tests of the COM map: dev/ with device files
// (or links to pseudo-terminals), sys/ as /sys/class/tty, the console's
// active file, a kernel command line and a proc/ folder; and scopes that
// unset TAVRIN_COM_DIR or point the map at such a tree; a pseudo-terminal
// whose master side the test holds, to link where the test wants it.
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "device/ComPortMap.h"

// TAVRIN_COM_DIR unset for the test's lifetime (the machine's own map).
class NoComDir {
public:
    NoComDir() {
        if (const char* old = std::getenv("TAVRIN_COM_DIR")) old_ = old;
        ::unsetenv("TAVRIN_COM_DIR");
    }
    ~NoComDir() {
        if (old_) ::setenv("TAVRIN_COM_DIR", old_->c_str(), 1);
    }

private:
    std::optional<std::string> old_;
};

// A machine in a folder: dev/ with device files, sys/ as /sys/class/tty,
// the console's active file, a kernel command line and a proc/ folder.
class MachineTree {
public:
    MachineTree() {
        static std::atomic<int> counter{0};
        root_ = std::filesystem::temp_directory_path() /
                ("tavrin-machine-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "dev" / "serial" / "by-id");
        std::filesystem::create_directories(root_ / "sys");
        std::filesystem::create_directories(root_ / "proc");
        Console("", "");
    }
    ~MachineTree() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    TComPortFolders Folders() const {
        TComPortFolders f;
        f.devDir = Dev();
        f.sysTtyDir = (root_ / "sys").string();
        f.consoleActive = (root_ / "console-active").string();
        f.cmdline = (root_ / "cmdline").string();
        f.byIdDir = (root_ / "dev" / "serial" / "by-id").string();
        f.procDir = (root_ / "proc").string();
        return f;
    }
    std::string Dev() const { return (root_ / "dev").string(); }
    std::string Path(const std::string& name) const { return Dev() + "/" + name; }

    // A device file; `target` makes it a link (to a pseudo-terminal, say).
    void Device(const std::string& name, const std::string& target = {}) {
        if (target.empty())
            std::ofstream(root_ / "dev" / name).put('\0');
        else
            std::filesystem::create_symlink(target, root_ / "dev" / name);
    }
    // The sysfs entry of a tty: its UART type (ttyS only) and driver.
    void Sys(const std::string& name, const char* type, const std::string& driver = {}) {
        std::filesystem::create_directories(root_ / "sys" / name / "device");
        if (type) std::ofstream(root_ / "sys" / name / "type") << type << "\n";
        if (!driver.empty())
            std::filesystem::create_symlink("../../../bus/drivers/" + driver,
                                            root_ / "sys" / name / "device" / "driver");
    }
    void ById(const std::string& link, const std::string& device) {
        std::filesystem::create_symlink("../../" + device, root_ / "dev" / "serial" / "by-id" / link);
    }
    void Console(const std::string& active, const std::string& cmdline) {
        std::ofstream(root_ / "console-active") << active;
        std::ofstream(root_ / "cmdline") << cmdline;
    }
    // Process pid has the device open.
    void OpenIn(int pid, const std::string& device) {
        const std::filesystem::path fd = root_ / "proc" / std::to_string(pid) / "fd";
        std::filesystem::create_directories(fd);
        std::filesystem::create_symlink(Path(device), fd / "3");
    }
    void Locks(const std::string& text) { std::ofstream(root_ / "proc" / "locks") << text; }

private:
    std::filesystem::path root_;
};

// The map reads the given tree while the scope lives.
class FoldersScope {
public:
    explicit FoldersScope(const TComPortFolders& folders) { TComPortMap::SetFolders(folders); }
    ~FoldersScope() { TComPortMap::SetFolders({}); }
    FoldersScope(const FoldersScope&) = delete;
    FoldersScope& operator=(const FoldersScope&) = delete;
};

class PtyPair {
public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        slave_ = ::ptsname(master_);
    }
    ~PtyPair() {
        if (master_ >= 0) ::close(master_);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ok() const { return !slave_.empty(); }
    const std::string& SlavePath() const { return slave_; }

    // The line settings of the terminal (the slave side), read through the master.
    termios Settings() const {
        termios t{};
        ::tcgetattr(master_, &t);
        return t;
    }
    // Sets them through a short-lived open of the slave, as another program would.
    bool SetSettings(const termios& t) const {
        const int fd = ::open(slave_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return false;
        const bool ok = ::tcsetattr(fd, TCSANOW, &t) == 0;
        ::close(fd);
        return ok;
    }

    // Everything that reached the far end so far.
    std::string Received() {
        std::string got;
        char buffer[512];
        for (;;) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

private:
    int master_ = -1;
    std::string slave_;
};

// The fields of two line settings that differ, by name; empty when equal.
inline std::string SettingsDifference(const termios& a, const termios& b) {
    std::string diff;
    auto field = [&diff](const char* name, unsigned long x, unsigned long y) {
        if (x != y) diff += std::string(name) + " " + std::to_string(x) + " -> " + std::to_string(y) + "; ";
    };
    field("c_iflag", a.c_iflag, b.c_iflag);
    field("c_oflag", a.c_oflag, b.c_oflag);
    field("c_cflag", a.c_cflag, b.c_cflag);
    field("c_lflag", a.c_lflag, b.c_lflag);
    field("ispeed", ::cfgetispeed(&a), ::cfgetispeed(&b));
    field("ospeed", ::cfgetospeed(&a), ::cfgetospeed(&b));
    for (int i = 0; i < NCCS; ++i) field(("c_cc[" + std::to_string(i) + "]").c_str(), a.c_cc[i], b.c_cc[i]);
    return diff;
}
