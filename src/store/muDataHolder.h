#pragma once
// The data holder: the program's single in-memory store of settings and
// run-time state. Values are typed, registered with a default, and addressed
// by a path of up to three parts joined by "|": index, section, value name
// ("INI|TAVRIN|FormPos", "AC01|AC|AC_SN", "HLP|HelpIndex|hlp_einstellungen").
// A path without "|" is completed from UseIndex and UseSection; one part
// that stays alone lands in index "DEFAULT", section "PRG". Names match
// ignoring (ASCII) case. The store only grows, in registration order; all
// positions are 1-based. User-interface thread only, no locks.
//
// Walking one index by position (what the INI binding does to load a file):
//
//     holder.set_IdxName("INI");             // the index to walk
//     holder.clearNextValueID();             // restart its walk
//     const int secPos = holder.InitIndex("INI");
//     const int count = holder.getDataCount();
//     for (int i = 0; i < count; ++i) {
//         const int id = holder.getNextValueID();            // 1, 2, 3 ...
//         TmDataType tag{};  holder.getDatatypeAsID(secPos, id, tag);
//         std::string key;   holder.getValuenameAsID(secPos, id, key);   // "TAVRIN|FormPos"
//         TmVarType current; holder.getValueMultiAsID(secPos, id, current);
//         TmVarType deflt;   holder.getDefaultValueAsID(secPos, id, deflt);
//         ...                holder.setValueString("INI|" + key, text);  // store what was read
//     }
//
// getValueMultiAsID fills the slot of the value's own tag for tags 3 to 15,
// but answers true only for Longword, Single, Double, Integer, String,
// Boolean and Buffer; getDefaultValueAsID answers true even for a value ID
// out of range (with a zeroed record). A loader should look at the tag, not
// at these results.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Application.h"
#include "toolkit/Component.h"

class TmuCompoLogging;
class TmuStringTools;
class TmuDataConvert;

// Type tag of a stored value, one byte. Tags 0 to 2 are not used; a tag
// outside 3 to 17 is refused by every operation.
enum class TmDataType : std::uint8_t {
    Byte = 3,
    Word = 4,
    Longword = 5,
    Single = 6,
    Double = 7,
    Integer = 8,
    Int64 = 9,
    DateTime = 10,
    Char = 11,
    String = 12,
    WideString = 13,
    Boolean = 14,
    Buffer = 15,
    MemoryStream = 16,
    TAN = 17,
};

// A byte array that the store shares with its caller: the store keeps the
// array itself, so changes to its bytes by any holder are visible to all.
using TmBuffer = std::shared_ptr<std::vector<std::uint8_t>>;

// A growable in-memory byte stream with a read/write position.
class TmMemoryStream {
public:
    std::int64_t Size() const { return static_cast<std::int64_t>(bytes_.size()); }
    std::int64_t Position() const { return static_cast<std::int64_t>(position_); }
    void SetPosition(std::int64_t position);
    // Writes at the position (growing the stream) and moves the position on.
    std::size_t Write(const void* data, std::size_t count);
    std::size_t Write(const std::string& text) { return Write(text.data(), text.size()); }
    // Reads from the position and moves it on; returns the bytes read.
    std::size_t Read(void* data, std::size_t count);
    void Clear();
    // Replaces the content with all of source's content, from its start.
    void CopyFrom(const TmMemoryStream& source);
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};
using TmStream = std::shared_ptr<TmMemoryStream>;

struct TmTanRec {
    std::string Text;
    std::uint8_t State = 0;
};

// The value record: every slot at once, not a union. Texts are UTF-8.
struct TmVarType {
    bool Initialized = false;  // set by the first read by position
    std::int32_t Size = 0;     // content length of a buffer or stream value
    std::uint8_t mByte = 0;
    std::uint16_t mWord = 0;
    std::uint32_t mLongword = 0;
    float mSingle = 0.0f;
    double mDouble = 0.0;
    std::int32_t mInteger = 0;
    std::int64_t mInt64 = 0;
    double mDatetime = 0.0;  // days since 1899-12-30, time as the fraction
    char16_t mChar = 0;      // one UTF-16 code unit
    std::string mString;
    std::string mWideString;  // kept apart from mString
    bool mBoolean = false;
    TmBuffer mBuffer;
    TmTanRec mTAN;
    TmStream mStMem;
};

struct TmRangeType {
    bool Active = false;
    TmVarType Min;
    TmVarType Max;
};

// One value entry.
struct TmDataArray {
    std::string ValueKey;  // "Section|Name", or "Name" when the section is empty
    TmDataType DataType = TmDataType::Byte;
    TmVarType Value;
    TmRangeType Range;
    bool HasDefault = false;
    TmVarType Default;
};

// One index entry.
struct TmSectionDataArray {
    std::string Name;  // as first registered
    std::int32_t NextValueID = 0;
    std::vector<TmDataArray> Data;  // in registration order
};

// One item of a registration list (InitValueList, setValueList): an
// integer, a Boolean, a text, or something of another kind (a floating-point
// number), which registers and stores nothing.
struct TmValueItem {
    enum class Kind { Integer, Boolean, Text, Other };
    TmValueItem(std::int32_t value) : kind(Kind::Integer), integer(value) {}
    TmValueItem(bool value) : kind(Kind::Boolean), boolean(value) {}
    TmValueItem(const char* value) : kind(Kind::Text), text(value != nullptr ? value : "") {}
    TmValueItem(std::string value) : kind(Kind::Text), text(std::move(value)) {}
    TmValueItem(double value) : kind(Kind::Other), number(value) {}

    Kind kind;
    std::int32_t integer = 0;
    bool boolean = false;
    std::string text;
    double number = 0.0;
};
using TmValueList = std::vector<TmValueItem>;

class TmuDataholder : public TComponent {
public:
    explicit TmuDataholder(TComponent* owner = nullptr);
    ~TmuDataholder() override;

    TmuCompoLogging* Log() const { return log_; }
    void setApplication(Application* application);
    Application* getApplication() const { return application_; }

    // Put in front of a path without "|" (empty: nothing). Callers set them
    // around a block of short-name accesses and clear them afterwards.
    std::string UseIndex;
    std::string UseSection;
    void clearUseIndexSection();

    // ---- Paths and indexes -------------------------------------------------
    // Parses the path and sets the current index name and value key. False
    // for an empty path, one ending with "|", or one of four or more parts;
    // the current index name and key are then empty.
    bool CheckValueOfSection(const std::string& idValue);
    bool CheckValueOfSection(const std::string& idValue, std::string& index, std::string& section,
                             std::string& valueName);
    // The current index name (set by every parse; the INI loader sets it
    // directly before a walk) and the current value key.
    void set_IdxName(const std::string& idxName) { idxName_ = idxName; }
    const std::string& get_IdxName() const { return idxName_; }
    const std::string& get_ValueKey() const { return valueKey_; }

    // Position of the index (1-based), appending a new entry when none matches.
    std::int32_t InitIndex(const std::string& idxName);
    // Position of the first match, 0 when none.
    std::int32_t SearchIndex(const std::string& idxName) const;
    bool SearchbIndex(const std::string& idxName) const;
    // Finds a value by index name and value key; positions 0 when not found.
    bool SearchbIndex(const std::string& valueIndex, const std::string& valueSection, std::int32_t& valuePos,
                      std::int32_t& indexPos);
    // Whether the current index holds a value with that key.
    bool SearchbSection(const std::string& valueKey);
    // Sets the number of index entries (negative counts are ignored).
    void set_SectionDataCount(std::int32_t count);
    // Sets the number of value entries of the current index.
    void set_SectionDatacount(std::int32_t count);
    std::int32_t get_SectionDataCount() const { return static_cast<std::int32_t>(FmSecDataArray.size()); }
    // Value count of the current index; 0 (with an error line) when it does not exist.
    std::int32_t get_ValueDataCount();
    // The same without the error line; used by the INI loader.
    std::int32_t getDataCount();
    void clearAllValues();

    // ---- Generic typed access ---------------------------------------------
    // Registers the path with the slot of the tag as its default; true also
    // when the key exists already (then nothing changes).
    bool InitMultiValue(const std::string& idValue, TmDataType tag, const TmVarType& defaultValue);
    // Stores the slot of the tag; false when the path is not registered.
    bool setMultiValue(const std::string& idValue, TmDataType tag, const TmVarType& value);
    // Copies the current value's slot of the tag into value; leaves value as
    // passed when the path is not registered. TAN copies nothing.
    void getValueMulti(const std::string& idValue, TmDataType tag, TmVarType& value);
    // Registers with a neutral default when missing (the index must exist), then stores.
    bool AddMultiValue(const std::string& idValue, TmDataType tag, const TmVarType& value);
    // Range check for the set operations (off after registration): a value
    // below Min or above Max (slots of the tag) stores the default instead.
    bool setValueRange(const std::string& idValue, TmDataType tag, const TmVarType& minValue,
                       const TmVarType& maxValue);
    bool clearValueRange(const std::string& idValue);

    // ---- Typed wrappers (each works on the slot of its own type, whatever
    // the value was registered as) ----------------------------------------------
    bool InitValueByte(const std::string& idValue, std::uint8_t btDefault);
    bool InitValueWord(const std::string& idValue, std::uint16_t wdDefault);
    bool InitValueLongword(const std::string& idValue, std::uint32_t lnDefault);
    bool InitValueSingle(const std::string& idValue, float snDefault);
    bool InitValueDouble(const std::string& idValue, double dbDefault);
    bool InitValueInteger(const std::string& idValue, std::int32_t iDefault);
    bool InitValueInt64(const std::string& idValue, std::int64_t iDefault);
    bool InitValueDatetime(const std::string& idValue, double dtDefault);
    bool InitValueChar(const std::string& idValue, char16_t cDefault);
    bool InitValueString(const std::string& idValue, const std::string& sDefault);
    bool InitValueWideString(const std::string& idValue, const std::string& sDefault);
    bool InitValueBoolean(const std::string& idValue, bool bDefault);
    bool InitValueBoolean(const std::string& idValue, const char* text) = delete;
    bool InitValueBuffer(const std::string& idValue, const TmBuffer& bfDefault);
    bool InitValueMem(const std::string& idValue, const TmStream& source);
    bool InitValueTANwithState(const std::string& idValue, const std::string& sDefault, std::uint8_t icState);

    bool setValueByte(const std::string& idValue, std::uint8_t btValue);
    bool setValueLongword(const std::string& idValue, std::uint32_t lnValue);
    bool setValueSingle(const std::string& idValue, float snValue);
    bool setValueDouble(const std::string& idValue, double dbValue);
    bool setValueInteger(const std::string& idValue, std::int32_t iValue);
    bool setValueDatetime(const std::string& idValue, double dtValue);
    bool setValueChar(const std::string& idValue, char16_t cValue);
    bool setValueString(const std::string& idValue, const std::string& sValue);
    bool setValueWideString(const std::string& idValue, const std::string& sValue);
    bool setValueBoolean(const std::string& idValue, bool bValue);
    bool setValueBoolean(const std::string& idValue, const char* text) = delete;
    bool setValueBuffer(const std::string& idValue, const TmBuffer& byBuffer);
    bool setValueMem(const std::string& idValue, const TmStream& mStMem);
    bool SetValueTAN(const std::string& idValue, const std::string& sTAN, std::uint8_t cState);

    // Adds a run-time text (registering it under an existing index if need be).
    bool addValueString(const std::string& idValue, const std::string& sValue);

    std::int32_t getValueInteger(const std::string& idValue);
    bool getValueBoolean(const std::string& idValue);
    void getValueString(const std::string& idValue, std::string& sValue);
    std::string getValueString(const std::string& idValue);
    // Text and state of a TAN value; false when the path is not registered.
    bool getValueTAN(const std::string& idValue, TmTanRec& tan);

    // ---- Bulk registration ----------------------------------------------------
    // Registers index|section|base + number for start..stop (a "0" before
    // numbers below 10 when leadingZero). False, registering nothing, when
    // start is not below stop.
    bool InitArrayValueBoolean(const std::string& index, const std::string& section,
                               const std::string& idValue, std::int32_t rangeStart, std::int32_t rangeStop,
                               bool leadingZero);
    bool InitArrayValueString(const std::string& index, const std::string& section,
                              const std::string& idValue, std::int32_t rangeStart, std::int32_t rangeStop,
                              const std::string& sDefault, bool leadingZero);
    // Pairs of name (text) and default (integer, Boolean or text) under
    // index|section; a trailing name without default registers nothing.
    void InitValueList(const std::string& index, const std::string& section, const TmValueList& items);
    void InitValueList(const std::string& index, const std::string& section,
                       std::initializer_list<TmValueItem> items);
    // Pairs of name and value, stored with the typed setters.
    void setValueList(const std::string& index, const std::string& section, const TmValueList& items);
    void setValueList(const std::string& index, const std::string& section,
                      std::initializer_list<TmValueItem> items);

    // ---- Access by position (see the walk at the top) -------------------------
    // Restarts the walk of the current index.
    void clearNextValueID();
    // The next value ID of the current index (1, 2, ...); 0 when it does not exist.
    std::int32_t getNextValueID();
    bool getValuenameAsID(std::int32_t secPos, std::int32_t idValue, std::string& valueKey);
    bool getDatatypeAsID(std::int32_t secPos, std::int32_t idValue, TmDataType& dataType);
    bool getValueMultiAsID(std::int32_t secPos, std::int32_t idValue, TmVarType& value);
    bool getDefaultValueAsID(std::int32_t secPos, std::int32_t idValue, TmVarType& value);

    // The index entries, for inspection.
    const std::vector<TmSectionDataArray>& Indexes() const { return FmSecDataArray; }

private:
    bool splitPath(const std::string& idValue, std::string& index, std::string& section,
                   std::string& valueName);
    TmDataArray* findValue(const std::string& idValue);
    TmSectionDataArray* currentIndex();
    TmDataArray* entryAt(std::int32_t secPos, std::int32_t idValue);
    bool validPosition(const char* operation, std::int32_t secPos, std::int32_t idValue, bool reportRange);
    void logSlot(TmDataType tag, const TmVarType& value);

    // What a value list does with each of its values, one operation per kind.
    struct TListOperations {
        bool (TmuDataholder::*integer)(const std::string&, std::int32_t);
        bool (TmuDataholder::*boolean)(const std::string&, bool);
        bool (TmuDataholder::*text)(const std::string&, const std::string&);
    };
    // The name and value pairs of a list, each name under index and section
    // (traced as the operation's name).
    void applyValueList(const char* operation, const std::string& index, const std::string& section,
                        const TmValueList& items, const TListOperations& operations);

    TmuCompoLogging* log_ = nullptr;
    TmuStringTools* stringTools_ = nullptr;
    TmuDataConvert* convert_ = nullptr;
    Application* application_ = nullptr;

    std::string idxName_;
    std::string valueKey_;
    std::vector<TmSectionDataArray> FmSecDataArray;

    // Puts UseIndex, UseSection and the current path back after every
    // served message (a handler that ran there may have changed them).
    class TContextKeeper;
    std::unique_ptr<TContextKeeper> contextKeeper_;
};
