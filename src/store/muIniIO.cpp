#include "store/muIniIO.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "store/muDataConvert.h"
#include "store/muDataHolder.h"
#include "store/muFileIO.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Platform.h"
#include "toolkit/muLogging.h"
#include "toolkit/muStringTools.h"
#include "toolkit/muTraceScope.h"

namespace {

using Kind = TmTraceScope::Kind;

// The INI integer notation: decimal, or hexadecimal after "0x" or "$", with
// an optional sign. Hexadecimal takes up to eight digits (32 bits, so
// "$FFFFFFFF" is -1). False for anything else, and for decimal numbers
// outside 32 bits.
bool ParseIniInteger(const std::string& text, std::int32_t& value) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    bool hex = false;
    if (text.compare(pos, 1, "$") == 0) {
        hex = true;
        pos += 1;
    } else if (text.compare(pos, 2, "0x") == 0 || text.compare(pos, 2, "0X") == 0) {
        hex = true;
        pos += 2;
    }
    if (pos >= text.size()) return false;
    std::uint64_t magnitude = 0;
    const std::size_t digits = text.size() - pos;
    if (hex && digits > 8) return false;
    for (; pos < text.size(); ++pos) {
        const auto c = static_cast<unsigned char>(text[pos]);
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        magnitude = magnitude * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (!hex && magnitude > 2147483648ull) return false;
    }
    if (hex) {
        const auto bits = static_cast<std::uint32_t>(magnitude);
        value = static_cast<std::int32_t>(negative ? 0u - bits : bits);
        return true;
    }
    if (!negative && magnitude > 2147483647ull) return false;
    value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                     : static_cast<std::int32_t>(magnitude);
    return true;
}

}  // namespace

TmuIniIO::TmuIniIO(TComponent* owner) : TComponent(owner) {
    log_ = CreateLoggingDirect(this, "muIniIO", GetPlatform().CurrentDir(), "System\\Logging", "LOG_STD",
                               false, true);
    const int h = log_->addCls("Create");
    log_->addText("Klasse " + log_->CompoName() + " erstellen");
    fileIO_ = new TmuFileIO(this);
    convert_ = new TmuDataConvert(this);
    str_ = new TmuStringTools(this);
    log_->exitCls(h);
}

TmuIniIO::~TmuIniIO() {
    const int h = log_->addCls("Destroy");
    log_->addText("Klasse " + log_->CompoName() + " vernichten");
    // Every slot's changes reach its file, whichever slot is selected.
    for (TmuIniIoMode& slot : FmIniIoMode) {
        WriteBack(slot);
        slot.IniIo.reset();
    }
    delete str_;
    str_ = nullptr;
    delete convert_;
    convert_ = nullptr;
    delete fileIO_;
    fileIO_ = nullptr;
    log_->exitCls(h);
    delete log_;
    log_ = nullptr;
}

// ---- Slots -------------------------------------------------------------------

TmuIniIoMode* TmuIniIO::Selected() {
    if (FmIniIoIndex <= 0 || FmIniIoIndex > get_IniIoCount()) return nullptr;
    return &FmIniIoMode[static_cast<std::size_t>(FmIniIoIndex - 1)];
}

const TmuIniIoMode* TmuIniIO::Selected() const { return const_cast<TmuIniIO*>(this)->Selected(); }

void TmuIniIO::set_IniIoCount(std::int32_t count) {
    TmTraceScope trace(log_, Kind::Procedure, "set_IniIoCount");
    log_->addVarInteger("i_iValue", count);
    if (count <= 0) return;
    for (std::size_t i = static_cast<std::size_t>(count); i < FmIniIoMode.size(); ++i)
        WriteBack(FmIniIoMode[i]);
    FmIniIoMode.resize(static_cast<std::size_t>(count));
    if (FmIniIoIndex > count) FmIniIoIndex = 0;
}

void TmuIniIO::set_IniIoIndex(std::int32_t index) {
    TmTraceScope trace(log_, Kind::Procedure, "set_IniIoIndex");
    log_->addVarInteger("i_iValue", index);
    if (index <= 0) return;
    if (index > get_IniIoCount()) {
        log_->addErr("FmIniIoIndex (" + std::to_string(index) +
                     ") ist größer als die Anzahl der INI-Dateien (" + std::to_string(get_IniIoCount()) +
                     ").");
        return;
    }
    FmIniIoIndex = index;
}

void TmuIniIO::set_path(const std::string& path) {
    TmTraceScope trace(log_, Kind::Procedure, "set_path");
    log_->addVarString("i_sValue", path);
    if (TmuIniIoMode* slot = Selected())
        slot->Path = path;
    else
        log_->addErr("FmIniIoIndex ist Null!");
}

std::string TmuIniIO::get_path() const {
    const TmuIniIoMode* slot = Selected();
    return slot != nullptr ? slot->Path : std::string();
}

void TmuIniIO::set_Filename(const std::string& fileName) {
    TmTraceScope trace(log_, Kind::Procedure, "set_Filename");
    log_->addVarString("i_sValue", fileName);
    if (TmuIniIoMode* slot = Selected())
        slot->Filename = fileName;
    else
        log_->addErr("FmIniIoIndex ist Null!");
}

std::string TmuIniIO::get_Filename() const {
    const TmuIniIoMode* slot = Selected();
    return slot != nullptr ? slot->Filename : std::string();
}

std::string TmuIniIO::get_FullFilename() const {
    const TmuIniIoMode* slot = Selected();
    return slot != nullptr ? slot->FullFilename : std::string();
}

void TmuIniIO::set_Active(bool active) {
    TmTraceScope trace(log_, Kind::Procedure, "set_Active");
    log_->addVarBoolean("i_bValue", active);
    if (FmIniIoMode.empty()) return;
    TmuIniIoMode* slot = Selected();
    if (slot == nullptr) {
        log_->addErr("FmIniIoIndex ist Null!");
        return;
    }
    slot->Active = active;
    if (active) {
        // A document opened before is replaced; its changes are saved first.
        WriteBack(*slot);
        slot->IniIo.reset();
        slot->FullFilename = fileIO_->add_Backslash(slot->Path) + slot->Filename;
        log_->addVarString("r_sFullFilename", slot->FullFilename);
        if (!fs_boundary::FileExists(slot->FullFilename)) {
            log_->addErr("Fehler weil, Datei (" + slot->FullFilename + ") nicht vorhanden");
            slot->Active = false;
        } else {
            slot->Active = open_inifile(slot->FullFilename);
            if (!slot->Active) log_->addErr("Fehler beim öffnen der INI-Datei (" + slot->FullFilename + ")");
        }
    } else {
        WriteBack(*slot);
    }
    log_->addVarBoolean("r_bActive", slot->Active);
}

bool TmuIniIO::get_Active() const {
    const TmuIniIoMode* slot = Selected();
    return slot != nullptr && slot->Active;
}

TmIniDocument* TmuIniIO::get_IniIo() const {
    const TmuIniIoMode* slot = Selected();
    return slot != nullptr ? slot->IniIo.get() : nullptr;
}

bool TmuIniIO::get_IniChange() const {
    const TmuIniIoMode* slot = Selected();
    return slot != nullptr && slot->Changed;
}

void TmuIniIO::set_IniChange(bool changed) {
    TmTraceScope trace(log_, Kind::Procedure, "set_IniChange");
    log_->addVarBoolean("i_bValue", changed);
    if (TmuIniIoMode* slot = Selected()) slot->Changed = changed;
}

bool TmuIniIO::check_IniIO() {
    TmTraceScope trace(log_, Kind::Function, "check_IniIO");
    bool result = false;
    const TmuIniIoMode* slot = Selected();
    if (slot == nullptr)
        log_->addErr("FmIniIoIndex ist Null!");
    else if (!slot->IniIo)
        log_->addErr("Class IniIO fehlt!");
    else
        result = true;
    log_->addVarBoolean("r_bResult", result);
    return result;
}

bool TmuIniIO::open_inifile(const std::string& fileName) {
    TmTraceScope trace(log_, Kind::Function, "open_inifile");
    log_->addVarString("i_sFilename", fileName);
    TmuIniIoMode* slot = Selected();
    if (slot == nullptr) {
        log_->addErr("FmIniIoIndex ist Null!");
        return false;
    }
    // One look-up of the real path serves the existence test, the size and the read.
    const std::string native = fs_boundary::NativePath(fileName);
    std::error_code ec;
    if (fileName.empty() || !std::filesystem::is_regular_file(native, ec)) {
        log_->addErr("Öffnen der INI-Datei: (" + fileName + ") nicht möglich, da diese fehlt!");
        log_->addVarBoolean("r_bResult", false);
        return false;
    }
    const auto size = std::filesystem::file_size(native, ec);
    if (!ec && size > TmIniDocument::kMaxFileSize) {
        log_->addErr("Die INI-Datei (" + fileName + ") ist mit " + std::to_string(size) +
                     " Bytes zu groß und wird nicht gelesen.");
        log_->addVarBoolean("r_bResult", false);
        return false;
    }
    std::string bytes;
    std::ifstream in(native, std::ios::binary);
    if (!ec && in.is_open()) {
        bytes.resize(static_cast<std::size_t>(size));
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<std::size_t>(in.gcount()));  // a file that shrank meanwhile
    }
    if (ec || !in.is_open() || in.bad()) {
        log_->addErr("Die INI-Datei (" + fileName + ") kann nicht gelesen werden.");
        log_->addVarBoolean("r_bResult", false);
        return false;
    }
    if (const std::size_t lineEnds = TmIniDocument::CountLineEnds(bytes);
        lineEnds >= TmIniDocument::kMaxLines) {
        log_->addErr("Die INI-Datei (" + fileName + ") ist mit " + std::to_string(lineEnds) +
                     " Zeilenenden zu lang und wird nicht gelesen.");
        log_->addVarBoolean("r_bResult", false);
        return false;
    }
    WriteBack(*slot);
    auto doc = std::make_unique<TmIniDocument>(fileName);
    doc->LoadFromBytes(bytes);
    if (doc->SkippedLines() > 0)
        log_->addWrn("INI-Datei (" + fileName + "): " + std::to_string(doc->SkippedLines()) +
                     " Zeilen ohne lesbaren Text übersprungen.");
    slot->IniIo = std::move(doc);
    log_->addVarBoolean("r_bResult", true);
    return true;
}

bool TmuIniIO::WriteBack(TmuIniIoMode& slot) {
    TmIniDocument* doc = slot.IniIo.get();
    if (doc == nullptr || !doc->Modified()) return true;
    TTextEncoding used;
    const std::string bytes = doc->SaveToBytes(used);
    if (!fs_boundary::WriteFileAtomic(doc->FileName(), bytes)) {
        log_->addErr("Fehler beim Schreiben der INI-Datei (" + doc->FileName() + ")");
        // Settings that are lost must not be lost silently.
        GetPlatform().MessageBox(std::string(kSaveFailedText) + doc->FileName(), "", MsgButtons::Ok,
                                 MsgIcon::Error);
        return false;
    }
    if (used != doc->Encoding()) {
        log_->addWrn("INI-Datei (" + doc->FileName() + ") als " + text_encoding::EncodingName(used) +
                     " gespeichert, da " + text_encoding::EncodingName(doc->Encoding()) +
                     " nicht alle Zeichen darstellen kann.");
        doc->SetEncoding(used);
    }
    doc->SetModified(false);
    return true;
}

// ---- Single keys -------------------------------------------------------------

bool TmuIniIO::SectionExists(const std::string& section) {
    TmTraceScope trace(log_, Kind::Function, "SectionExists");
    log_->addVarString("i_sSection", section);
    bool result = false;
    const TmIniDocument* doc = get_IniIo();
    if (!get_Active() || doc == nullptr)
        log_->addErr("INI-Fehler beim lesen vom SectionExists (" + section + ")");
    else
        result = doc->SectionExists(section);
    log_->addVarBoolean("r_bResult", result);
    return result;
}

bool TmuIniIO::ValueExists(const std::string& section, const std::string& ident) {
    TmTraceScope trace(log_, Kind::Function, "ValueExists");
    log_->addVarString("i_sSection", section);
    log_->addVarString("i_sIdent", ident);
    bool result = false;
    const TmIniDocument* doc = get_IniIo();
    if (!get_Active() || doc == nullptr)
        log_->addErr("INI-Fehler beim lesen vom ValueExists (" + ident + ")");
    else
        result = doc->ValueExists(section, ident);
    log_->addVarBoolean("r_bResult", result);
    return result;
}

bool TmuIniIO::CheckAccess(const std::string& section, const std::string& ident, const std::string& kind) {
    if (!(get_Active() && check_IniIO())) {
        log_->addErr("INI-Fehler # Datei nicht vorhanden oder INI-Funkion aktive.");
        return false;
    }
    const TmIniDocument* doc = get_IniIo();
    if (!doc->SectionExists(section)) {
        log_->addErr("INI-Fehler Section. (" + section + ") nicht vorhanden.");
        return false;
    }
    if (!doc->ValueExists(section, ident)) {
        log_->addErr("INI-Fehler beim " + kind + " Ident. (" + ident + ") nicht vorhanden.");
        return false;
    }
    return true;
}

std::string TmuIniIO::KeyText(const std::string& section, const std::string& ident) {
    std::string text;
    get_IniIo()->ReadString(section, ident, text);
    return text;
}

std::uint8_t TmuIniIO::ReadByte(const std::string& section, const std::string& ident,
                                std::uint8_t defaultValue) {
    TmTraceScope trace(log_, Kind::Function, "ReadByte");
    log_->addVarString("i_sSection", section);
    log_->addVarString("i_sIdent", ident);
    log_->addVarByte("i_btDefault", defaultValue);
    std::uint8_t result = defaultValue;
    if (CheckAccess(section, ident, "Byte")) result = convert_->StringToByte(KeyText(section, ident));
    log_->addVarByte("r_btResult", result);
    return result;
}

std::uint16_t TmuIniIO::ReadWord(const std::string& section, const std::string& ident,
                                 std::uint16_t defaultValue) {
    TmTraceScope trace(log_, Kind::Function, "ReadWord");
    log_->addVarString("i_sSection", section);
    log_->addVarString("i_sIdent", ident);
    log_->addVarWord("i_wdDefault", defaultValue);
    std::uint16_t result = defaultValue;
    if (CheckAccess(section, ident, "Word")) result = convert_->StringToByte(KeyText(section, ident));
    log_->addVarWord("r_wdResult", result);
    return result;
}

std::int32_t TmuIniIO::ReadInteger(const std::string& section, const std::string& ident,
                                   std::int32_t defaultValue) {
    TmTraceScope trace(log_, Kind::Function, "ReadInteger");
    log_->addVarString("i_sSection", section);
    log_->addVarString("i_sIdent", ident);
    log_->addVarInteger("i_iDefault", defaultValue);
    std::int32_t result = defaultValue;
    if (CheckAccess(section, ident, "Integer") && !ParseIniInteger(KeyText(section, ident), result))
        result = defaultValue;
    log_->addVarInteger("r_iResult", result);
    return result;
}

void TmuIniIO::ReadString(const std::string& section, const std::string& ident, std::string& value,
                          const std::string& defaultValue) {
    TmTraceScope trace(log_, Kind::Procedure, "ReadString");
    log_->addVarString("i_sSection", section);
    log_->addVarString("i_sIdent", ident);
    log_->addVarString("i_sDefault", defaultValue);
    value = defaultValue;
    if (CheckAccess(section, ident, "String")) value = KeyText(section, ident);
    log_->addVarString("o_sValue", value);
}

bool TmuIniIO::ReadOnOFF(const std::string& section, const std::string& ident, bool defaultValue) {
    TmTraceScope trace(log_, Kind::Function, "ReadOnOFF");
    log_->addVarString("i_sSection", section);
    log_->addVarString("i_sIdent", ident);
    log_->addVarBoolean("i_bDefault", defaultValue);
    bool result = defaultValue;
    if (CheckAccess(section, ident, "OnOFF")) {
        const std::string text = AsciiUpper(KeyText(section, ident));
        if (text == "ON" || text == "YES")
            result = true;
        else if (text == "OFF" || text == "NO")
            result = false;
    }
    log_->addVarBoolean("r_bResult", result);
    return result;
}

void TmuIniIO::WriteInteger(const std::string& section, const std::string& ident, std::int32_t value) {
    TmTraceScope trace(log_, Kind::Procedure, "WriteInteger");
    log_->addVarString("i_sSection", section);
    log_->addVarString("i_sIdent", ident);
    log_->addVarInteger("i_iValue", value);
    if (!CheckAccess(section, ident, "Integer")) return;
    get_IniIo()->WriteString(section, ident, std::to_string(value));
    Selected()->Changed = true;
}

void TmuIniIO::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
    TmTraceScope trace(log_, Kind::Procedure, "WriteString");
    log_->addVarString("i_sSection", section);
    log_->addVarString("i_sIdent", ident);
    log_->addVarString("i_sValue", value);
    if (!CheckAccess(section, ident, "String")) return;
    get_IniIo()->WriteString(section, ident, value);
    Selected()->Changed = true;
}

void TmuIniIO::WriteOnOFF(const std::string& section, const std::string& ident, bool value) {
    TmTraceScope trace(log_, Kind::Procedure, "WriteOnOFF");
    log_->addVarString("i_sSection", section);
    log_->addVarString("i_sIdent", ident);
    log_->addVarBoolean("i_bValue", value);
    if (!CheckAccess(section, ident, "OnOFF")) return;
    WriteString(section, ident, value ? "ON" : "OFF");
}

// ---- Loading the data holder -------------------------------------------------

bool TmuIniIO::CheckValueOfSection(const std::string& idValue, std::string& index, std::string& section,
                                   std::string& valueName) {
    TmTraceScope trace(log_, Kind::Function, "CheckValueOfSection");
    log_->addVarString("i_sIdValue", idValue);
    index.clear();
    section.clear();
    valueName.clear();
    bool result = str_->splitTokens(idValue, "|");
    if (result) {
        switch (str_->getTokenCount()) {
            case 1:
                index = "DEFAULT";
                section = "PRG";
                valueName = str_->getToken(1);
                break;
            case 2:
                index = str_->getToken(1);
                valueName = str_->getToken(2);
                break;
            case 3:
                index = str_->getToken(1);
                section = str_->getToken(2);
                valueName = str_->getToken(3);
                break;
            default:  // four parts or more name no value
                result = false;
                break;
        }
    }
    log_->addVarString("o_sIndex", index);
    log_->addVarString("o_sSection", section);
    log_->addVarString("o_sValue", valueName);
    log_->addVarBoolean("r_bResult", result);
    return result;
}

bool TmuIniIO::readFile_with_DataHolder(const std::string& index, const std::string& section,
                                        TmuDataholder* holder) {
    TmTraceScope trace(log_, Kind::Function, "readFile_with_DataHolder");
    log_->addVarString("i_sIndex", index);
    log_->addVarString("i_sSection", section);
    if (holder == nullptr) {
        log_->addErr(index + "-Fehler / DataHolder-Klasse ist nicht erstellt.");
        log_->addVarBoolean("r_bResult", false);
        return false;
    }

    bool result = false;
    holder->set_IdxName(index);
    holder->clearNextValueID();
    const std::int32_t secPos = holder->InitIndex(index);
    holder->set_IdxName(index);
    const std::int32_t count = holder->getDataCount();
    log_->addVarIntegerPair("r_iSecPos", secPos, "r_iDataCount", count);

    for (std::int32_t i = 0; i < count; ++i) {
        // Storing a value parses its path, which moves the holder's current
        // index; the walk goes on in this index.
        holder->set_IdxName(index);
        const std::int32_t id = holder->getNextValueID();

        auto tag = static_cast<TmDataType>(0);
        std::string valueKey;
        TmVarType current;
        TmVarType defaultValue;
        if (!holder->getDatatypeAsID(secPos, id, tag))
            log_->addErr("getDataTypeAsID # Kein korrekten Datentyp gefunden");
        if (!holder->getValuenameAsID(secPos, id, valueKey))
            log_->addErr("getValuenameAsID # Kein korrekten Valuename gefunden");
        if (!holder->getValueMultiAsID(secPos, id, current))
            log_->addErr("getValueMultiAsID # Keine korrekten Werte gefunden");
        if (!holder->getDefaultValueAsID(secPos, id, defaultValue))
            log_->addErr("getDefaultValueAsID # Keine korrekten Default Werte gefunden");

        std::string path;
        if (!index.empty()) path += index + "|";
        if (!section.empty()) path += section + "|";
        path += valueKey;

        std::string iniIndex;
        std::string iniSection;
        std::string iniKey;
        if (!CheckValueOfSection(path, iniIndex, iniSection, iniKey) || iniIndex.empty()) continue;
        result = true;
        // A value without a section part has no place in a file.
        if (iniSection.empty()) continue;

        // Existence is tested first: a value the file lacks keeps its content.
        switch (tag) {
            case TmDataType::Byte:
                if (SectionExists(iniSection) && ValueExists(iniSection, iniKey))
                    holder->setValueByte(path, ReadByte(iniSection, iniKey, defaultValue.mByte));
                break;
            case TmDataType::Word:
                if (SectionExists(iniSection) && ValueExists(iniSection, iniKey)) {
                    TmVarType word;
                    word.mWord = ReadWord(iniSection, iniKey, defaultValue.mWord);
                    holder->setMultiValue(path, TmDataType::Word, word);
                }
                break;
            case TmDataType::Integer:
                if (SectionExists(iniSection) && ValueExists(iniSection, iniKey))
                    holder->setValueInteger(path, ReadInteger(iniSection, iniKey, defaultValue.mInteger));
                break;
            case TmDataType::String:
                if (SectionExists(iniSection) && ValueExists(iniSection, iniKey)) {
                    std::string text;
                    ReadString(iniSection, iniKey, text, defaultValue.mString);
                    holder->setValueString(path, text);
                }
                break;
            case TmDataType::Boolean:
                if (SectionExists(iniSection) && ValueExists(iniSection, iniKey))
                    holder->setValueBoolean(path, ReadOnOFF(iniSection, iniKey, false));
                break;
            default:
                break;
        }
    }
    log_->addVarBoolean("r_bResult", result);
    return result;
}

bool TmuIniIO::readINI_with_DataHolder(TmuDataholder* holder) {
    TmTraceScope trace(log_, Kind::Function, "readINI_with_DataHolder");
    return readFile_with_DataHolder("INI", "", holder);
}
