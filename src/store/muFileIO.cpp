#include "store/muFileIO.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string_view>

#include "toolkit/FileSystem.h"
#include "toolkit/Platform.h"
#include "toolkit/muLogging.h"
#include "toolkit/muStringTools.h"
#include "toolkit/muTraceScope.h"

#ifndef TAVRIN_FILE_VERSION
#define TAVRIN_FILE_VERSION "0.0.0.0"
#endif

namespace {

// The version record of the executable: the marker, the four-part version
// and the terminating NUL of the literal. Kept by the compiler (used) and
// referenced by OwnFileVersion, so it is in every program that uses the
// file service.
__attribute__((used)) const char kFileVersionRecord[] = "TAVRIN-FILE-VERSION:" TAVRIN_FILE_VERSION;
constexpr std::string_view kFileVersionMarker = "TAVRIN-FILE-VERSION:";

// A version "a.b.c.d" (each 0 to 65535) at the start of text, ended by a NUL.
bool ParseVersionAt(std::string_view text, std::string& version) {
    std::string out;
    std::size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.') return false;
            ++pos;
            out += '.';
        }
        std::size_t digits = 0;
        unsigned long value = 0;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) && digits < 6) {
            value = value * 10 + static_cast<unsigned long>(text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || value > 0xFFFF) return false;
        out += std::to_string(value);
    }
    if (pos >= text.size() || text[pos] != '\0') return false;
    version = out;
    return true;
}

// A program path as a real path: a leading drive ("C:") names the one root
// of this file system and is dropped; the rest goes through the boundary.
std::string RealPath(std::string path) {
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':')
        path.erase(0, 2);
    return fs_boundary::NativePath(path);
}

}  // namespace

TmuFileIO::TmuFileIO(TComponent* owner) : TComponent(owner) {
    log_ = CreateLoggingDirect(this, "muFileIO", GetPlatform().CurrentDir(), "System\\Logging", "LOG_STD",
                               false, true);
    const int h = log_->addCls("Create");
    log_->addText("Klasse " + log_->CompoName() + " erstellen");
    str_ = new TmuStringTools(this);
    log_->exitCls(h);
}

TmuFileIO::~TmuFileIO() {
    const int h = log_->addCls("Destroy");
    log_->addText("Klasse " + log_->CompoName() + " vernichten");
    if (textFile_.is_open()) textFile_.close();
    delete str_;
    str_ = nullptr;
    log_->exitCls(h);
    delete log_;
    log_ = nullptr;
}

std::string TmuFileIO::get_LocateAndReplacePlacehold(const std::string& text, const std::string& placeholder,
                                                     std::string& result, const std::string& replacement) {
    TmTraceScope trace(log_, TmTraceScope::Kind::Function, "get_LocateAndReplacePlacehold");
    log_->addVarString("i_sText", text);
    log_->addVarString("sLocateValue", placeholder);
    log_->addVarString("sReplaceValue", replacement);
    result = text;
    if (!text.empty() && !placeholder.empty()) {
        const std::size_t pos = text.find(placeholder);
        // Only ASCII letters change: the file system boundary matches path
        // elements ignoring ASCII case, so an element with other letters must
        // keep them as they are to be found.
        if (pos != std::string::npos) result.replace(pos, placeholder.size(), AsciiUpper(replacement));
    }
    log_->addVarString("r_sResult", result);
    return result;
}

std::string TmuFileIO::add_CharacterIfFailed(const std::string& text, char character) {
    TmTraceScope trace(log_, TmTraceScope::Kind::Function, "add_CharacterIfFailed");
    log_->addVarString("i_sValue", text);
    log_->addVarString("i_cChar", std::string(1, character));
    std::string result = text;
    if (!result.empty() && result.back() != character) result += character;
    log_->addVarString("r_sResult", result);
    return result;
}

std::string TmuFileIO::add_Backslash(const std::string& text) { return add_CharacterIfFailed(text, '\\'); }

std::string TmuFileIO::OwnFileVersion() {
    std::string version;
    const std::string_view record(kFileVersionRecord, sizeof kFileVersionRecord);  // with its NUL
    if (!ParseVersionAt(record.substr(kFileVersionMarker.size()), version)) version = "x.x.x.x";
    return version;
}

std::string TmuFileIO::GetFileVersion(const std::string& fileName, std::string& version) {
    TmTraceScope trace(log_, TmTraceScope::Kind::Function, "GetFileVersion");
    log_->addVarString("i_aDatei", fileName);
    version = "x.x.x.x";
    bool found = false;
    // The record sits in the program's data, well before the debug
    // information at the end of a large executable: read block by block and
    // stop at the first record.
    std::ifstream in;
    if (!fileName.empty()) in.open(fs_boundary::NativePath(fileName), std::ios::binary);
    constexpr std::size_t kBlock = 1u << 20;
    const std::size_t recordSpan = kFileVersionMarker.size() + 32;  // marker, "65535.65535.65535.65535", NUL
    std::string window;
    while (in.is_open() && !found) {
        const std::size_t before = window.size();
        window.resize(before + kBlock);
        in.read(window.data() + before, static_cast<std::streamsize>(kBlock));
        window.resize(before + static_cast<std::size_t>(in.gcount()));
        const bool last = !in;
        std::size_t keepFrom = window.size() > recordSpan ? window.size() - recordSpan : 0;
        for (std::size_t pos = window.find(kFileVersionMarker); pos != std::string::npos;
             pos = window.find(kFileVersionMarker, pos + 1)) {
            if (!last && pos + recordSpan > window.size()) {  // may be cut: look again with the next block
                keepFrom = std::min(keepFrom, pos);
                break;
            }
            if (ParseVersionAt(std::string_view(window).substr(pos + kFileVersionMarker.size()), version)) {
                found = true;
                break;
            }
        }
        if (last) break;
        window.erase(0, keepFrom);
    }
    if (!found) {
        version = "x.x.x.x";
        log_->addErr("GetFileVersionInfoSize ermittelt keine Daten!");
    }
    log_->addVarString("RETURN", version);
    return version;
}

std::string TmuFileIO::GetFileVersion(const std::string& fileName) {
    std::string version;
    return GetFileVersion(fileName, version);
}

void TmuFileIO::SetFileDevice(const std::string& value) {
    if (value == fileDevice_) return;
    TmTraceScope trace(log_, TmTraceScope::Kind::Procedure, "SetFileDevice");
    log_->addVarString("i_sValue", value);
    const std::string drive = add_CharacterIfFailed(value, ':');
    if (drive == fileDevice_) return;
    fileDevice_ = drive;
    // Every drive letter names the one root of this file system, so there is
    // no working drive to change; anything but a letter names no drive.
    const bool isDrive =
        drive.empty() || (drive.size() == 2 && std::isalpha(static_cast<unsigned char>(drive[0])) != 0);
    if (!isDrive) log_->addErr("Das Laufwerk (" + drive + ") ist nicht vorhanden.");
}

void TmuFileIO::SetFilePath(const std::string& value) {
    if (value == filePath_) return;
    filePath_ = value;
}

void TmuFileIO::SetFilename(const std::string& value) {
    if (value == filename_) return;
    filename_ = value;
}

void TmuFileIO::SetFileExt(const std::string& value) {
    if (value == fileExt_) return;
    fileExt_ = value;
}

void TmuFileIO::SetFileLogDate(bool value) {
    if (value == fileLogDate_) return;
    fileLogDate_ = value;
}

void TmuFileIO::SetFileLogTime(bool value) {
    if (value == fileLogTime_) return;
    fileLogTime_ = value;
}

void TmuFileIO::SetFileOpen(bool value) {
    TmTraceScope trace(log_, TmTraceScope::Kind::Procedure, "SetFileOpen");
    log_->addVarBoolean("i_bValue", value);
    if (str_ == nullptr) {
        log_->addErr("Klasse: TmStrTools nicht vorhanden!");
        return;
    }
    if (value == fileOpen_) return;
    if (value)
        OpenComposedFile();
    else
        CloseComposedFile();
    log_->addVarBoolean("r_bFileOpen", fileOpen_);
}

void TmuFileIO::OpenComposedFile() {
    std::string name;
    if (fileLogDate_) name += str_->getDateText();
    if (fileLogTime_) name += "-" + str_->getTimeText("_");
    if (!name.empty()) name += "-";
    name += add_CharacterIfFailed(filename_, '.') + fileExt_;
    filename_ = name;

    fullFilename_ =
        add_Backslash(add_CharacterIfFailed(fileDevice_, ':')) + add_Backslash(filePath_) + filename_;
    log_->addVarString("r_sFullFilename", fullFilename_);

    textFile_.open(RealPath(fullFilename_), std::ios::out | std::ios::trunc | std::ios::binary);
    if (!textFile_.is_open()) {
        textFile_.clear();
        log_->addErr("Die Datei (" + fullFilename_ + ") kann nicht erstellt werden.");
        fileOpen_ = false;
        return;
    }
    fileOpen_ = true;
}

void TmuFileIO::CloseComposedFile() {
    if (textFile_.is_open()) textFile_.close();
    textFile_.clear();
    fileOpen_ = false;
}

bool TmuFileIO::WriteLine(const std::string& line) {
    if (!fileOpen_ || !textFile_.is_open()) return false;
    textFile_ << line << "\r\n";
    textFile_.flush();
    return static_cast<bool>(textFile_);
}
