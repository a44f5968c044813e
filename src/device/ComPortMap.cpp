#include "device/ComPortMap.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

#include "toolkit/muStringTools.h"

namespace {

// Number of a device name "<prefix><digits>", -1 when the name has another form.
long SuffixNumber(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    long n = 0;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return -1;
        n = n * 10 + (name[i] - '0');
        if (n > 1'000'000) return -1;
    }
    return n;
}

std::vector<std::string> Group(const std::vector<std::string>& names, const std::string& prefix) {
    std::vector<std::pair<long, std::string>> found;
    for (const auto& name : names) {
        long n = SuffixNumber(name, prefix);
        if (n >= 0) found.emplace_back(n, name);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> result;
    for (auto& f : found) result.push_back(std::move(f.second));
    return result;
}

// A ttyS entry stands for a real UART when the kernel reports a port type
// other than "unknown". The sysfs attribute answers without opening the
// device; where it is missing the serial ioctl is asked; as a last resort the
// presence of a device link counts.
bool HasRealUart(const std::string& devPath, const std::string& sysEntry) {
    std::error_code ec;
    std::ifstream type(sysEntry + "/type");
    if (type) {
        int value = 0;
        if (type >> value) return value != PORT_UNKNOWN;
        return false;
    }
    int fd = ::open(devPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        serial_struct info{};
        int rc = ::ioctl(fd, TIOCGSERIAL, &info);
        ::close(fd);
        if (rc == 0) return info.type != PORT_UNKNOWN;
    }
    return std::filesystem::exists(sysEntry + "/device", ec);
}

// The serial device names below devDir in COM order, consoles included.
std::vector<std::string> CandidateNames(const std::string& devDir, const std::string& sysTtyDir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(devDir, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());

    std::vector<std::string> result;
    for (const char* prefix : {"ttyUSB", "ttyACM"})
        for (auto& name : Group(names, prefix)) result.push_back(std::move(name));
    for (auto& name : Group(names, "ttyS"))
        if (HasRealUart(devDir + "/" + name, sysTtyDir + "/" + name)) result.push_back(std::move(name));
    return result;
}

bool Contains(const std::vector<std::string>& list, const std::string& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The path a link finally leads to; the path itself when it cannot be resolved.
std::string Resolved(const std::string& path) {
    std::error_code ec;
    const auto real = std::filesystem::canonical(path, ec);
    return ec ? path : real.string();
}

// Identity of a file as the kernel's tables name it.
struct FileKey {
    unsigned long major = 0;
    unsigned long minor = 0;
    unsigned long long inode = 0;
    bool operator<(const FileKey& o) const {
        return std::tie(major, minor, inode) < std::tie(o.major, o.minor, o.inode);
    }
};

bool KeyOf(const std::string& path, FileKey& key) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    key = {major(st.st_dev), minor(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
    return true;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// Who else holds the files of `wanted`: the processes with one of them open
// (as far as their fd folders are readable) and the holders of a lock on one.
struct Holders {
    std::map<FileKey, std::set<long>> open;
    std::map<FileKey, std::set<long>> locked;
};

Holders FindHolders(const std::string& procDir, const std::set<FileKey>& wanted) {
    Holders holders;
    if (wanted.empty()) return holders;
    const long self = static_cast<long>(::getpid());
    namespace fs = std::filesystem;
    std::error_code ec;
    for (fs::directory_iterator it(procDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string pidText = it->path().filename().string();
        if (!AllDigits(pidText) || pidText.size() > 9) continue;
        const long pid = std::stol(pidText);
        if (pid == self) continue;
        std::error_code fdEc;
        for (fs::directory_iterator fd(it->path() / "fd", fdEc), fdEnd; !fdEc && fd != fdEnd;
             fd.increment(fdEc)) {
            // Sockets, pipes and the like read as "socket:[...]": no path, no stat.
            std::error_code linkEc;
            const auto target = fs::read_symlink(fd->path(), linkEc);
            if (linkEc || target.empty() || target.native().front() != '/') continue;
            FileKey key;
            if (KeyOf(fd->path().string(), key) && wanted.count(key)) holders.open[key].insert(pid);
        }
    }

    // "1: FLOCK  ADVISORY  WRITE 4711 fe:00:1234 0 EOF"; waiters ("->") hold nothing.
    std::istringstream locks(ReadAll(procDir + "/locks"));
    for (std::string line; std::getline(locks, line);) {
        if (line.find("->") != std::string::npos) continue;
        std::istringstream fields(line);
        std::vector<std::string> f;
        for (std::string w; fields >> w;) f.push_back(w);
        if (f.size() < 6) continue;
        long pid = 0;
        try {
            pid = std::stol(f[4]);
        } catch (const std::exception&) {
            continue;
        }
        if (pid == self) continue;
        unsigned long maj = 0, min = 0;
        unsigned long long ino = 0;
        char tail = 0;
        if (std::sscanf(f[5].c_str(), "%lx:%lx:%llu%c", &maj, &min, &ino, &tail) != 3) continue;
        const FileKey key{maj, min, ino};
        if (wanted.count(key)) holders.locked[key].insert(pid);
    }
    return holders;
}

std::string PidList(const std::set<long>& pids) {
    std::string text;
    for (long pid : pids) text += (text.empty() ? "" : ", ") + std::to_string(pid);
    return text;
}

void AddNote(std::string& note, const std::string& text) {
    if (text.empty()) return;
    if (!note.empty()) note += "; ";
    note += text;
}

TComPortFolders& FolderStore() {
    static TComPortFolders folders;
    return folders;
}

}  // namespace

int TComPortMap::PortNumber(const std::string& name) {
    if (name.size() < 4) return 0;
    for (int i = 0; i < 3; ++i)
        if (AsciiUpper(name[i]) != "COM"[i]) return 0;
    long n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
        n = n * 10 + (name[i] - '0');
        if (n > 1'000'000) return 0;
    }
    return static_cast<int>(n);
}

std::string TComPortMap::ComDir() {
    const char* dir = std::getenv("TAVRIN_COM_DIR");
    return dir ? std::string(dir) : std::string();
}

std::string TComPortMap::DevicePath(const std::string& name) {
    const int n = PortNumber(name);
    if (n <= 0) return {};
    const std::string dir = ComDir();
    if (!dir.empty()) {
        std::string path = dir;
        if (path.back() != '/') path += '/';
        return path + "com" + std::to_string(n);
    }
    const auto devices = MachineDevices(Folders());
    if (static_cast<std::size_t>(n) > devices.size()) return {};
    return devices[n - 1];
}

std::vector<std::string> TComPortMap::ConsoleNames(const std::string& consoleActive,
                                                   const std::string& cmdline) {
    std::vector<std::string> names;
    auto add = [&names](std::string name) {
        if (name.rfind("/dev/", 0) == 0) name.erase(0, 5);
        if (!name.empty() && !Contains(names, name)) names.push_back(std::move(name));
    };
    std::istringstream active(ReadAll(consoleActive));
    for (std::string name; active >> name;) add(name);

    // Everything after a lone "--" belongs to the first program, not to the kernel.
    std::istringstream words(ReadAll(cmdline));
    for (std::string word; words >> word && word != "--";) {
        word.erase(std::remove(word.begin(), word.end(), '"'), word.end());
        if (word.rfind("console=", 0) != 0) continue;
        std::string device = word.substr(8);
        device = device.substr(0, device.find(','));
        add(device);
    }
    return names;
}

std::vector<std::string> TComPortMap::MachineDevices(const std::string& devDir, const std::string& sysTtyDir,
                                                     const std::string& consoleActive,
                                                     const std::string& cmdline) {
    const auto consoles = ConsoleNames(consoleActive, cmdline);
    std::vector<std::string> result;
    for (const auto& name : CandidateNames(devDir, sysTtyDir))
        if (!Contains(consoles, name)) result.push_back(devDir + "/" + name);
    return result;
}

std::vector<std::string> TComPortMap::MachineDevices(const TComPortFolders& folders) {
    return MachineDevices(folders.devDir, folders.sysTtyDir, folders.consoleActive, folders.cmdline);
}

std::vector<TLeftOutPort> TComPortMap::LeftOutPorts(const TComPortFolders& folders) {
    std::vector<TLeftOutPort> result;
    if (!ComDir().empty()) return result;
    const auto consoles = ConsoleNames(folders.consoleActive, folders.cmdline);
    for (const auto& name : CandidateNames(folders.devDir, folders.sysTtyDir))
        if (Contains(consoles, name)) result.push_back({folders.devDir + "/" + name, kConsoleReason});
    return result;
}

std::string TComPortMap::ById(const std::string& device, const std::string& byIdDir) {
    if (device.empty()) return {};
    std::error_code ec;
    const auto target = std::filesystem::canonical(device, ec);
    if (ec) return {};
    for (std::filesystem::directory_iterator it(byIdDir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkEc;
        if (std::filesystem::canonical(it->path(), linkEc) == target && !linkEc) return it->path().string();
    }
    return {};
}

std::string TComPortMap::DeviceSummary(const std::string& device, const std::string& byIdDir) {
    std::error_code ec;
    const auto status =
        device.empty() ? std::filesystem::file_status{} : std::filesystem::symlink_status(device, ec);
    if (ec || !std::filesystem::exists(status)) return {};
    std::string text = device;
    if (std::filesystem::is_symlink(status)) {
        const auto target = std::filesystem::canonical(device, ec);
        text += " \u2192 " + (ec ? std::filesystem::read_symlink(device, ec).string() : target.string());
    }
    const std::string byId = ById(device, byIdDir);
    if (!byId.empty() && byId != device) text += "\n" + byId;
    return text;
}

std::vector<TComPortInfo> TComPortMap::DescribePorts(const TComPortFolders& folders,
                                                     const std::string& comDir) {
    namespace fs = std::filesystem;
    std::vector<TComPortInfo> ports;
    if (!comDir.empty()) {
        std::string dir = comDir;
        if (dir.back() != '/') dir += '/';
        for (int n = 1; n <= kSearchedPorts; ++n) {
            const std::string path = dir + "com" + std::to_string(n);
            std::error_code ec;
            const auto status = fs::symlink_status(path, ec);
            if (ec || !fs::exists(status)) continue;
            TComPortInfo info{"COM" + std::to_string(n), path};
            info.searched = true;
            if (fs::is_symlink(status)) {
                const auto target = fs::canonical(path, ec);
                info.note = ec ? "Verweis auf " + fs::read_symlink(path, ec).string() + " (fehlt)"
                               : "Verweis auf " + target.string();
            }
            ports.push_back(std::move(info));
        }
    } else {
        const auto devices = MachineDevices(folders);
        for (std::size_t i = 0; i < devices.size(); ++i) {
            TComPortInfo info{"COM" + std::to_string(i + 1), devices[i]};
            info.searched = i < static_cast<std::size_t>(kSearchedPorts);
            if (!info.searched)
                info.note = "nur COM1 bis COM" + std::to_string(kSearchedPorts) + " werden durchsucht";
            ports.push_back(std::move(info));
        }
        for (const auto& left : LeftOutPorts(folders)) {
            TComPortInfo info{"", left.device};
            info.note = left.reason;
            ports.push_back(std::move(info));
        }
    }

    const auto consoles = ConsoleNames(folders.consoleActive, folders.cmdline);
    std::map<std::string, std::string> byId;  // resolved device -> its by-id link
    std::error_code ec;
    for (fs::directory_iterator it(folders.byIdDir, ec), end; !ec && it != end; it.increment(ec))
        byId.emplace(Resolved(it->path().string()), it->path().string());

    std::set<FileKey> wanted;
    std::vector<std::pair<bool, FileKey>> keys;
    for (const auto& info : ports) {
        FileKey key;
        const bool known = KeyOf(info.device, key);
        if (known) wanted.insert(key);
        keys.emplace_back(known, key);
    }
    const Holders holders = FindHolders(folders.procDir, wanted);

    for (std::size_t i = 0; i < ports.size(); ++i) {
        TComPortInfo& info = ports[i];
        const std::string real = Resolved(info.device);
        const std::string name = fs::path(real).filename().string();
        if (auto it = byId.find(real); it != byId.end()) info.byId = it->second;
        std::error_code linkEc;
        const auto driver =
            fs::read_symlink(fs::path(folders.sysTtyDir) / name / "device" / "driver", linkEc);
        if (!linkEc) info.driver = driver.filename().string();
        if (Contains(consoles, name)) {
            info.console = true;
            if (info.note != kConsoleReason) AddNote(info.note, kConsoleReason);
        }
        if (!keys[i].first) continue;
        const FileKey& key = keys[i].second;
        if (auto it = holders.open.find(key); it != holders.open.end()) {
            info.inUse = true;
            AddNote(info.note, "offen in Prozess " + PidList(it->second));
        }
        if (auto it = holders.locked.find(key); it != holders.locked.end()) {
            info.inUse = true;
            AddNote(info.note, "gesperrt von Prozess " + PidList(it->second));
        }
    }
    return ports;
}

const TComPortFolders& TComPortMap::Folders() { return FolderStore(); }

void TComPortMap::SetFolders(const TComPortFolders& folders) { FolderStore() = folders; }
