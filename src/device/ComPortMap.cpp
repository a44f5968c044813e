#include "device/ComPortMap.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>

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

}  // namespace

int TComPortMap::PortNumber(const std::string& name) {
    if (name.size() < 4) return 0;
    for (int i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return 0;
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
    const auto devices = MachineDevices();
    if (static_cast<std::size_t>(n) > devices.size()) return {};
    return devices[n - 1];
}

std::vector<std::string> TComPortMap::MachineDevices(const std::string& devDir,
                                                     const std::string& sysTtyDir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(devDir, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());

    std::vector<std::string> result;
    for (const char* prefix : {"ttyUSB", "ttyACM"})
        for (const auto& name : Group(names, prefix)) result.push_back(devDir + "/" + name);
    for (const auto& name : Group(names, "ttyS")) {
        const std::string path = devDir + "/" + name;
        if (HasRealUart(path, sysTtyDir + "/" + name)) result.push_back(path);
    }
    return result;
}
