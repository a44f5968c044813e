#include "toolkit/muLogging.h"

#include <atomic>
#include <cctype>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "toolkit/FileSystem.h"
#include "toolkit/Platform.h"
#include "toolkit/ServedMessages.h"
#include "toolkit/muStringTools.h"

namespace {

// The "File I/O error." box is shown once per run; later failures of any
// logger drop their lines silently.
std::atomic<bool> g_fileErrorShown{false};

constexpr int kPumpEvery = 32;

const char* const kSeparator = " ----------------- ";

// Adds a trailing backslash unless the last non-blank character is one (a
// "/" counts too, so native directories keep a single separator); an empty
// or all-blank text stays empty.
std::string WithTrailingBackslash(const std::string& s) {
    size_t end = s.size();
    while (end > 0 && std::isspace(static_cast<unsigned char>(s[end - 1]))) --end;
    if (end == 0) return {};
    std::string r = s.substr(0, end);
    if (r.back() != '\\' && r.back() != '/') r += '\\';
    return r;
}

// Number of characters of a UTF-8 text.
size_t CharCount(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

const char* EntryLabel(int kind) {
    switch (kind) {
        case 0:
            return " -->>  FUNCTION : ";
        case 1:
            return " -->> PROCEDURE : ";
        default:
            return " -->>     CLASS : ";
    }
}

const char* ExitLabel(int kind) {
    switch (kind) {
        case 0:
            return " <<--  FUNCTION : ";
        case 1:
            return " <<-- PROCEDURE : ";
        default:
            return " <<--     CLASS : ";
    }
}

// " INPUT - " and the other 9-character tags, from the text before the
// first "_".
std::string DirectionTag(const std::string& name) {
    const auto us = name.find('_');
    if (us == std::string::npos) return {};
    const std::string dir = AsciiUpper(name.substr(0, us));
    if (dir == "I") return " INPUT - ";
    if (dir == "O") return "OUTPUT - ";
    if (dir == "IO") return "IN/OUT - ";
    if (dir == "R") return "RETURN - ";
    return {};
}

std::string PaddedType(const char* word) {
    std::string t = std::string(" ") + word;
    t.resize(17, ' ');
    return t;
}

// The 17-character type name from the first two characters after the first
// "_" that are not "_".
std::string TypeName(const std::string& name) {
    const auto us = name.find('_');
    if (us == std::string::npos) return {};
    std::string code;
    for (size_t i = us + 1; i < name.size() && code.size() < 2; ++i)
        if (name[i] != '_') code += name[i];
    code = AsciiUpper(code);
    if (code.empty()) return {};
    switch (code[0]) {
        case 'B':
            return PaddedType("Boolean");
        case 'S':
            return PaddedType("String");
        case 'I':
            return PaddedType("Integer");
        case 'P':
            return PaddedType("pChar");
        case 'C':
            return PaddedType("Char");
        case 'M':
            return PaddedType("Stream");
        default:
            break;
    }
    if (code == "AR") return PaddedType("Array");
    if (code == "DB") return PaddedType("Double");
    if (code == "WD") return PaddedType("Word");
    if (code == "LI") return PaddedType("Longint");
    if (code == "LN") return PaddedType("LongWord");
    if (code == "TS") return PaddedType("TStrings");
    if (code == "DT") return PaddedType("TDatetime");
    return {};
}

bool IsCreateOrDestroyName(const std::string& name) {
    const std::string l = AsciiLower(name);
    return l == "create" || l == "destroy";
}

std::string DecimalSeparator() {
    const std::lconv* lc = std::localeconv();
    if (lc && lc->decimal_point && lc->decimal_point[0]) return lc->decimal_point;
    return ".";
}

// General format with up to 15 significant digits: fixed notation while the
// value has at most 15 digits before the point and is at least 0.00001 in
// size, else scientific ("1.5E20", "1E-7"); trailing zeros dropped.
std::string FormatGeneral(long double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";

    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    std::string sci(buf, res.ptr);
    const auto epos = sci.find('e');
    const int exponent = std::atoi(sci.c_str() + epos + 1);
    std::string mantissa = sci.substr(0, epos);  // "-d.dddddddddddddd"
    const bool negative = mantissa[0] == '-';
    if (negative) mantissa.erase(0, 1);
    std::string digits = mantissa.substr(0, 1) + mantissa.substr(2);  // 15 digits
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    const std::string dp = DecimalSeparator();
    std::string out;
    if (exponent >= 15 || exponent < -5) {
        out = digits.substr(0, 1);
        if (digits.size() > 1) out += dp + digits.substr(1);
        out += "E" + std::to_string(exponent);
    } else if (exponent >= 0) {
        const size_t intLen = static_cast<size_t>(exponent) + 1;
        if (digits.size() <= intLen) {
            out = digits + std::string(intLen - digits.size(), '0');
        } else {
            out = digits.substr(0, intLen) + dp + digits.substr(intLen);
        }
    } else {
        out = "0" + dp + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    }
    return negative ? "-" + out : out;
}

std::string Hex(unsigned value, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", width, value);
    return buf;
}

}  // namespace

// ---------------------------------------------------------------------------

TmuLogging::TmuLogging(TComponent* owner) : TComponent(owner) {
    currentDir_ = GetPlatform().CurrentDir();
    prefix_ = new TmuStringTools(nullptr);
    prefix_->setCounterWidth(10);
    prefix_->setCounterMode(false);
}

TmuLogging::~TmuLogging() {
    activeLog_ = false;
    delete prefix_;
    prefix_ = nullptr;
    registry_.clear();
}

void TmuLogging::ResetFileErrorNotice() { g_fileErrorShown = false; }

// --- Properties -------------------------------------------------------------

void TmuLogging::SetActiveLog(bool value) {
    activeLog_ = value;
    if (!activeLog_) return;
    const std::string directory = WithTrailingBackslash(CurrentDir()) + WithTrailingBackslash(SystemPath());
    if (fs_boundary::DirectoryExists(directory)) {
        const std::string file = directory + FileName();
        if (delete_ && fs_boundary::FileExists(file)) {
            if (!fs_boundary::DeleteFile(file))
                addErr("Löschen der Logging-Datei nicht möglich: " + FileName());
        }
    } else {
        addErr("Unbekanntes Verzeichnis: " + directory);
    }
    if (onLogging_) onLogging_(this);
}

void TmuLogging::SetCompoName(const std::string& value) {
    if (value.empty() || value == compoName_) return;
    compoName_ = value;
}

std::string TmuLogging::CompoID() const { return compoID_.empty() ? std::string("LOG_STD") : compoID_; }

void TmuLogging::SetCompoID(const std::string& value) {
    if (value.empty()) return;
    compoID_ = AsciiUpper(value);
}

std::string TmuLogging::CurrentDir() {
    if (currentDir_.empty()) currentDir_ = GetPlatform().CurrentDir();
    return currentDir_;
}

std::string TmuLogging::SystemPath() const {
    return systemPath_.empty() ? std::string("System\\Logging") : systemPath_;
}

std::string TmuLogging::FileName() const {
    return fileName_.empty() ? std::string("mLogging.log") : fileName_;
}

void TmuLogging::SetFileName(const std::string& value) {
    if (value == fileName_) return;
    fileName_ = value;
}

void TmuLogging::getParm(TmuLogging_Parm& parm) {
    parm.CompoID = CompoID();
    parm.Delete = delete_;
    parm.ActiveLog = activeLog_;
    parm.CurrentDir = CurrentDir();
    parm.SystemPath = SystemPath();
    parm.FileName = FileName();
}

void TmuLogging::setParm(const TmuLogging_Parm& parm) {
    SetCompoID(parm.CompoID);
    delete_ = parm.Delete;
    // Activation effects (deleting the old file) use the old location.
    SetActiveLog(parm.ActiveLog);
    currentDir_ = parm.CurrentDir;
    systemPath_ = parm.SystemPath;
    SetFileName(parm.FileName);
}

TmuLogLevel TmuLogging::getLogLevel() const {
    if (!activeLog_) return TmuLogLevel::Off;
    const std::string id = AsciiUpper(CompoID());
    if (id == "LOG_STD") return TmuLogLevel::Std;
    if (id == "LOG_ALL") return TmuLogLevel::All;
    if (id == "LOG_ERR") return TmuLogLevel::Err;
    if (id == "LOG_PRG") return TmuLogLevel::Prg;
    if (id == AsciiUpper(compoName_)) return TmuLogLevel::Own;
    return TmuLogLevel::Off;
}

std::string TmuLogging::LogFilePath() {
    return WithTrailingBackslash(CurrentDir()) + WithTrailingBackslash(SystemPath()) + FileName();
}

// --- Entry and exit lines ---------------------------------------------------

int TmuLogging::addFnc(const std::string& name) { return Entry(EntryKind::Function, name); }
int TmuLogging::addPro(const std::string& name) { return Entry(EntryKind::Procedure, name); }
int TmuLogging::addCls(const std::string& name) { return Entry(EntryKind::Class, name); }
int TmuLogging::addWrn(const std::string& text) { return Entry(EntryKind::Warning, text); }
int TmuLogging::addErr(const std::string& text) { return Entry(EntryKind::Error, text); }
int TmuLogging::addMsg(const std::string& text) { return Entry(EntryKind::Message, text); }

int TmuLogging::addText(const std::string& text) {
    WriteFiltered(compoName_ + " - " + text);
    return 0;
}

void TmuLogging::exitFnc(int handle) { Exit(EntryKind::Function, NameOfHandle(handle)); }
void TmuLogging::exitPro(int handle) { Exit(EntryKind::Procedure, NameOfHandle(handle)); }
void TmuLogging::exitCls(int handle) { Exit(EntryKind::Class, NameOfHandle(handle)); }
void TmuLogging::exitProByName(const std::string& name) { Exit(EntryKind::Procedure, name); }
void TmuLogging::exitClsByName(const std::string& name) { Exit(EntryKind::Class, name); }

int TmuLogging::Entry(EntryKind kind, const std::string& text) {
    const TmuLogLevel level = getLogLevel();
    switch (level) {
        case TmuLogLevel::Off:
        case TmuLogLevel::Err:
        case TmuLogLevel::Prg:
            return 0;
        case TmuLogLevel::Std:
            if (!IsCreateOrDestroy(text)) return 0;
            break;
        case TmuLogLevel::All:
        case TmuLogLevel::Own:
            break;
    }

    switch (kind) {
        case EntryKind::Function:
        case EntryKind::Procedure:
        case EntryKind::Class: {
            const bool classPath = kind == EntryKind::Class;
            const std::string separator = compoName_ + kSeparator;
            classPath ? WriteClass(separator) : WriteFiltered(separator);
            const int handle = RegisterName(text);
            const std::string line = compoName_ + EntryLabel(static_cast<int>(kind)) + text;
            classPath ? WriteClass(line) : WriteFiltered(line);
            StepIn();
            return handle;
        }
        case EntryKind::Warning:
            WriteFiltered(compoName_ + " - WarnMsg : " + text);
            return 0;
        case EntryKind::Error:
            WriteFiltered(compoName_ + " - ErrorMsg : " + text);
            return 0;
        case EntryKind::Message:
            // The line only; no message box interrupts the user for a trace.
            WriteFiltered(compoName_ + text);
            return 0;
    }
    return 0;
}

void TmuLogging::Exit(EntryKind kind, const std::string& name) {
    switch (getLogLevel()) {
        case TmuLogLevel::Off:
        case TmuLogLevel::Err:
        case TmuLogLevel::Prg:
            return;
        case TmuLogLevel::Std:
            if (!IsCreateOrDestroy(name)) return;
            break;
        case TmuLogLevel::All:
        case TmuLogLevel::Own:
            break;
    }
    StepOut();
    const std::string line = compoName_ + ExitLabel(static_cast<int>(kind)) + name;
    kind == EntryKind::Class ? WriteClass(line) : WriteFiltered(line);
}

std::string TmuLogging::NameOfHandle(int handle) const {
    if (handle < 0 || handle >= static_cast<int>(registry_.size())) return {};
    return registry_[static_cast<size_t>(handle)];
}

int TmuLogging::RegisterName(const std::string& name) {
    const std::string key = AsciiLower(name);
    for (size_t i = 0; i < registry_.size(); ++i)
        if (AsciiLower(registry_[i]) == key) return static_cast<int>(i);
    registry_.push_back(name);
    return static_cast<int>(registry_.size()) - 1;
}

void TmuLogging::StepIn() {
    ++depth_;
    indent_.assign(static_cast<size_t>(depth_), ' ');
}

void TmuLogging::StepOut() {
    if (depth_ > 80)
        depth_ = 1;
    else
        --depth_;
    if (depth_ < 0) depth_ = 0;
    indent_.assign(static_cast<size_t>(depth_), ' ');
}

bool TmuLogging::IsCreateOrDestroy(const std::string& name) const { return IsCreateOrDestroyName(name); }

// --- Writing ----------------------------------------------------------------

void TmuLogging::WriteFiltered(const std::string& body) {
    const TmuLogLevel level = getLogLevel();
    if (level == TmuLogLevel::Off || level == TmuLogLevel::Std) return;
    WriteLine(body);
}

void TmuLogging::WriteClass(const std::string& body) { WriteLine(body); }

void TmuLogging::WriteLine(const std::string& body) {
    if (!activeLog_) return;
    const std::string base = WithTrailingBackslash(CurrentDir());
    // A missing folder is never created; the line goes nowhere.
    if (!fs_boundary::DirectoryExists(base + SystemPath())) return;
    const std::string path = base + WithTrailingBackslash(SystemPath()) + FileName();
    const std::string line = prefix_->getLinePrefix() + indent_ + body + "\r\n";
    if (!fs_boundary::AppendToFile(path, line)) {
        if (!g_fileErrorShown.exchange(true))
            GetPlatform().MessageBox("File I/O error.", "Error", MsgButtons::Ok, MsgIcon::Error);
        return;
    }
    if (++writeCount_ >= static_cast<std::uint32_t>(kPumpEvery)) {
        writeCount_ = 0;
        // Loggers without an application reference of their own serve
        // through the program's.
        if (Application* app = application_ ? application_ : ProgramApplication()) ServeMessages(*app);
    }
}

// --- Variable lines ---------------------------------------------------------

void TmuLogging::WriteVariable(const std::string& name, const std::string& value) {
    const TmuLogLevel level = getLogLevel();
    if (level == TmuLogLevel::Off || level == TmuLogLevel::Std) return;
    std::string body(CharCount(compoName_), ' ');
    body += " [Variable " + DirectionTag(name) + TypeName(name) + "(" + name + ") " + "]: = " + value;
    WriteLine(body);
}

void TmuLogging::addVarBoolean(const std::string& name, bool value) {
    WriteVariable(name, value ? "True" : "False");
}

void TmuLogging::addVarInteger(const std::string& name, std::int32_t value) {
    WriteVariable(name, std::to_string(value));
}

void TmuLogging::addVarByte(const std::string& name, std::uint8_t value) {
    WriteVariable(name, Hex(value, 2));
}

void TmuLogging::addVarWord(const std::string& name, std::uint16_t value) {
    WriteVariable(name, Hex(value, 4));
}

void TmuLogging::addVarExtended(const std::string& name, long double value) {
    WriteVariable(name, FormatGeneral(value));
}

void TmuLogging::addVarCardinal(const std::string& name, std::uint32_t value) {
    WriteVariable(name, std::to_string(value));
}

void TmuLogging::addVarInt64(const std::string& name, std::int64_t value) {
    WriteVariable(name, std::to_string(value));
}

void TmuLogging::addVarString(const std::string& name, const std::string& value) {
    WriteVariable(name, value);
}

void TmuLogging::addVarIntegerPair(const std::string& name1, std::int32_t value1, const std::string& name2,
                                   std::int32_t value2) {
    addVarInteger(name1, value1);
    addVarInteger(name2, value2);
}

void TmuLogging::addVarStringInteger(const std::string& textName, const std::string& text,
                                     const std::string& intName, std::int32_t value) {
    addVarString(textName, text);
    addVarInteger(intName, value);
}

// --- Lists ------------------------------------------------------------------

int TmuLogging::addCall(std::initializer_list<TLogValue> list) {
    return addCall(std::vector<TLogValue>(list));
}

int TmuLogging::addCall(const std::vector<TLogValue>& list) {
    bool expectKey = true;
    std::string current;
    std::string pendingKey;
    int result = 0;
    for (const TLogValue& v : list) {
        if (v.kind == TLogValue::Kind::Text) current = v.text;
        if (expectKey) {
            if (v.kind == TLogValue::Kind::Integer || v.kind == TLogValue::Kind::Boolean) {
                if (!current.empty()) expectKey = false;
            } else if (v.kind == TLogValue::Kind::Text) {
                const std::string l = AsciiLower(v.text);
                if (l == "addcls" || l == "addpro" || l == "addfnc" || l == "addwrn" || l == "adderr" ||
                    l == "addmsg") {
                    pendingKey = v.text;
                    current.clear();
                    expectKey = false;
                } else if (!v.text.empty()) {
                    pendingKey = v.text;
                    expectKey = false;
                }
            }
            continue;
        }

        // The value that belongs to the pending key.
        switch (v.kind) {
            case TLogValue::Kind::Boolean:
                addVarBoolean(current, v.boolean);
                current.clear();
                break;
            case TLogValue::Kind::Integer:
                addVarInteger(current, v.integer);
                current.clear();
                break;
            case TLogValue::Kind::Text: {
                const std::string key = AsciiLower(pendingKey);
                if (key == "addcls")
                    result = addCls(current);
                else if (key == "addpro")
                    result = addPro(current);
                else if (key == "addfnc")
                    result = addFnc(current);
                else if (key == "addwrn")
                    result = addWrn(current);
                else if (key == "adderr")
                    result = addErr(current);
                else if (key == "addmsg")
                    result = addMsg(current);
                else if (key == "none")
                    addText(current);
                else
                    addVarString(pendingKey, current);
                pendingKey.clear();
                current.clear();
                break;
            }
            case TLogValue::Kind::Other:
                break;
        }
        expectKey = true;
        if (getLogLevel() == TmuLogLevel::Std) break;
    }
    return result;
}

void TmuLogging::addTextList(const std::vector<TLogValue>& list) {
    for (const TLogValue& v : list)
        if (v.kind == TLogValue::Kind::Text) addText(v.text);
}

// ---------------------------------------------------------------------------

TmuProgramLogging::TmuProgramLogging(TComponent* owner) : TmuLogging(owner) {
    SetCompoName("muLogging");
    SetCompoID("LOG_ALL");
    SetDelete(false);
    SetActiveLog(true);
}

TmuProgramLogging::~TmuProgramLogging() { SetActiveLog(false); }

// ---------------------------------------------------------------------------

TmuCompoLogging* CreateLogging(TComponent* owner, TmuCompoLogging*& slot, const std::string& compoName,
                               const std::string& compoID, bool deleteFile, bool active) {
    if (!slot) {
        slot = new TmuCompoLogging(owner);
        slot->SetCompoName(compoName);
        slot->SetCurrentDir(GetPlatform().CurrentDir());
        slot->SetSystemPath("System\\Logging");
        slot->SetFileName("mLogging.log");
        slot->SetCompoID("LOG_ALL");
        slot->SetDelete(false);
        slot->SetActiveLog(true);
        // The plain line reads "<name> - CreateLogging".
        slot->addText("CreateLogging");
    }
    slot->SetCompoID(compoID);
    slot->SetDelete(deleteFile);
    slot->SetActiveLog(active);
    return slot;
}

TmuCompoLogging* CreateLoggingDirect(TComponent* owner, const std::string& compoName,
                                     const std::string& currentDir, const std::string& systemPath,
                                     const std::string& compoID, bool deleteFile, bool active) {
    auto* log = new TmuCompoLogging(owner);
    log->SetCompoName(compoName);
    log->SetCurrentDir(currentDir);
    log->SetSystemPath(systemPath);
    log->SetFileName("mLogging.log");
    log->SetCompoID(compoID);
    log->SetDelete(deleteFile);
    log->SetActiveLog(active);
    return log;
}
