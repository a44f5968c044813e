#include "toolkit/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "toolkit/Platform.h"
#include "toolkit/muStringTools.h"

namespace fs = std::filesystem;

namespace fs_boundary {
namespace {

std::string Join(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

// The program's folder as the system spells it, when the path begins with
// it as "$APPDIR" puts it there (upper case) or as the system spells it: the
// length of the path's part it covers, else 0. Another spelling (an INI text
// naming a folder of that name in other letters) is not the program's folder.
std::size_t AppDirPrefix(const std::string& p, std::string& appDir) {
    appDir = GetPlatform().CurrentDir();
    while (appDir.size() > 1 && appDir.back() == '/') appDir.pop_back();
    if (appDir.size() < 2 || appDir[0] != '/' || p.size() < appDir.size()) return 0;
    const std::string head = p.substr(0, appDir.size());
    if (head != appDir && head != AsciiUpper(appDir)) return 0;
    if (p.size() > appDir.size() && p[appDir.size()] != '/') return 0;
    return appDir.size();
}

}  // namespace

std::string NativePath(const std::string& path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    if (p.empty()) return p;

    // Names of the program's folder are upper-cased ("$APPDIR"): the part of
    // the path that is the program's folder is taken as the system spells
    // it, never as a sibling folder that happens to be named in capitals.
    std::string result;
    size_t pos = 0;
    std::string appDir;
    if (const std::size_t covered = AppDirPrefix(p, appDir); covered > 0) {
        result = appDir;
        pos = covered + 1;
    } else if (p[0] == '/') {
        result = "/";
        pos = 1;
    }
    // Each further element is kept as written when it exists; otherwise it
    // takes the spelling of the one entry that matches it ignoring case.
    // Several such entries decide nothing: the element stays as written.
    bool resolving = true;
    while (pos <= p.size()) {
        size_t next = p.find('/', pos);
        if (next == std::string::npos) next = p.size();
        std::string elem = p.substr(pos, next - pos);
        pos = next + 1;
        if (elem.empty()) {
            if (next >= p.size()) break;
            continue;
        }
        std::string candidate = Join(result, elem);
        std::error_code ec;
        if (resolving && elem != "." && elem != ".." && !fs::exists(fs::symlink_status(candidate, ec))) {
            const std::string dir = result.empty() ? "." : result;
            const std::string want = AsciiUpper(elem);
            std::string match;
            int matches = 0;
            for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
                std::string name = it->path().filename().string();
                if (AsciiUpper(name) == want) {
                    ++matches;
                    match = std::move(name);
                }
            }
            if (matches == 1)
                candidate = Join(result, match);
            else
                resolving = false;  // the rest cannot exist either
        }
        result = candidate;
        if (next >= p.size()) break;
    }
    if (p.size() > 1 && p.back() == '/' && (result.empty() || result.back() != '/')) result += '/';
    return result;
}

bool DirectoryExists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return fs::is_directory(NativePath(path), ec);
}

bool FileExists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return fs::is_regular_file(NativePath(path), ec);
}

bool DeleteFile(const std::string& path) {
    std::error_code ec;
    return fs::remove(NativePath(path), ec) && !ec;
}

bool ReadFile(const std::string& path, std::string& bytes) {
    std::ifstream in(NativePath(path), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

namespace {

// Writes all bytes to an open descriptor; false on any short or failed write.
bool WriteAll(int fd, const std::string& bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// The file a path finally names: symbolic links followed, also when the
// last one points at a file that is not there yet.
std::string FollowLinks(const std::string& path) {
    fs::path p(path);
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(p, ec)) break;
        fs::path next = fs::read_symlink(p, ec);
        if (ec) break;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return p.string();
}

// Rewrites the file itself: its inode, links, mode and owner stay; the
// contents are not replaced in one step.
bool WriteInPlace(const std::string& file, const std::string& bytes) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok =
        WriteAll(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
    if (::close(fd) != 0) ok = false;
    return ok;
}

}  // namespace

bool WriteFileAtomic(const std::string& path, const std::string& bytes) {
    // Through a link to the file it names, so the link stays a link.
    const std::string target = FollowLinks(NativePath(path));
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) return false;
    // A file with further hard links is rewritten in place: a new file
    // renamed over it would part it from its other names.
    if (exists && old.st_nlink > 1) return WriteInPlace(target, bytes);

    // A fresh temporary name beside the file, created exclusively (never
    // through a link or over anything that lies there), private until done.
    const fs::path targetPath(target);
    const std::string dir =
        targetPath.has_parent_path() ? targetPath.parent_path().string() : std::string(".");
    std::string temp = dir + "/." + targetPath.filename().string() + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        // The folder takes no new files (read-only, not ours): the file
        // itself may still be writable.
        return exists && WriteInPlace(target, bytes);
    }
    bool ok = WriteAll(fd, bytes);
    if (ok && exists) {
        // The new file is what the old one was: same mode, same owner.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0 && (old.st_uid != ::geteuid())) {
            // Another user's file keeps its owner only when rewritten in place.
            ::close(fd);
            ::unlink(temp.c_str());
            return WriteInPlace(target, bytes);
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0) ok = false;
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) ok = false;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

bool AppendToFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(NativePath(path), std::ios::binary | std::ios::app);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace fs_boundary
