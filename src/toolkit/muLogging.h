#pragma once
// Call tracer of the toolkit. Each component owns a TmuCompoLogging; the
// program owns one TmuProgramLogging. Lines are appended to
// CurrentDir\SystemPath\FileName (UTF-8, CR LF), the file being opened and
// closed for every line; the level word CompoID decides what gets written.
// A missing log folder is never created: lines then go nowhere.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "toolkit/Application.h"
#include "toolkit/Component.h"

class TmuStringTools;

// One element of a keyed call list (addCall): a text, a 32-bit integer, a
// boolean, or something of another type that the list passes over.
struct TLogValue {
    enum class Kind { Text, Integer, Boolean, Other };
    TLogValue(const char* s) : kind(Kind::Text), text(s ? s : "") {}
    TLogValue(const std::string& s) : kind(Kind::Text), text(s) {}
    TLogValue(std::int32_t i) : kind(Kind::Integer), integer(i) {}
    TLogValue(bool b) : kind(Kind::Boolean), boolean(b) {}
    static TLogValue Other() { return TLogValue(); }

    Kind kind;
    std::string text;
    std::int32_t integer = 0;
    bool boolean = false;

private:
    TLogValue() : kind(Kind::Other) {}
};

// The settings that travel from one logger to another (not the name).
struct TmuLogging_Parm {
    std::string CompoID;
    bool Delete = false;
    bool ActiveLog = false;
    std::string CurrentDir;
    std::string SystemPath;
    std::string FileName;
};

enum class TmuLogLevel { Off, Std, All, Err, Prg, Own };

using TmuLoggingEvent = std::function<void(TComponent* sender)>;

class TmuLogging : public TComponent {
public:
    explicit TmuLogging(TComponent* owner = nullptr);
    ~TmuLogging() override;

    // Properties.
    bool ActiveLog() const { return activeLog_; }
    void SetActiveLog(bool value);
    const std::string& CompoName() const { return compoName_; }
    void SetCompoName(const std::string& value);
    std::string CompoID() const;
    void SetCompoID(const std::string& value);
    std::string CurrentDir();
    void SetCurrentDir(const std::string& value) { currentDir_ = value; }
    std::string SystemPath() const;
    void SetSystemPath(const std::string& value) { systemPath_ = value; }
    std::string FileName() const;
    void SetFileName(const std::string& value);
    bool Delete() const { return delete_; }
    void SetDelete(bool value) { delete_ = value; }
    void SetOnLogging(TmuLoggingEvent handler) { onLogging_ = std::move(handler); }

    // The application whose pending messages are processed after every 32nd
    // written line (none: no pumping).
    Application* getApplication() const { return application_; }
    void setApplication(Application* app) { application_ = app; }

    void getParm(TmuLogging_Parm& parm);
    void setParm(const TmuLogging_Parm& parm);
    TmuLogLevel getLogLevel() const;

    // Entry and message lines; entries return the handle of their name.
    int addFnc(const std::string& name);
    int addPro(const std::string& name);
    int addCls(const std::string& name);
    int addWrn(const std::string& text);
    int addErr(const std::string& text);
    int addMsg(const std::string& text);
    int addText(const std::string& text);

    // Exit lines.
    void exitFnc(int handle);
    void exitPro(int handle);
    void exitCls(int handle);
    void exitProByName(const std::string& name);
    void exitClsByName(const std::string& name);

    // Variable lines.
    void addVarBoolean(const std::string& name, bool value);
    void addVarInteger(const std::string& name, std::int32_t value);
    void addVarByte(const std::string& name, std::uint8_t value);
    void addVarWord(const std::string& name, std::uint16_t value);
    void addVarExtended(const std::string& name, long double value);
    void addVarCardinal(const std::string& name, std::uint32_t value);
    void addVarInt64(const std::string& name, std::int64_t value);
    void addVarString(const std::string& name, const std::string& value);
    void addVarIntegerPair(const std::string& name1, std::int32_t value1, const std::string& name2,
                           std::int32_t value2);
    void addVarStringInteger(const std::string& textName, const std::string& text, const std::string& intName,
                             std::int32_t value);

    // Lists.
    int addCall(std::initializer_list<TLogValue> list);
    int addCall(const std::vector<TLogValue>& list);
    void addTextList(const std::vector<TLogValue>& list);

    // The full path of the log file as configured (program notation).
    std::string LogFilePath();

    // A log file that cannot be opened shows "File I/O error." once per run;
    // later failing lines are dropped silently. Tests re-arm the notice here.
    static void ResetFileErrorNotice();

private:
    enum class EntryKind { Function, Procedure, Class, Warning, Error, Message };
    int Entry(EntryKind kind, const std::string& text);
    void Exit(EntryKind kind, const std::string& name);
    std::string NameOfHandle(int handle) const;
    int RegisterName(const std::string& name);
    void StepIn();
    void StepOut();
    void WriteFiltered(const std::string& body);
    void WriteClass(const std::string& body);
    void WriteLine(const std::string& body);
    void WriteVariable(const std::string& name, const std::string& value);
    bool IsCreateOrDestroy(const std::string& name) const;

    bool activeLog_ = true;
    std::string compoName_ = "muCompoLogging";
    std::string compoID_ = "LOG_STD";
    std::string currentDir_;
    std::string systemPath_ = "System\\Logging";
    std::string fileName_ = "mLogging.log";
    bool delete_ = false;
    TmuLoggingEvent onLogging_;

    int depth_ = 0;
    std::string indent_;
    std::vector<std::string> registry_;
    Application* application_ = nullptr;
    std::uint32_t writeCount_ = 0;
    TmuStringTools* prefix_ = nullptr;
};

class TmuCompoLogging : public TmuLogging {
public:
    explicit TmuCompoLogging(TComponent* owner = nullptr) : TmuLogging(owner) {}
};

class TmuProgramLogging : public TmuLogging {
public:
    explicit TmuProgramLogging(TComponent* owner = nullptr);
    ~TmuProgramLogging() override;
};

// The per-unit set-ups. CreateLogging: creates the logger (if *slot is
// empty) with name, working directory, "System\Logging", "mLogging.log",
// "LOG_ALL", Delete off, switched on, and the line name + " - CreateLogging";
// then applies the constructor's three values. The direct form creates the
// logger with name and location and applies the three values.
TmuCompoLogging* CreateLogging(TComponent* owner, TmuCompoLogging*& slot, const std::string& compoName,
                               const std::string& compoID, bool deleteFile, bool active);
TmuCompoLogging* CreateLoggingDirect(TComponent* owner, const std::string& compoName,
                                     const std::string& currentDir, const std::string& systemPath,
                                     const std::string& compoID, bool deleteFile, bool active);
