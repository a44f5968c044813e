#pragma once
// Pseudo-terminals for the tests of the real serial port: a temporary COM
// folder named by TAVRIN_COM_DIR (restored afterwards), and pty pairs whose
// slave is linked there as com<n> while the test holds the master side.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

class ComDir {
public:
    ComDir() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("tavrin-com-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
        if (const char* old = std::getenv("TAVRIN_COM_DIR")) old_ = old;
        ::setenv("TAVRIN_COM_DIR", path_.c_str(), 1);
    }
    ~ComDir() {
        if (old_)
            ::setenv("TAVRIN_COM_DIR", old_->c_str(), 1);
        else
            ::unsetenv("TAVRIN_COM_DIR");
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string Path() const { return path_.string(); }
    std::string Link(int n) const { return (path_ / ("com" + std::to_string(n))).string(); }

private:
    std::filesystem::path path_;
    std::optional<std::string> old_;
};

class Pty {
public:
    Pty(const ComDir& dir, int n) : link_(dir.Link(n)) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        slave_ = ::ptsname(master_);
        ok_ = ::symlink(slave_.c_str(), link_.c_str()) == 0;
    }
    ~Pty() {
        Close();
        ::unlink(link_.c_str());
    }
    bool Ok() const { return ok_; }
    const std::string& SlavePath() const { return slave_; }

    bool Write(const std::string& bytes) {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Reads from the master until want bytes came or ms passed.
    std::string Read(std::size_t want, int ms = 1000) {
        std::string got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (got.size() < want) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now())
                    .count();
            if (left <= 0) break;
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0) break;
            char buffer[512];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
            if (n <= 0 && !(p.revents & POLLIN)) break;
        }
        return got;
    }

    // The far end goes away (like an unplugged USB adapter).
    void Close() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    std::string link_;
    std::string slave_;
    int master_ = -1;
    bool ok_ = false;
};
