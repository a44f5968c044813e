#pragma once
// File-name service: placeholders such as "$APPDIR" in configured paths, a
// missing trailing character (backslash) on directories, the version number
// a file carries, and a text file composed from drive, directory, name and
// extension with optional date and time prefixes.
//
// File versions: an executable of this program carries its version as the
// text "TAVRIN-FILE-VERSION:" followed by four dot-separated numbers and a
// NUL byte (see docs/architecture.md); GetFileVersion finds it in any file.
#include <cstdint>
#include <fstream>
#include <string>

#include "toolkit/Application.h"
#include "toolkit/Component.h"

class TmuCompoLogging;
class TmuStringTools;

class TmuFileIO : public TComponent {
public:
    explicit TmuFileIO(TComponent* owner = nullptr);
    ~TmuFileIO() override;

    TmuCompoLogging* Log() const { return log_; }
    TmuStringTools* STR() const { return str_; }
    void setApplication(Application* app) { application_ = app; }
    Application* getApplication() const { return application_; }

    // The text with the first occurrence of placeholder (exact case)
    // replaced by the upper-cased replacement; result receives it too.
    std::string get_LocateAndReplacePlacehold(const std::string& text, const std::string& placeholder,
                                              std::string& result, const std::string& replacement);
    // The text ending in character; an empty text stays empty.
    std::string add_CharacterIfFailed(const std::string& text, char character);
    std::string add_Backslash(const std::string& text);

    // Four decimal numbers joined by "." ("2.1.0.14"), or "x.x.x.x" when the
    // file carries no version.
    std::string GetFileVersion(const std::string& fileName, std::string& version);
    std::string GetFileVersion(const std::string& fileName);
    // The version this program was built with, as its executable carries it.
    static std::string OwnFileVersion();

    // Properties. Every setter changes the value only when it differs.
    const std::string& FileDevice() const { return fileDevice_; }
    void SetFileDevice(const std::string& value);
    const std::string& FilePath() const { return filePath_; }
    void SetFilePath(const std::string& value);
    const std::string& Filename() const { return filename_; }
    void SetFilename(const std::string& value);
    const std::string& FileExt() const { return fileExt_; }
    void SetFileExt(const std::string& value);
    bool FileLogDate() const { return fileLogDate_; }
    void SetFileLogDate(bool value);
    bool FileLogTime() const { return fileLogTime_; }
    void SetFileLogTime(bool value);
    bool FileOpen() const { return fileOpen_; }
    // True composes the file name and creates (or empties) the text file;
    // false closes it.
    void SetFileOpen(bool value);

    // Full name of the composed file (program notation), set when it opens.
    const std::string& get_FullFilename() const { return fullFilename_; }
    // Appends a line (CR LF) to the open text file; false when none is open.
    bool WriteLine(const std::string& line);

private:
    void OpenComposedFile();
    void CloseComposedFile();

    TmuCompoLogging* log_ = nullptr;
    TmuStringTools* str_ = nullptr;
    Application* application_ = nullptr;

    std::string fileDevice_;
    std::string filePath_;
    std::string filename_;
    std::string fileExt_;
    bool fileLogDate_ = false;
    bool fileLogTime_ = false;
    bool fileOpen_ = false;
    std::string fullFilename_;
    std::ofstream textFile_;
};
