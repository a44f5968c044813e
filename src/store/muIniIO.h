#pragma once
// INI file binding. A numbered set of slots (1-based), each holding one INI
// file in memory; typed reads and writes of single keys of the selected
// slot; loading every registered value of one data-holder index from the
// selected slot's file in one call. The program uses slot 1 for tavrin.ini
// (index "INI") and slot 2 for the file of one socket box (index "AC01" ...).
//
// Writes never create a section or a key: a setting is written back only if
// the file carries its key. Changes reach the disk when the slot is closed
// (set_Active(false)) and when the binding is destroyed; the file is then
// replaced as a whole (written beside it and renamed over it), so a failed
// write leaves the old file intact. A slot whose document was not changed
// leaves its file untouched.
//
// Failures are reported by results and error lines in the log "muIniIO";
// a read that cannot be served returns its default.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store/muIniDocument.h"
#include "toolkit/Application.h"
#include "toolkit/Component.h"

class TmuCompoLogging;
class TmuStringTools;
class TmuDataConvert;
class TmuFileIO;
class TmuDataholder;

// One slot.
struct TmuIniIoMode {
    std::unique_ptr<TmIniDocument> IniIo;  // the file's contents while open
    bool Changed = false;                  // set by every successful write
    std::string FullFilename;              // path and file name, joined on open
    std::string Path;
    std::string Filename;
    bool Active = false;  // open and usable
};

class TmuIniIO : public TComponent {
public:
    // Shown (with the file name after it) when a changed file could not be
    // written back.
    static constexpr const char* kSaveFailedText =
        "Die Einstellungen konnten nicht gespeichert werden. Die Datei ist nicht beschreibbar:\r\n";
    explicit TmuIniIO(TComponent* owner = nullptr);
    ~TmuIniIO() override;

    TmuCompoLogging* Log() const { return log_; }
    TmuStringTools* STR() const { return str_; }
    void setApplication(Application* app) { application_ = app; }
    Application* getApplication() const { return application_; }

    // ---- Slots ---------------------------------------------------------------
    // Number of slots; values of 0 or less are ignored. Slots dropped by a
    // smaller count are written back first.
    void set_IniIoCount(std::int32_t count);
    std::int32_t get_IniIoCount() const { return static_cast<std::int32_t>(FmIniIoMode.size()); }
    // Selects a slot; values of 0 or less, and numbers above the slot count
    // (with an error line), are ignored.
    void set_IniIoIndex(std::int32_t index);
    std::int32_t get_IniIoIndex() const { return FmIniIoIndex; }
    // Directory and file name of the selected slot.
    void set_path(const std::string& path);
    std::string get_path() const;
    void set_Filename(const std::string& fileName);
    std::string get_Filename() const;
    std::string get_FullFilename() const;
    // True opens the selected slot (loads its file); false writes it back.
    void set_Active(bool active);
    bool get_Active() const;
    // The selected slot's document; nullptr when it has none.
    TmIniDocument* get_IniIo() const;
    bool get_IniChange() const;
    void set_IniChange(bool changed);
    // A slot is selected and has a document.
    bool check_IniIO();
    // Loads the file into the selected slot.
    bool open_inifile(const std::string& fileName);

    // ---- Single keys of the selected slot --------------------------------------
    bool SectionExists(const std::string& section);
    bool ValueExists(const std::string& section, const std::string& ident);
    std::uint8_t ReadByte(const std::string& section, const std::string& ident, std::uint8_t defaultValue);
    std::uint16_t ReadWord(const std::string& section, const std::string& ident, std::uint16_t defaultValue);
    std::int32_t ReadInteger(const std::string& section, const std::string& ident, std::int32_t defaultValue);
    void ReadString(const std::string& section, const std::string& ident, std::string& value,
                    const std::string& defaultValue);
    bool ReadOnOFF(const std::string& section, const std::string& ident, bool defaultValue);
    void WriteInteger(const std::string& section, const std::string& ident, std::int32_t value);
    void WriteString(const std::string& section, const std::string& ident, const std::string& value);
    void WriteOnOFF(const std::string& section, const std::string& ident, bool value);

    // ---- Loading the data holder ---------------------------------------------
    // Splits a path into index, section and value name by the data holder's
    // rules, without UseIndex and UseSection.
    bool CheckValueOfSection(const std::string& idValue, std::string& index, std::string& section,
                             std::string& valueName);
    // Loads every registered value of the index from the selected slot; true
    // when at least one value had a path that names a file key.
    bool readFile_with_DataHolder(const std::string& index, const std::string& section,
                                  TmuDataholder* holder);
    // readFile_with_DataHolder with index "INI" and no section.
    bool readINI_with_DataHolder(TmuDataholder* holder);

private:
    TmuIniIoMode* Selected();
    const TmuIniIoMode* Selected() const;
    // The three checks every read and write makes; kind names the key type
    // in the error line ("Byte", "Word", "Integer", "String", "OnOFF").
    bool CheckAccess(const std::string& section, const std::string& ident, const std::string& kind);
    // The key's text; only after CheckAccess.
    std::string KeyText(const std::string& section, const std::string& ident);
    // Writes a changed document back to its file.
    bool WriteBack(TmuIniIoMode& slot);

    TmuCompoLogging* log_ = nullptr;
    TmuStringTools* str_ = nullptr;
    TmuDataConvert* convert_ = nullptr;
    TmuFileIO* fileIO_ = nullptr;
    Application* application_ = nullptr;

    std::int32_t FmIniIoIndex = 0;
    std::vector<TmuIniIoMode> FmIniIoMode;
};
