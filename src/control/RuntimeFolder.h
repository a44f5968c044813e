#pragma once
// Where the running program keeps its single-instance lock and its socket:
// a folder that only the user can change. $XDG_RUNTIME_DIR when it is such
// a folder, else $XDG_CACHE_HOME/tavrin (~/.cache/tavrin, made with mode
// 0700); never the shared temporary folder, where another user could take
// the lock first.
#include <string>

namespace RuntimeFolder {

// Empty when there is no such folder.
std::string Default();
// A folder that is the user's own, a folder, no link, not writable by
// group or others.
bool Private(const std::string& path);

std::string LockPath(const std::string& folder, const std::string& key = "Tavrin");
std::string SocketPath(const std::string& folder, const std::string& key = "Tavrin");

}  // namespace RuntimeFolder

// The single-instance lock taken for a while (by tavrinctl while it drives
// the program's box itself). The kernel frees it when the process ends.
class TInstanceLock {
public:
    TInstanceLock() = default;
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock&) = delete;
    TInstanceLock& operator=(const TInstanceLock&) = delete;

    // Held: another process (a running program) holds it. CannotOpen and
    // CannotLock: the lock file cannot be made or locked (Error() tells why).
    enum class TOutcome { Taken, Held, CannotOpen, CannotLock };
    TOutcome Take(const std::string& path);
    bool Holding() const { return fd_ >= 0; }
    // The errno of the last Take that failed.
    int Error() const { return error_; }
    // Whether some process holds the lock at `path` (taken and freed again).
    static bool HeldElsewhere(const std::string& path);

private:
    int fd_ = -1;
    int error_ = 0;
};
