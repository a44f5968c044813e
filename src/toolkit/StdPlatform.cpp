#include "toolkit/StdPlatform.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "toolkit/FileSystem.h"
#include "toolkit/Timer.h"
#include "toolkit/muStringTools.h"

namespace {
// Without a message loop nothing can fire; the timer only keeps its state.
class InertTimer : public Timer {
public:
    void SetInterval(int ms) override { interval_ = ms; }
    int Interval() const override { return interval_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    bool Enabled() const override { return enabled_; }
    void SetOnTimer(std::function<void()> handler) override { handler_ = std::move(handler); }

private:
    int interval_ = 1000;
    bool enabled_ = false;
    std::function<void()> handler_;
};

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string Trim(const std::string& s) {
    const char* blanks = " \t\r\n";
    size_t b = s.find_first_not_of(blanks);
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string HomeDir() {
    std::string home = Env("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

// An XDG base directory: the variable when it holds an absolute path, else
// the fallback below the home folder.
std::string XdgBase(const char* variable, const std::string& fallbackBelowHome) {
    std::string v = Env(variable);
    if (!v.empty() && v[0] == '/') return v;
    std::string home = HomeDir();
    if (home.empty()) return {};
    return home + "/" + fallbackBelowHome;
}

// The value of a shell-style assignment (os-release, user-dirs.dirs):
// double-quoted with backslash escapes, single-quoted, or bare.
std::string UnquoteShellValue(const std::string& raw) {
    std::string v = Trim(raw);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') {
        std::string out;
        for (size_t i = 1; i + 1 < v.size(); ++i) {
            if (v[i] == '\\' && i + 2 < v.size()) ++i;
            out += v[i];
        }
        return out;
    }
    if (v.size() >= 2 && v.front() == '\'' && v.back() == '\'') return v.substr(1, v.size() - 2);
    return v;
}

// KEY=value lines of a shell-style file; the value of the last assignment.
bool FindAssignment(const std::string& content, const std::string& key, std::string& value) {
    std::istringstream in(content);
    std::string line;
    bool found = false;
    while (std::getline(in, line)) {
        std::string t = Trim(line);
        if (t.empty() || t[0] == '#') continue;
        size_t eq = t.find('=');
        if (eq == std::string::npos || Trim(t.substr(0, eq)) != key) continue;
        value = UnquoteShellValue(t.substr(eq + 1));
        found = true;
    }
    return found;
}

std::string XdgDesktopDir() {
    std::string home = HomeDir();
    std::string dir;
    std::string configHome = XdgBase("XDG_CONFIG_HOME", ".config");
    std::string value;
    if (!configHome.empty() &&
        FindAssignment(ReadWholeFile(configHome + "/user-dirs.dirs"), "XDG_DESKTOP_DIR", value)) {
        if (value.rfind("$HOME", 0) == 0)
            dir = home.empty() ? std::string() : home + value.substr(5);
        else if (!value.empty() && value[0] == '/')
            dir = value;
    }
    if (dir.empty() && !home.empty()) dir = home + "/Desktop";
    // A desktop folder equal to the home folder means "no desktop".
    std::error_code ec;
    if (dir.empty() || !std::filesystem::is_directory(dir, ec)) return {};
    if (!home.empty() && std::filesystem::equivalent(dir, home, ec)) return {};
    return dir;
}

// Desktop entry strings: backslash and control characters escaped.
std::string EscapeEntryValue(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// One-line values (Name, Comment): line breaks become blanks, leading blanks
// would be lost on reading and are dropped.
std::string OneLine(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    return Trim(out);
}
}  // namespace

namespace std_platform {

std::string OsReleaseDisplayName(const std::string& content) {
    std::string pretty;
    if (FindAssignment(content, "PRETTY_NAME", pretty) && !Trim(pretty).empty()) return Trim(pretty);
    std::string name, version;
    FindAssignment(content, "NAME", name);
    FindAssignment(content, "VERSION", version);
    name = Trim(name);
    version = Trim(version);
    if (name.empty()) return version;
    return version.empty() ? name : name + " " + version;
}

void ParseKernelRelease(const std::string& release, TOsVersionInfo& info) {
    std::uint32_t parts[3] = {0, 0, 0};
    const char* p = release.data();
    const char* end = p + release.size();
    for (int i = 0; i < 3 && p < end; ++i) {
        auto [next, ec] = std::from_chars(p, end, parts[i]);
        if (ec != std::errc()) break;
        p = next;
        if (p >= end || *p != '.') break;
        ++p;
    }
    info.major = parts[0];
    info.minor = parts[1];
    info.build = parts[2];
}

std::vector<std::string> SplitArguments(const std::string& arguments) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : arguments) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

std::string QuoteExecArgument(const std::string& argument) {
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    bool needsQuotes = argument.empty() || argument.find_first_of(reserved) != std::string::npos;
    std::string out;
    if (needsQuotes) out += '"';
    for (char c : argument) {
        if (c == '%') {
            out += "%%";  // a literal percent sign, not a field code
            continue;
        }
        if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
        out += c;
    }
    if (needsQuotes) out += '"';
    return out;
}

std::string DesktopEntryText(const TShellLink& link) {
    std::string exec = QuoteExecArgument(link.target);
    for (const std::string& word : SplitArguments(link.arguments)) exec += " " + QuoteExecArgument(word);

    std::string name = OneLine(link.name);
    if (name.empty()) name = std::filesystem::path(link.target).stem().string();
    if (name.empty()) name = "Link";

    if (!link.environment.empty()) {
        std::string env = "env";
        for (const std::string& assignment : link.environment) env += " " + QuoteExecArgument(assignment);
        exec = env + " " + exec;
    }

    std::string text = "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Name=" + EscapeEntryValue(name) + "\n";
    std::string comment = OneLine(link.description);
    if (!comment.empty()) text += "Comment=" + EscapeEntryValue(comment) + "\n";
    text += "Exec=" + EscapeEntryValue(exec) + "\n";
    if (!link.workingDirectory.empty()) text += "Path=" + EscapeEntryValue(link.workingDirectory) + "\n";
    const std::string icon = OneLine(link.icon);
    if (!icon.empty()) text += "Icon=" + EscapeEntryValue(icon) + "\n";
    text += "Terminal=false\n";
    return text;
}

}  // namespace std_platform

std::int64_t StdPlatform::NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void StdPlatform::SleepMs(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Timer* StdPlatform::CreateTimer() { return new InertTimer(); }

MsgResult StdPlatform::MessageBox(const std::string&, const std::string&, MsgButtons buttons, MsgIcon) {
    // No one to ask: the default button answers.
    return buttons == MsgButtons::OkCancelDefaultCancel ? MsgResult::Cancel : MsgResult::Ok;
}

void StdPlatform::Beep() {}

std::string StdPlatform::CurrentDir() {
    std::error_code ec;
    auto p = std::filesystem::current_path(ec);
    return ec ? std::string() : p.string();
}

std::string StdPlatform::ExecutablePath() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    buf[n] = '\0';
    return buf;
}

bool StdPlatform::GetOsVersion(TOsVersionInfo& info) {
    utsname u{};
    if (::uname(&u) != 0) return false;
    info.platformId = kOsPlatformPosix;
    std_platform::ParseKernelRelease(u.release, info);
    info.servicePack.clear();
    return true;
}

bool StdPlatform::ReadOsVersionValue(const std::string&, std::string&) { return false; }

std::string StdPlatform::OsDisplayText() {
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        std::string name = std_platform::OsReleaseDisplayName(ReadWholeFile(path));
        if (!name.empty()) return name;
    }
    utsname u{};
    if (::uname(&u) != 0) return {};
    return std::string(u.sysname) + " " + u.release;
}

int StdPlatform::GetSystemMetric(int) { return 0; }

TDesktopRect StdPlatform::DesktopRect() { return {0, 0, 1920, 1080}; }

std::vector<TRect> StdPlatform::Monitors() { return {TRect{0, 0, 1920, 1080}}; }

TRect StdPlatform::PrimaryScreenRect() { return {0, 0, 1920, 1080}; }

TRect StdPlatform::WorkArea() { return {0, 0, 1920, 1080}; }

std::string StdPlatform::SpecialFolder(const std::string& name) {
    if (name == "Startup") {
        std::string base = XdgBase("XDG_CONFIG_HOME", ".config");
        return base.empty() ? std::string() : base + "/autostart";
    }
    if (name == "Start Menu") {
        std::string base = XdgBase("XDG_DATA_HOME", ".local/share");
        return base.empty() ? std::string() : base + "/applications";
    }
    if (name == "Desktop") return XdgDesktopDir();
    return {};
}

void StdPlatform::CompleteProgramLink(TShellLink& link) {
    namespace stdfs = std::filesystem;
    const std::string self = ExecutablePath();
    if (self.empty() || link.target.empty()) return;
    std::error_code ec;
    const stdfs::path program(self);
    const stdfs::path launcher = program.parent_path() / (program.filename().string() + "-launch");
    const bool toSelf =
        stdfs::equivalent(link.target, program, ec) || stdfs::equivalent(link.target, launcher, ec);
    if (!toSelf) return;
    if (::access(launcher.c_str(), X_OK) == 0) {
        link.target = launcher.string();
        if (!link.workingDirectory.empty()) link.environment = {"TAVRIN_HOME=" + link.workingDirectory};
    }
    const std::string stem = program.stem().string();
    link.icon = stem;  // the program's icon in the icon theme
    std::string name = stem;
    if (!name.empty()) name[0] = AsciiUpper(name[0]);
    link.name = name;
}

bool StdPlatform::SaveLink(const TShellLink& link, const std::string& linkPath) {
    if (linkPath.empty()) return false;
    const std::filesystem::path native(fs_boundary::NativePath(linkPath));
    std::error_code ec;
    if (native.has_parent_path()) {
        std::filesystem::create_directories(native.parent_path(), ec);
        if (ec) return false;
    }
    return fs_boundary::WriteFileAtomic(native.string(), std_platform::DesktopEntryText(link));
}
