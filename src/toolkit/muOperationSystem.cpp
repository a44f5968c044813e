#include "toolkit/muOperationSystem.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <stdexcept>

#include "toolkit/FileSystem.h"
#include "toolkit/Form.h"
#include "toolkit/ServedMessages.h"
#include "toolkit/muLogging.h"
#include "toolkit/muStringTools.h"
#include "toolkit/muTraceScope.h"

using Kind = TmTraceScope::Kind;

namespace {

constexpr std::uint32_t kVersionRecordSize = 156;
constexpr std::size_t kMaxMonitors = 6;
constexpr int kMetricServerR2 = 89;
constexpr std::uint16_t kSuitePersonal = 0x200;
constexpr std::uint16_t kSuiteWhServer = 0x8000;
constexpr std::uint8_t kWorkstation = 1;

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

// A text as a 32-bit number, 0 when it is none.
std::int32_t TextToInt(const std::string& text) {
    std::string t = Trim(text);
    if (!t.empty() && t[0] == '+') t.erase(0, 1);
    std::int32_t value = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (ec != std::errc() || end != t.data() + t.size() || t.empty()) return 0;
    return value;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string ExtractFileName(const std::string& path) {
    auto it = std::find_if(path.rbegin(), path.rend(), IsSeparator);
    return std::string(it.base(), path.end());
}

// The folder part without a trailing separator (the root keeps its "/").
std::string ExtractFileDir(const std::string& path) {
    auto it = std::find_if(path.rbegin(), path.rend(), IsSeparator);
    if (it == path.rend()) return {};
    std::string dir(path.begin(), it.base() - 1);
    return dir.empty() ? std::string(1, path[0]) : dir;
}

std::string ChangeFileExt(const std::string& name, const std::string& ext) {
    size_t dot = name.rfind('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + ext;
}

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && IsSeparator(path.back())) path.pop_back();
    return path;
}

// Splits a shortcut source into the program and the arguments that follow
// it ("$APPDIR\TAVRIN.EXE /SILENT"). A quoted program path ends at its
// closing quote; else the longest prefix that names an existing file is the
// program; else the text ends before the first run of switches (words
// beginning with "/" or "-"); else the whole text is the program.
void SplitSource(const std::string& source, std::string& program, std::string& arguments) {
    std::string s = Trim(source);
    program = s;
    arguments.clear();
    if (s.empty()) return;
    if (s[0] == '"') {
        size_t close = s.find('"', 1);
        if (close == std::string::npos) {
            program = s.substr(1);
        } else {
            program = s.substr(1, close - 1);
            arguments = Trim(s.substr(close + 1));
        }
        return;
    }
    if (fs_boundary::FileExists(s)) return;
    for (size_t pos = s.rfind(' '); pos != std::string::npos && pos > 0; pos = s.rfind(' ', pos - 1)) {
        if (fs_boundary::FileExists(Trim(s.substr(0, pos)))) {
            program = Trim(s.substr(0, pos));
            arguments = Trim(s.substr(pos + 1));
            return;
        }
    }
    for (size_t pos = s.find(' '); pos != std::string::npos; pos = s.find(' ', pos + 1)) {
        bool allSwitches = true;
        bool any = false;
        size_t i = pos;
        while (i < s.size()) {
            while (i < s.size() && s[i] == ' ') ++i;
            if (i >= s.size()) break;
            any = true;
            if (s[i] != '/' && s[i] != '-') {
                allSwitches = false;
                break;
            }
            while (i < s.size() && s[i] != ' ') ++i;
        }
        if (allSwitches && any) {
            program = Trim(s.substr(0, pos));
            arguments = Trim(s.substr(pos));
            return;
        }
    }
}

}  // namespace

TmuOperationSystem::TmuOperationSystem(TComponent* owner) : TComponent(owner) {
    log_ = CreateLoggingDirect(this, "muOperationSystem", GetPlatform().CurrentDir(), "System\\Logging",
                               "LOG_STD", false, true);
    int h = log_->addCls("Create");
    log_->addText("Klasse " + log_->CompoName() + " erstellen");
    log_->exitCls(h);
}

TmuOperationSystem::~TmuOperationSystem() {
    int h = log_->addCls("Destroy");
    log_->addText("Klasse " + log_->CompoName() + " vernichten");
    log_->exitCls(h);
}

std::int32_t TmuOperationSystem::getFormular_Extra_Width() {
    TmTraceScope trace(log_, Kind::Function, "getFormular_Extra_Width");
    if (formularExtraWidth_ == 0) formularExtraWidth_ = 15;
    log_->addVarInteger("r_iResult", formularExtraWidth_);
    return formularExtraWidth_;
}

void TmuOperationSystem::setFormular_Extra_Width(std::int32_t value) {
    TmTraceScope trace(log_, Kind::Procedure, "setFormular_Extra_Width");
    log_->addVarInteger("i_iValue", value);
    formularExtraWidth_ = value;
}

void TmuOperationSystem::GetWindowsVersion() {
    int h = log_->addPro("GetWindowsVersion");
    versionInfo_ = TOsVersionInfo{};
    versionInfo_.size = kVersionRecordSize;
    if (!GetPlatform().GetOsVersion(versionInfo_)) {
        log_->addErr("Error calling GetVersionEx");
        log_->exitPro(h);
        throw std::runtime_error("Error calling GetVersionEx");
    }
    log_->addVarCardinal("r_lnMajorVersion", versionInfo_.major);
    log_->addVarCardinal("r_lnMinorVersion", versionInfo_.minor);
    log_->addVarCardinal("r_lnBuildNumber", versionInfo_.build);
    log_->addVarCardinal("r_lnPlatformId", versionInfo_.platformId);
    log_->exitPro(h);
}

bool TmuOperationSystem::Windows10FromRegistry() {
    TmTraceScope trace(log_, Kind::Procedure, "Windows10FromRegistry");
    bool result = false;
    std::string text;
    if (GetPlatform().ReadOsVersionValue("CurrentVersion", text)) {
        std::string build;
        if (text == "6.3" && GetPlatform().ReadOsVersionValue("CurrentBuildNumber", build)) text = build;
        result = TextToInt(text) >= 10240;
    }
    log_->addVarBoolean("r_bResult", result);
    return result;
}

bool TmuOperationSystem::WindowsBuildFromRegistry() {
    TmTraceScope trace(log_, Kind::Procedure, "WindowsBuildFromRegistry");
    bool result = false;
    std::string text;
    if (GetPlatform().ReadOsVersionValue("CurrentBuildNumber", text)) {
        versionInfo_.build = static_cast<std::uint32_t>(std::max<std::int32_t>(0, TextToInt(text)));
        result = true;
    }
    log_->addVarBoolean("r_bResult", result);
    return result;
}

std::string TmuOperationSystem::GetWinVersion() {
    // A refused version query raises past the exit line.
    int h = log_->addFnc("GetWinVersion");
    std::string result = "Unbekannte Windows-Version";
    GetWindowsVersion();
    const TOsVersionInfo& v = versionInfo_;
    switch (v.platformId) {
        case 0:
            result = "Win32s";
            break;
        case 1:
            if (v.major == 4 && v.minor == 0) result = "Windows 95";
            if (v.major == 4 && v.minor == 10) result = "Windows 98";
            if (v.major == 4 && v.minor == 90) result = "Windows Millennium Edition";
            break;
        case 2: {
            const bool workstation = v.productType == kWorkstation;
            if (v.major == 4 && v.minor == 0) result = "Windows NT";
            if (v.major == 5) {
                log_->addText("XP - Server 2003");
                if (v.minor == 0) {
                    result = "Windows 2000";
                } else if (v.minor == 1) {
                    result = "Windows XP";
                } else if (v.minor == 2) {
                    if (GetPlatform().GetSystemMetric(kMetricServerR2) != 0)
                        result = "Windows Server 2003 \"R2\"";
                    else if (workstation)
                        result = "Windows XP x64";
                    else if (v.suiteMask == kSuiteWhServer)
                        result = "Windows Home Server";
                    else
                        result = "Windows Server 2003";
                }
            }
            if (v.major == 6) {
                log_->addText("Windows Vista, 8 - Server 2008-2016");
                result = workstation ? "Windows" : "Windows Server";
                switch (v.minor) {
                    case 0:
                        result += workstation ? " Vista" : " 2008";
                        break;
                    case 1:
                        result += workstation ? " 7" : " 2008 R2";
                        break;
                    case 2:
                        if (workstation)
                            result += Windows10FromRegistry() ? " 10" : " 8";
                        else
                            result += Windows10FromRegistry() ? " 2016" : " 2012 R2";
                        break;
                    case 3:
                        if (workstation)
                            result += Windows10FromRegistry() ? " 10" : " 8.1";
                        else
                            result += Windows10FromRegistry() ? " 2016" : " 2012 R2";
                        break;
                    default:
                        break;
                }
                if (v.minor == 2 && WindowsBuildFromRegistry()) {
                    const std::uint32_t build = versionInfo_.build;
                    if (build == 9200 && workstation) result += " 8";
                    if (build == 9600 && workstation) result += " 8.1";
                    if (build >= 9841 && build <= 9880) result += " 10";
                }
            }
            result += (v.suiteMask & kSuitePersonal) ? " Home Edition" : " Professional";
            break;
        }
        default: {
            // Outside the Windows family the platform names the system itself.
            std::string text = GetPlatform().OsDisplayText();
            if (!text.empty()) result = text;
            break;
        }
    }
    result = Trim(result + " " + v.servicePack);
    log_->addVarString("r_sResult", result);
    log_->exitFnc(h);
    return result;
}

bool TmuOperationSystem::Get_MajorVersion_Vista() {
    // A refused version query raises past the exit line.
    int h = log_->addFnc("Get_MajorVersion_Vista");
    GetWindowsVersion();
    const TOsVersionInfo& v = versionInfo_;
    // The newer window frames exist only in the NT family.
    const bool result = v.platformId == 2 &&
                        ((v.major >= 6 && v.minor == 0) || (v.major == 6 && v.minor >= 1 && v.minor <= 3));
    log_->addVarBoolean("r_bResult", result);
    log_->exitFnc(h);
    return result;
}

void TmuOperationSystem::Set_WindowOnTheTop(Form* form) {
    TmTraceScope trace(log_, Kind::Procedure, "Set_WindowOnTheTop");
    errno = 0;
    if (!form || !form->SetStayOnTop(true)) {
        const std::uint32_t code = form ? static_cast<std::uint32_t>(errno) : 0;
        log_->addErr("Set_WindowOnTheTop hat nicht funktioniert.");
        log_->addVarCardinal("Windows Error-No:", code);
    }
}

void TmuOperationSystem::Delete_WindowOnTheTop(Form* form) {
    TmTraceScope trace(log_, Kind::Procedure, "Delete_WindowOnTheTop");
    errno = 0;
    if (!form || !form->SetStayOnTop(false)) {
        const std::uint32_t code = form ? static_cast<std::uint32_t>(errno) : 0;
        log_->addErr("Delete_WindowOnTheTop hat nicht funktioniert.");
        log_->addVarCardinal("Windows Error-No:", code);
    }
}

TRect TmuOperationSystem::SetFormularposition(const TRect& rect) {
    int h = log_->addFnc("SetFormularposition");
    log_->addVarIntegerPair("i_iX", rect.x, "i_iY", rect.y);
    log_->addVarIntegerPair("i_iWidth", rect.width, "i_iHeight", rect.height);

    TRect r = rect;
    if (Get_MajorVersion_Vista()) r.height += getFormular_Extra_Width();

    const TDesktopRect desk = GetPlatform().DesktopRect();
    std::vector<TRect> monitors = GetPlatform().Monitors();
    if (monitors.size() > kMaxMonitors) monitors.resize(kMaxMonitors);
    const TRect whole{desk.left, desk.top, desk.right - desk.left, desk.bottom - desk.top};
    TRect ref = monitors.empty() ? whole : monitors.front();
    for (const TRect& m : monitors)
        if (m == whole) {
            ref = m;
            break;
        }

    if (r.x + r.width > ref.width) r.x = desk.right - r.width - 20;
    if (ref.x > r.x) r.x = ref.x + 10;
    if (r.y + r.height > ref.height) r.y = desk.bottom - r.height - 10;

    log_->addVarIntegerPair("r_iX", r.x, "r_iY", r.y);
    log_->addVarIntegerPair("r_iWidth", r.width, "r_iHeight", r.height);
    log_->exitFnc(h);
    return r;
}

TRect TmuOperationSystem::CheckFormCanResize(Form* form) {
    int h = log_->addFnc("CheckFormCanResize");
    TRect result;
    if (form) {
        result = SetFormularposition(form->Geometry());
    } else {
        log_->addErr("Kein Formular angegeben.");
    }
    log_->exitFnc(h);
    return result;
}

void TmuOperationSystem::CheckFormCanResize(int newWidth, int width, int newHeight, int height,
                                            int& actualWidth, int& actualHeight, const std::string& token) {
    int h = log_->addPro("CheckFormCanResize");
    log_->addVarIntegerPair("i_iNewWidth", newWidth, "i_iWidth", width);
    log_->addVarIntegerPair("i_iNewHeight", newHeight, "i_iHeight", height);
    log_->addVarString("i_sToken", token);

    actualWidth = width;
    if (Get_MajorVersion_Vista()) actualWidth += getFormular_Extra_Width();
    actualHeight = newHeight;
    const std::string t = AsciiUpper(token);
    if (t == "<>")
        actualHeight = height;
    else if (t == "<" && newHeight < height)
        actualHeight = height;

    log_->addVarIntegerPair("o_iWidth", actualWidth, "o_iHeight", actualHeight);
    log_->exitPro(h);
}

TRect TmuOperationSystem::getDialogPosition(Form* parent, Form* dialog) {
    int h = log_->addFnc("Shell_DeleteTrayIconData");
    const TRect p = CheckFormCanResize(parent);
    TRect d = CheckFormCanResize(dialog);

    d.x = p.x - d.width / 3;
    if (d.x < 0) d.x = p.x + 10;
    if (d.width > p.width) d.x = p.x - d.width / 2 - 10;
    if (p.x - d.width < 0 && d.x < p.x) d.x = p.x + 10;
    d.y = ((p.height / 2 - d.height / 2) + 100) / 2 + p.y;

    log_->addVarIntegerPair("r_iX", d.x, "r_iY", d.y);
    log_->addVarIntegerPair("r_iWidth", d.width, "r_iHeight", d.height);
    log_->exitFnc(h);
    return d;
}

TRect TmuOperationSystem::get_SysScreen(const TRect& rect) {
    TmTraceScope trace(log_, Kind::Function, "get_SysScreen");
    TRect result = rect;
    const TRect screen = GetPlatform().PrimaryScreenRect();
    result.width = screen.width;
    result.height = screen.height;
    log_->addVarIntegerPair("r_iWidth", result.width, "r_iHeight", result.height);
    return result;
}

TRect TmuOperationSystem::Calc_FormPositionOfScreen(int x, int y, int width, int height) {
    TmTraceScope trace(log_, Kind::Function, "Calc_FormPositionOfScreen");
    log_->addVarIntegerPair("i_iX", x, "i_iY", y);
    log_->addVarIntegerPair("i_iWidth", width, "i_iHeight", height);
    const TDesktopRect desk = GetPlatform().DesktopRect();
    if (x + width > desk.right) x = desk.right - width - 50;
    if (y + height > desk.bottom) y = desk.bottom - height - 50;
    // A position left of or above the desktop (a monitor that is gone) comes
    // back onto the screen as well.
    if (x < desk.left) x = desk.left;
    if (y < desk.top) y = desk.top;
    log_->addVarIntegerPair("r_iX", x, "r_iY", y);
    return TRect{x, y, width, height};
}

TRect TmuOperationSystem::CheckFormPositionOfScreen(int x, int y, int formWidth, int formHeight) {
    TmTraceScope trace(log_, Kind::Function, "CheckFormPositionOfScreen");
    log_->addVarString("i_sDesktopPosition", desktopPosition_);
    const TDesktopRect desk = GetPlatform().DesktopRect();
    const std::string word = AsciiUpper(desktopPosition_);
    if (word == "TOPLEFT") {
        x = 0;
        y = 0;
    } else if (word == "TOPRIGHT") {
        x = desk.right - (formWidth + 2);
        y = 0;
    } else if (word == "BOTTOMRIGHT") {
        x = desk.right - (formWidth + 2);
        y = desk.bottom - (formHeight + 38);
    }
    TRect result = Calc_FormPositionOfScreen(x, y, formWidth, formHeight);
    log_->addVarIntegerPair("r_iX", result.x, "r_iY", result.y);
    return result;
}

void TmuOperationSystem::SetProcessMessages(int count) {
    TmTraceScope trace(log_, Kind::Procedure, "SetProcessMessages");
    log_->addVarInteger("i_iCount", count);
    if (application_) {
        for (int i = 0; i < count; ++i) {
            ServeMessages(*application_);
            GetPlatform().SleepMs(1);
        }
    }
}

std::string TmuOperationSystem::getSpecialFolder(int location) {
    switch (location) {
        case SL_Desktop:
            return GetPlatform().SpecialFolder("Desktop");
        case SL_SendTo:
            return GetPlatform().SpecialFolder("SendTo");
        case SL_StartMenu:
            return GetPlatform().SpecialFolder("Start Menu");
        case SL_Startup:
            return GetPlatform().SpecialFolder("Startup");
        default:
            return {};
    }
}

int TmuOperationSystem::getShortcutLocation(int choice) {
    switch (choice) {
        case 1:
            return SL_Desktop;
        case 2:
            return SL_StartMenu;
        case 3:
            return SL_SendTo;
        case 4:
            return SL_Startup;
        default:
            return SL_GivenFolder;
    }
}

std::string TmuOperationSystem::ShortcutFolder(int location, const std::string& subFolder) {
    if (location == SL_QuickLaunch) return GetPlatform().SpecialFolder("Quick Launch");
    if (location == SL_GivenFolder) return subFolder;
    return getSpecialFolder(location);
}

bool TmuOperationSystem::CreateShortcut(const std::string& sourceFileName, int location,
                                        const std::string& subFolder, const std::string& workingDirectory,
                                        const std::string& arguments, const std::string& description,
                                        std::string& linkPath) {
    TmTraceScope trace(log_, Kind::Function, "CreateShortcut",
                       {"i_sSourceFileName", sourceFileName, "i_Location", "Location", "i_", subFolder, "i_",
                        workingDirectory, "i_", arguments, "i_", description});

    std::string program, sourceArguments;
    SplitSource(sourceFileName, program, sourceArguments);

    TShellLink link;
    link.target = fs_boundary::NativePath(program);
    link.arguments = sourceArguments;
    if (!arguments.empty()) link.arguments += (link.arguments.empty() ? "" : " ") + arguments;
    link.description = description;

    const std::string extension = GetPlatform().LinkFileExtension();
    const std::string linkName = ChangeFileExt(ExtractFileName(program), extension);
    link.name = ChangeFileExt(linkName, "");

    bool result = false;
    const std::string folder = WithoutTrailingSeparator(ShortcutFolder(location, subFolder));
    if (folder.empty() || ExtractFileName(program).empty()) {
        log_->addWrn("Kein Ordner für die Verknüpfung.");
    } else {
        std::string path;
        if (!subFolder.empty() && location != SL_GivenFolder)
            path = folder + "\\" + WithoutTrailingSeparator(subFolder) + "\\" + linkName;
        else
            path = folder + "\\" + linkName;

        std::string dir = workingDirectory.empty() ? ExtractFileDir(program) : workingDirectory;
        link.workingDirectory = dir.empty() ? std::string() : fs_boundary::NativePath(dir);
        GetPlatform().CompleteProgramLink(link);

        if (GetPlatform().SaveLink(link, path)) {
            linkPath = path;
            result = true;
        } else {
            log_->addErr("Verknüpfung konnte nicht gespeichert werden: " + path);
        }
        log_->addVarString("o_sLinkPath", path);
    }
    log_->addVarBoolean("r_bResult", result);
    return result;
}
