#include "toolkit/FileSystem.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace fs_boundary {
namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

std::string NativePath(const std::string& path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    if (p.empty()) return p;

    // Walk the elements; keep each one as written when it exists, else look
    // for an entry of the same name in another letter case.
    std::string result;
    size_t pos = 0;
    if (p[0] == '/') {
        result = "/";
        pos = 1;
    }
    bool resolving = true;
    while (pos <= p.size()) {
        size_t next = p.find('/', pos);
        if (next == std::string::npos) next = p.size();
        std::string elem = p.substr(pos, next - pos);
        pos = next + 1;
        if (elem.empty()) {
            if (next == p.size()) break;
            continue;
        }
        std::string candidate = result.empty() ? elem
                                : (result.back() == '/' ? result + elem : result + "/" + elem);
        std::error_code ec;
        if (resolving && elem != "." && elem != ".." && !fs::exists(candidate, ec)) {
            std::string dir = result.empty() ? "." : result;
            std::string want = Upper(elem);
            bool found = false;
            for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
                std::string name = it->path().filename().string();
                if (Upper(name) == want) {
                    candidate = result.empty() ? name
                                : (result.back() == '/' ? result + name : result + "/" + name);
                    found = true;
                    break;
                }
            }
            if (!found) resolving = false;  // the rest cannot exist either
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

bool WriteFileAtomic(const std::string& path, const std::string& bytes) {
    const std::string target = NativePath(path);
    const std::string temp = target + ".tmp~";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            std::error_code ec;
            fs::remove(temp, ec);
            return false;
        }
    }
    if (FILE* f = std::fopen(temp.c_str(), "rb")) {  // make the new contents durable
        ::fsync(fileno(f));
        std::fclose(f);
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

bool AppendToFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(NativePath(path), std::ios::binary | std::ios::app);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace fs_boundary
