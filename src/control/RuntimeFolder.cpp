#include "control/RuntimeFolder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool Absolute(const std::string& path) { return !path.empty() && path[0] == '/'; }

// Makes the folder (mode 0700) with the folders above it where missing.
bool MakePrivate(const std::string& path) {
    if (RuntimeFolder::Private(path)) return true;
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        const std::string parent = path.substr(0, slash);
        struct stat st {};
        if (::stat(parent.c_str(), &st) != 0 && !MakePrivate(parent)) return false;
    }
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return RuntimeFolder::Private(path);
}

std::string Named(const std::string& folder, const std::string& key, const char* suffix) {
    return folder + "/" + key + "-" + std::to_string(::getuid()) + suffix;
}

}  // namespace

namespace RuntimeFolder {

bool Private(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string Default() {
    const std::string runtime = Env("XDG_RUNTIME_DIR");
    if (Absolute(runtime) && Private(runtime)) return runtime;
    std::string cache = Env("XDG_CACHE_HOME");
    if (!Absolute(cache)) {
        std::string home = Env("HOME");
        if (!Absolute(home)) {
            if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) home = pw->pw_dir;
        }
        if (!Absolute(home)) return {};
        cache = home + "/.cache";
    }
    const std::string folder = cache + "/tavrin";
    return MakePrivate(folder) ? folder : std::string();
}

std::string LockPath(const std::string& folder, const std::string& key) {
    return Named(folder, key, ".lock");
}

std::string SocketPath(const std::string& folder, const std::string& key) {
    return Named(folder, key, ".socket");
}

}  // namespace RuntimeFolder

TInstanceLock::~TInstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

TInstanceLock::TOutcome TInstanceLock::Take(const std::string& path) {
    if (fd_ >= 0) return TOutcome::Taken;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error_ = errno;
        return TOutcome::CannotOpen;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        fd_ = fd;
        return TOutcome::Taken;
    }
    error_ = errno;
    ::close(fd);
    return error_ == EWOULDBLOCK ? TOutcome::Held : TOutcome::CannotLock;
}

bool TInstanceLock::HeldElsewhere(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;  // no lock file: nobody ever ran here
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}
