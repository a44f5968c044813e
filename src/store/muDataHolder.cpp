#include "store/muDataHolder.h"

#include <algorithm>
#include <cstring>

#include "store/muDataConvert.h"
#include "toolkit/ServedMessages.h"
#include "toolkit/muLogging.h"
#include "toolkit/muStringTools.h"
#include "toolkit/muTraceScope.h"

// ---------------------------------------------------------------------------
// TmMemoryStream

void TmMemoryStream::SetPosition(std::int64_t position) {
    position_ = static_cast<std::size_t>(std::clamp<std::int64_t>(position, 0, Size()));
}

std::size_t TmMemoryStream::Write(const void* data, std::size_t count) {
    if (count == 0 || data == nullptr) return 0;
    if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
    std::memcpy(bytes_.data() + position_, data, count);
    position_ += count;
    return count;
}

std::size_t TmMemoryStream::Read(void* data, std::size_t count) {
    const std::size_t available = bytes_.size() - position_;
    const std::size_t n = std::min(count, available);
    if (n > 0 && data != nullptr) std::memcpy(data, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

void TmMemoryStream::Clear() {
    bytes_.clear();
    position_ = 0;
}

void TmMemoryStream::CopyFrom(const TmMemoryStream& source) {
    if (&source == this) return;
    bytes_ = source.bytes_;
    position_ = bytes_.size();
}

// ---------------------------------------------------------------------------
// Helpers

namespace {

constexpr int kFirstTag = 3;
constexpr int kLastTag = 17;

int TagNumber(TmDataType tag) { return static_cast<int>(tag); }
bool ValidTag(TmDataType tag) { return TagNumber(tag) >= kFirstTag && TagNumber(tag) <= kLastTag; }

const char* TypeName(TmDataType tag) {
    switch (tag) {
        case TmDataType::Byte:
            return "Byte";
        case TmDataType::Word:
            return "Word";
        case TmDataType::Longword:
            return "Longword";
        case TmDataType::Single:
            return "Single";
        case TmDataType::Double:
            return "Double";
        case TmDataType::Integer:
            return "Integer";
        case TmDataType::Int64:
            return "Int64";
        case TmDataType::DateTime:
            return "DateTime";
        case TmDataType::Char:
            return "Char";
        case TmDataType::String:
            return "Strings";
        case TmDataType::WideString:
            return "WideString";
        case TmDataType::Boolean:
            return "Boolean";
        case TmDataType::Buffer:
            return "Buffer";
        case TmDataType::MemoryStream:
            return "MemoryStream";
        case TmDataType::TAN:
            return "TAN";
    }
    return "";
}

std::string Utf8OfCodeUnit(char16_t c) {
    std::string out;
    const auto u = static_cast<std::uint32_t>(c);
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
    return out;
}

std::int32_t BufferSize(const TmBuffer& buffer) {
    return buffer ? static_cast<std::int32_t>(buffer->size()) : 0;
}

// Copies the slot of the tag (and, for buffers and streams, the size).
void CopySlot(TmDataType tag, const TmVarType& from, TmVarType& to) {
    switch (tag) {
        case TmDataType::Byte:
            to.mByte = from.mByte;
            break;
        case TmDataType::Word:
            to.mWord = from.mWord;
            break;
        case TmDataType::Longword:
            to.mLongword = from.mLongword;
            break;
        case TmDataType::Single:
            to.mSingle = from.mSingle;
            break;
        case TmDataType::Double:
            to.mDouble = from.mDouble;
            break;
        case TmDataType::Integer:
            to.mInteger = from.mInteger;
            break;
        case TmDataType::Int64:
            to.mInt64 = from.mInt64;
            break;
        case TmDataType::DateTime:
            to.mDatetime = from.mDatetime;
            break;
        case TmDataType::Char:
            to.mChar = from.mChar;
            break;
        case TmDataType::String:
            to.mString = from.mString;
            break;
        case TmDataType::WideString:
            to.mWideString = from.mWideString;
            break;
        case TmDataType::Boolean:
            to.mBoolean = from.mBoolean;
            break;
        case TmDataType::Buffer:
            to.mBuffer = from.mBuffer;
            to.Size = from.Size;
            break;
        case TmDataType::MemoryStream:
            to.mStMem = from.mStMem;
            to.Size = from.Size;
            break;
        case TmDataType::TAN:
            to.mTAN = from.mTAN;
            break;
    }
}

template <typename T>
bool Outside(const T& value, const T& low, const T& high) {
    return value < low || value > high;
}

// Whether the slot of the tag lies outside the range. Unsigned types compare
// unsigned, signed ones signed, texts by code unit (byte order of UTF-8 is
// code point order).
bool OutOfRange(TmDataType tag, const TmVarType& v, const TmRangeType& range) {
    const TmVarType& lo = range.Min;
    const TmVarType& hi = range.Max;
    switch (tag) {
        case TmDataType::Byte:
            return Outside(v.mByte, lo.mByte, hi.mByte);
        case TmDataType::Word:
            return Outside(v.mWord, lo.mWord, hi.mWord);
        case TmDataType::Longword:
            return Outside(v.mLongword, lo.mLongword, hi.mLongword);
        case TmDataType::Single:
            return Outside(v.mSingle, lo.mSingle, hi.mSingle);
        case TmDataType::Double:
            return Outside(v.mDouble, lo.mDouble, hi.mDouble);
        case TmDataType::Integer:
            return Outside(v.mInteger, lo.mInteger, hi.mInteger);
        case TmDataType::Int64:
            return Outside(v.mInt64, lo.mInt64, hi.mInt64);
        case TmDataType::DateTime:
            return Outside(v.mDatetime, lo.mDatetime, hi.mDatetime);
        case TmDataType::Char:
            return Outside(v.mChar, lo.mChar, hi.mChar);
        case TmDataType::String:
            return Outside(v.mString, lo.mString, hi.mString);
        case TmDataType::WideString:
            return Outside(v.mWideString, lo.mWideString, hi.mWideString);
        default:
            return false;
    }
}

std::string Prefix(const std::string& index, const std::string& section) {
    std::string prefix;
    if (!index.empty()) prefix += index + "|";
    if (!section.empty()) prefix += section + "|";
    return prefix;
}

constexpr auto Fnc = TmTraceScope::Kind::Function;
constexpr auto Pro = TmTraceScope::Kind::Procedure;

}  // namespace

// ---------------------------------------------------------------------------
// Lifecycle

// The holder's context as a served message must leave it: the default
// context of short paths and the current path of the last parse.
class TmuDataholder::TContextKeeper : public TServedContext {
public:
    explicit TContextKeeper(TmuDataholder& holder) : holder_(holder) {}
    std::function<void()> SaveContext() override {
        TmuDataholder* holder = &holder_;
        return [holder, useIndex = holder->UseIndex, useSection = holder->UseSection,
                idxName = holder->idxName_, valueKey = holder->valueKey_] {
            holder->UseIndex = useIndex;
            holder->UseSection = useSection;
            holder->idxName_ = idxName;
            holder->valueKey_ = valueKey;
        };
    }

private:
    TmuDataholder& holder_;
};

TmuDataholder::TmuDataholder(TComponent* owner)
    : TComponent(owner), contextKeeper_(std::make_unique<TContextKeeper>(*this)) {
    RegisterServedContext(contextKeeper_.get());
    // The creation is traced in full ("LOG_ALL"); from then on only the
    // creation and destruction lines ("LOG_STD") until the hub says otherwise.
    CreateLogging(this, log_, "muDataholder", "LOG_ALL", false, true);
    log_->addCls("Create");
    log_->addText("Klasse " + log_->CompoName() + " erstellen");
    stringTools_ = new TmuStringTools(this);
    convert_ = new TmuDataConvert(this);
    log_->exitClsByName("Create");
    log_->SetCompoID("LOG_STD");
}

TmuDataholder::~TmuDataholder() {
    UnregisterServedContext(contextKeeper_.get());
    log_->addCls("Destroy");
    log_->addText("Klasse " + log_->CompoName() + " vernichten");
    clearAllValues();
    delete stringTools_;
    stringTools_ = nullptr;
    delete convert_;
    convert_ = nullptr;
    log_->exitClsByName("Destroy");
    // The logger goes with the owned components.
}

void TmuDataholder::setApplication(Application* application) {
    application_ = application;
    log_->setApplication(application);
}

void TmuDataholder::clearUseIndexSection() {
    TmTraceScope trace(log_, Pro, "clearUseIndexSection");
    UseIndex.clear();
    UseSection.clear();
}

// ---------------------------------------------------------------------------
// Paths and indexes

bool TmuDataholder::splitPath(const std::string& idValue, std::string& index, std::string& section,
                              std::string& valueName) {
    index.clear();
    section.clear();
    valueName.clear();
    std::string text = idValue;
    if (idValue.find('|') == std::string::npos) text = Prefix(UseIndex, UseSection) + idValue;

    bool result = stringTools_->splitTokens(text, "|");
    if (result) {
        switch (stringTools_->getTokenCount()) {
            case 1:
                index = "DEFAULT";
                section = "PRG";
                valueName = stringTools_->getToken(1);
                break;
            case 2:
                index = stringTools_->getToken(1);
                valueName = stringTools_->getToken(2);
                break;
            case 3:
                index = stringTools_->getToken(1);
                section = stringTools_->getToken(2);
                valueName = stringTools_->getToken(3);
                break;
            default:
                // Four or more parts name no value: refused, so that they
                // cannot register or find anything under an empty index.
                result = false;
                break;
        }
    }
    idxName_ = index;
    valueKey_ = section.empty() ? valueName : section + "|" + valueName;
    return result;
}

bool TmuDataholder::CheckValueOfSection(const std::string& idValue) {
    std::string index, section, valueName;
    return CheckValueOfSection(idValue, index, section, valueName);
}

bool TmuDataholder::CheckValueOfSection(const std::string& idValue, std::string& index, std::string& section,
                                        std::string& valueName) {
    TmTraceScope trace(log_, Fnc, "CheckValueOfSection");
    log_->addVarString("i_sIdValue", idValue);
    const bool result = splitPath(idValue, index, section, valueName);
    log_->addVarString("o_sIndex", index);
    log_->addVarString("o_sSection", section);
    log_->addVarString("o_sValue", valueName);
    return trace.Result(result);
}

std::int32_t TmuDataholder::InitIndex(const std::string& idxName) {
    TmTraceScope trace(log_, Fnc, "InitIndex");
    log_->addVarString("i_sIdxName", idxName);
    if (SearchbIndex(idxName)) return trace.Result(SearchIndex(idxName));
    set_SectionDataCount(get_SectionDataCount() + 1);
    FmSecDataArray.back().Name = idxName;
    log_->addText("INIT sIdxName:" + idxName);
    return trace.Result(get_SectionDataCount());
}

std::int32_t TmuDataholder::SearchIndex(const std::string& idxName) const {
    for (std::size_t i = 0; i < FmSecDataArray.size(); ++i)
        if (SameAsciiText(FmSecDataArray[i].Name, idxName)) return static_cast<std::int32_t>(i + 1);
    return 0;
}

bool TmuDataholder::SearchbIndex(const std::string& idxName) const {
    for (std::size_t i = FmSecDataArray.size(); i > 0; --i)
        if (SameAsciiText(FmSecDataArray[i - 1].Name, idxName)) return true;
    return false;
}

bool TmuDataholder::SearchbIndex(const std::string& valueIndex, const std::string& valueSection,
                                 std::int32_t& valuePos, std::int32_t& indexPos) {
    TmTraceScope trace(log_, Fnc, "SearchbIndex");
    log_->addVarString("i_sValueIndex", valueIndex);
    log_->addVarString("i_sValueSection", valueSection);
    valuePos = 0;
    indexPos = 0;
    if (FmSecDataArray.empty()) {
        log_->addErr("Kein Array bei FmSecDataArray[].Data");
        return trace.Result(false);
    }
    const std::int32_t secPos = SearchIndex(valueIndex);
    if (secPos == 0) return trace.Result(false);
    const auto& data = FmSecDataArray[static_cast<std::size_t>(secPos - 1)].Data;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (SameAsciiText(data[i].ValueKey, valueSection)) {
            valuePos = static_cast<std::int32_t>(i + 1);
            indexPos = secPos;
            return trace.Result(true);
        }
    }
    return trace.Result(false);
}

bool TmuDataholder::SearchbSection(const std::string& valueKey) {
    TmTraceScope trace(log_, Fnc, "SearchbSection");
    log_->addVarString("i_sValueSection", valueKey);
    const TmSectionDataArray* index = currentIndex();
    if (index == nullptr) return trace.Result(false);
    for (const auto& entry : index->Data)
        if (SameAsciiText(entry.ValueKey, valueKey)) return trace.Result(true);
    return trace.Result(false);
}

void TmuDataholder::set_SectionDataCount(std::int32_t count) {
    TmTraceScope trace(log_, Pro, "set_SectionDataCount");
    log_->addVarInteger("i_iValue", count);
    if (count < 0 || count == get_SectionDataCount()) return;
    FmSecDataArray.resize(static_cast<std::size_t>(count));
}

void TmuDataholder::set_SectionDatacount(std::int32_t count) {
    TmTraceScope trace(log_, Pro, "set_SectionDatacount");
    log_->addVarInteger("i_iValue", count);
    TmSectionDataArray* index = currentIndex();
    if (index == nullptr) {
        log_->addErr("set_SectionDatacount # iSecPos = 0");
        return;
    }
    if (count < 0 || static_cast<std::size_t>(count) == index->Data.size()) return;
    index->Data.resize(static_cast<std::size_t>(count));
}

std::int32_t TmuDataholder::get_ValueDataCount() {
    TmTraceScope trace(log_, Fnc, "get_ValueDataCount");
    const TmSectionDataArray* index = currentIndex();
    if (index == nullptr) {
        log_->addErr("get_ValueDataCount # iSecPos = 0");
        return trace.Result(0);
    }
    return trace.Result(static_cast<std::int32_t>(index->Data.size()));
}

std::int32_t TmuDataholder::getDataCount() {
    TmTraceScope trace(log_, Fnc, "getDataCount");
    const TmSectionDataArray* index = currentIndex();
    return trace.Result(index == nullptr ? 0 : static_cast<std::int32_t>(index->Data.size()));
}

void TmuDataholder::clearAllValues() {
    TmTraceScope trace(log_, Pro, "clearAllValues");
    FmSecDataArray.clear();
}

TmSectionDataArray* TmuDataholder::currentIndex() {
    const std::int32_t secPos = SearchIndex(idxName_);
    return secPos == 0 ? nullptr : &FmSecDataArray[static_cast<std::size_t>(secPos - 1)];
}

TmDataArray* TmuDataholder::findValue(const std::string& idValue) {
    std::string index, section, valueName;
    if (!splitPath(idValue, index, section, valueName)) return nullptr;
    std::int32_t valuePos = 0, indexPos = 0;
    if (!SearchbIndex(idxName_, valueKey_, valuePos, indexPos)) return nullptr;
    return &FmSecDataArray[static_cast<std::size_t>(indexPos - 1)]
                .Data[static_cast<std::size_t>(valuePos - 1)];
}

// ---------------------------------------------------------------------------
// Generic typed access

bool TmuDataholder::InitMultiValue(const std::string& idValue, TmDataType tag,
                                   const TmVarType& defaultValue) {
    TmTraceScope trace(log_, Fnc, "InitMultiValue");
    log_->addVarString("i_sIdValue", idValue);
    log_->addVarInteger("i_iDataType", TagNumber(tag));
    // An unknown tag is refused before anything is appended, so that the key
    // stays free for a correct registration.
    if (!ValidTag(tag)) return trace.Result(false);
    if (!CheckValueOfSection(idValue)) return trace.Result(false);
    InitIndex(idxName_);
    if (SearchbSection(valueKey_)) return trace.Result(true);

    TmSectionDataArray* index = currentIndex();
    set_SectionDatacount(static_cast<std::int32_t>(index->Data.size()) + 1);
    TmDataArray& entry = index->Data.back();
    entry.ValueKey = valueKey_;
    entry.DataType = tag;
    entry.Value.Initialized = false;
    entry.HasDefault = true;
    log_->addText(std::string("INIT ") + TypeName(tag));

    switch (tag) {
        case TmDataType::Buffer:
            // Default and current value refer to the caller's array itself.
            entry.Default.mBuffer = defaultValue.mBuffer;
            entry.Default.Size = BufferSize(defaultValue.mBuffer);
            CopySlot(tag, entry.Default, entry.Value);
            break;
        case TmDataType::MemoryStream:
            // The value owns a stream of its own; the default keeps none.
            entry.Value.mStMem = std::make_shared<TmMemoryStream>();
            if (defaultValue.mStMem) entry.Value.mStMem->CopyFrom(*defaultValue.mStMem);
            entry.Value.Size = static_cast<std::int32_t>(entry.Value.mStMem->Size());
            break;
        default:
            CopySlot(tag, defaultValue, entry.Default);
            CopySlot(tag, entry.Default, entry.Value);
            break;
    }
    return trace.Result(true);
}

bool TmuDataholder::setMultiValue(const std::string& idValue, TmDataType tag, const TmVarType& value) {
    TmTraceScope trace(log_, Fnc, "setMultiValue");
    log_->addVarString("i_sIdValue", idValue);
    log_->addVarInteger("i_iDataType", TagNumber(tag));
    if (!CheckValueOfSection(idValue)) {
        log_->addErr("IDValue: (" + idValue + ") failed / Init IDValue?");
        return trace.Result(false);
    }
    if (!ValidTag(tag)) return trace.Result(false);
    TmDataArray* entry = findValue(idValue);
    if (entry == nullptr) return trace.Result(false);

    switch (tag) {
        case TmDataType::Boolean:
        case TmDataType::TAN:
            CopySlot(tag, value, entry->Value);
            break;
        case TmDataType::Buffer:
            entry->Value.mBuffer = value.mBuffer;
            entry->Value.Size = BufferSize(value.mBuffer);
            break;
        case TmDataType::MemoryStream:
            if (entry->Value.mStMem) {
                if (value.mStMem)
                    entry->Value.mStMem->CopyFrom(*value.mStMem);
                else
                    entry->Value.mStMem->Clear();
                entry->Value.Size = static_cast<std::int32_t>(entry->Value.mStMem->Size());
            }
            break;
        default:
            if (entry->Range.Active && OutOfRange(tag, value, entry->Range))
                CopySlot(tag, entry->Default, entry->Value);
            else
                CopySlot(tag, value, entry->Value);
            break;
    }
    return trace.Result(true);
}

void TmuDataholder::getValueMulti(const std::string& idValue, TmDataType tag, TmVarType& value) {
    TmTraceScope trace(log_, Pro, "getValueMulti");
    log_->addVarString("i_sIdValue", idValue);
    log_->addVarInteger("i_iDataType", TagNumber(tag));
    TmDataArray* entry = findValue(idValue);
    if (entry == nullptr || !ValidTag(tag) || tag == TmDataType::TAN) return;
    CopySlot(tag, entry->Value, value);
}

bool TmuDataholder::AddMultiValue(const std::string& idValue, TmDataType tag, const TmVarType& value) {
    TmTraceScope trace(log_, Fnc, "AddMultiValue");
    log_->addVarString("i_sIdValue", idValue);
    log_->addVarInteger("i_iDataType", TagNumber(tag));
    if (!CheckValueOfSection(idValue)) return trace.Result(false);
    if (!SearchbIndex(idxName_)) return trace.Result(false);
    if (!SearchbSection(valueKey_)) {
        bool registered = false;
        switch (tag) {
            case TmDataType::Byte:
                registered = InitValueByte(idValue, 0);
                break;
            case TmDataType::Word:
                registered = InitValueWord(idValue, 0);
                break;
            case TmDataType::Longword:
                registered = InitValueLongword(idValue, 0);
                break;
            case TmDataType::Single:
                registered = InitValueSingle(idValue, 0.0f);
                break;
            case TmDataType::Double:
                registered = InitValueDouble(idValue, 0.0);
                break;
            case TmDataType::Integer:
                registered = InitValueInteger(idValue, 0);
                break;
            case TmDataType::Int64:
                registered = InitValueInt64(idValue, 0);
                break;
            case TmDataType::DateTime:
                registered = InitValueDatetime(idValue, 0.0);
                break;
            case TmDataType::Char:
                registered = InitValueChar(idValue, u'A');
                break;
            case TmDataType::String:
                registered = InitValueString(idValue, "");
                break;
            case TmDataType::WideString:
                registered = InitValueWideString(idValue, "");
                break;
            case TmDataType::Boolean:
                registered = InitValueBoolean(idValue, false);
                break;
            case TmDataType::Buffer:
                registered = InitValueBuffer(idValue, value.mBuffer);
                break;
            case TmDataType::MemoryStream:
                registered = InitValueMem(idValue, nullptr);
                break;
            case TmDataType::TAN:
                registered = InitValueTANwithState(idValue, "000000", 0);
                break;
        }
        if (!registered) return trace.Result(false);
    }
    return trace.Result(setMultiValue(idValue, tag, value));
}

bool TmuDataholder::setValueRange(const std::string& idValue, TmDataType tag, const TmVarType& minValue,
                                  const TmVarType& maxValue) {
    TmTraceScope trace(log_, Fnc, "setValueRange");
    log_->addVarString("i_sIdValue", idValue);
    TmDataArray* entry = ValidTag(tag) ? findValue(idValue) : nullptr;
    if (entry == nullptr) return trace.Result(false);
    entry->Range.Active = true;
    CopySlot(tag, minValue, entry->Range.Min);
    CopySlot(tag, maxValue, entry->Range.Max);
    return trace.Result(true);
}

bool TmuDataholder::clearValueRange(const std::string& idValue) {
    TmTraceScope trace(log_, Fnc, "clearValueRange");
    log_->addVarString("i_sIdValue", idValue);
    TmDataArray* entry = findValue(idValue);
    if (entry == nullptr) return trace.Result(false);
    entry->Range = TmRangeType();
    return trace.Result(true);
}

// ---------------------------------------------------------------------------
// Typed wrappers

#define TM_INIT_WRAPPER(NAME, TAG, TYPE, SLOT, ARGNAME, LOGCALL)               \
    bool TmuDataholder::NAME(const std::string& idValue, TYPE arg) {           \
        TmTraceScope trace(log_, Fnc, #NAME);                                  \
        log_->addVarString("i_sIdValue", idValue);                             \
        LOGCALL(ARGNAME, arg);                                                 \
        TmVarType record;                                                      \
        record.SLOT = arg;                                                     \
        return trace.Result(InitMultiValue(idValue, TmDataType::TAG, record)); \
    }

#define TM_SET_WRAPPER(NAME, TAG, TYPE, SLOT, ARGNAME, LOGCALL)               \
    bool TmuDataholder::NAME(const std::string& idValue, TYPE arg) {          \
        TmTraceScope trace(log_, Fnc, #NAME);                                 \
        log_->addVarString("i_sIdValue", idValue);                            \
        LOGCALL(ARGNAME, arg);                                                \
        TmVarType record;                                                     \
        record.SLOT = arg;                                                    \
        return trace.Result(setMultiValue(idValue, TmDataType::TAG, record)); \
    }

#define LOG_BYTE(n, v) log_->addVarByte(n, v)
#define LOG_WORD(n, v) log_->addVarWord(n, v)
#define LOG_CARD(n, v) log_->addVarCardinal(n, v)
#define LOG_EXT(n, v) log_->addVarExtended(n, v)
#define LOG_INT(n, v) log_->addVarInteger(n, v)
#define LOG_I64(n, v) log_->addVarInt64(n, v)
#define LOG_CHAR(n, v) log_->addVarString(n, Utf8OfCodeUnit(v))
#define LOG_STR(n, v) log_->addVarString(n, v)
#define LOG_BOOL(n, v) log_->addVarBoolean(n, v)
#define LOG_BUF(n, v) log_->addVarInteger(n, BufferSize(v))

TM_INIT_WRAPPER(InitValueByte, Byte, std::uint8_t, mByte, "i_btDefault", LOG_BYTE)
TM_INIT_WRAPPER(InitValueWord, Word, std::uint16_t, mWord, "i_wdDefault", LOG_WORD)
TM_INIT_WRAPPER(InitValueLongword, Longword, std::uint32_t, mLongword, "i_lnDefault", LOG_CARD)
TM_INIT_WRAPPER(InitValueSingle, Single, float, mSingle, "i_snDefault", LOG_EXT)
TM_INIT_WRAPPER(InitValueDouble, Double, double, mDouble, "i_dbDefault", LOG_EXT)
TM_INIT_WRAPPER(InitValueInteger, Integer, std::int32_t, mInteger, "i_iDefault", LOG_INT)
TM_INIT_WRAPPER(InitValueInt64, Int64, std::int64_t, mInt64, "i_iDefault", LOG_I64)
TM_INIT_WRAPPER(InitValueDatetime, DateTime, double, mDatetime, "i_dtDefault", LOG_EXT)
TM_INIT_WRAPPER(InitValueChar, Char, char16_t, mChar, "i_cDefault", LOG_CHAR)
TM_INIT_WRAPPER(InitValueString, String, const std::string&, mString, "i_sDefault", LOG_STR)
TM_INIT_WRAPPER(InitValueWideString, WideString, const std::string&, mWideString, "i_sDefault", LOG_STR)
TM_INIT_WRAPPER(InitValueBoolean, Boolean, bool, mBoolean, "i_bDefault", LOG_BOOL)
TM_INIT_WRAPPER(InitValueBuffer, Buffer, const TmBuffer&, mBuffer, "i_bfDefault", LOG_BUF)

TM_SET_WRAPPER(setValueByte, Byte, std::uint8_t, mByte, "i_btValue", LOG_BYTE)
TM_SET_WRAPPER(setValueLongword, Longword, std::uint32_t, mLongword, "i_lnValue", LOG_CARD)
TM_SET_WRAPPER(setValueSingle, Single, float, mSingle, "i_snValue", LOG_EXT)
TM_SET_WRAPPER(setValueDouble, Double, double, mDouble, "i_dbValue", LOG_EXT)
TM_SET_WRAPPER(setValueInteger, Integer, std::int32_t, mInteger, "i_iValue", LOG_INT)
TM_SET_WRAPPER(setValueDatetime, DateTime, double, mDatetime, "i_dtValue", LOG_EXT)
TM_SET_WRAPPER(setValueChar, Char, char16_t, mChar, "i_cValue", LOG_CHAR)
TM_SET_WRAPPER(setValueString, String, const std::string&, mString, "i_sValue", LOG_STR)
TM_SET_WRAPPER(setValueWideString, WideString, const std::string&, mWideString, "i_sValue", LOG_STR)
TM_SET_WRAPPER(setValueBoolean, Boolean, bool, mBoolean, "i_bValue", LOG_BOOL)
TM_SET_WRAPPER(setValueBuffer, Buffer, const TmBuffer&, mBuffer, "i_byBuffer", LOG_BUF)

#undef TM_INIT_WRAPPER
#undef TM_SET_WRAPPER
#undef LOG_BYTE
#undef LOG_WORD
#undef LOG_CARD
#undef LOG_EXT
#undef LOG_INT
#undef LOG_I64
#undef LOG_CHAR
#undef LOG_STR
#undef LOG_BOOL
#undef LOG_BUF

bool TmuDataholder::InitValueMem(const std::string& idValue, const TmStream& source) {
    TmTraceScope trace(log_, Fnc, "InitValueMem");
    log_->addVarString("i_sIdValue", idValue);
    log_->addVarInteger("i_InitValueMem", source ? static_cast<std::int32_t>(source->Size()) : 0);
    TmVarType record;
    record.mStMem = source;
    return trace.Result(InitMultiValue(idValue, TmDataType::MemoryStream, record));
}

bool TmuDataholder::setValueMem(const std::string& idValue, const TmStream& mStMem) {
    TmTraceScope trace(log_, Fnc, "setValueMem");
    log_->addVarString("i_sIdValue", idValue);
    log_->addVarInteger("i_mStMem", mStMem ? static_cast<std::int32_t>(mStMem->Size()) : 0);
    TmVarType record;
    record.mStMem = mStMem;
    return trace.Result(setMultiValue(idValue, TmDataType::MemoryStream, record));
}

bool TmuDataholder::InitValueTANwithState(const std::string& idValue, const std::string& sDefault,
                                          std::uint8_t icState) {
    TmTraceScope trace(log_, Fnc, "InitValueTANwithState");
    log_->addVarString("i_sIdValue", idValue);
    log_->addVarString("i_sDefault", sDefault);
    log_->addVarInteger("i_icState", icState);
    TmVarType record;
    record.mTAN.Text = sDefault;
    record.mTAN.State = icState;
    return trace.Result(InitMultiValue(idValue, TmDataType::TAN, record));
}

bool TmuDataholder::SetValueTAN(const std::string& idValue, const std::string& sTAN, std::uint8_t cState) {
    TmTraceScope trace(log_, Fnc, "SetValueTAN");
    log_->addVarString("i_sIdValue", idValue);
    log_->addVarString("i_sTAN", sTAN);
    log_->addVarInteger("i_cState", cState);
    TmVarType record;
    record.mTAN.Text = sTAN;
    record.mTAN.State = cState;
    return trace.Result(setMultiValue(idValue, TmDataType::TAN, record));
}

bool TmuDataholder::addValueString(const std::string& idValue, const std::string& sValue) {
    TmTraceScope trace(log_, Fnc, "addValueString");
    log_->addVarString("i_sIdValue", idValue);
    log_->addVarString("i_sValue", sValue);
    TmVarType record;
    record.mString = sValue;
    return trace.Result(AddMultiValue(idValue, TmDataType::String, record));
}

std::int32_t TmuDataholder::getValueInteger(const std::string& idValue) {
    TmTraceScope trace(log_, Fnc, "getValueInteger");
    log_->addVarString("i_sIdValue", idValue);
    TmVarType record;
    getValueMulti(idValue, TmDataType::Integer, record);
    return trace.Result(record.mInteger);
}

bool TmuDataholder::getValueBoolean(const std::string& idValue) {
    TmTraceScope trace(log_, Fnc, "getValueBoolean");
    log_->addVarString("i_sIdValue", idValue);
    TmVarType record;
    getValueMulti(idValue, TmDataType::Boolean, record);
    return trace.Result(record.mBoolean);
}

void TmuDataholder::getValueString(const std::string& idValue, std::string& sValue) {
    TmTraceScope trace(log_, Pro, "getValueString");
    log_->addVarString("i_sIdValue", idValue);
    TmVarType record;
    getValueMulti(idValue, TmDataType::String, record);
    sValue = record.mString;
    log_->addVarString("r_sResult", sValue);
}

std::string TmuDataholder::getValueString(const std::string& idValue) {
    std::string value;
    getValueString(idValue, value);
    return value;
}

bool TmuDataholder::getValueTAN(const std::string& idValue, TmTanRec& tan) {
    TmTraceScope trace(log_, Fnc, "getValueTAN");
    log_->addVarString("i_sIdValue", idValue);
    tan = TmTanRec();
    TmDataArray* entry = findValue(idValue);
    if (entry == nullptr) return trace.Result(false);
    tan = entry->Value.mTAN;
    log_->addVarString("r_sTAN", tan.Text);
    log_->addVarInteger("r_iState", tan.State);
    return trace.Result(true);
}

// ---------------------------------------------------------------------------
// Bulk registration

bool TmuDataholder::InitArrayValueBoolean(const std::string& index, const std::string& section,
                                          const std::string& idValue, std::int32_t rangeStart,
                                          std::int32_t rangeStop, bool leadingZero) {
    TmTraceScope trace(log_, Fnc, "InitArrayValueBoolean");
    log_->addVarString("i_sIndex", index);
    log_->addVarString("i_sSection", section);
    log_->addVarString("i_sIdValue", idValue);
    log_->addVarInteger("i_iRangeStart", rangeStart);
    log_->addVarInteger("i_iRangeStop", rangeStop);
    if (rangeStart >= rangeStop) return trace.Result(false);
    const std::string prefix = Prefix(index, section) + idValue;
    for (std::int32_t i = rangeStart; i <= rangeStop; ++i)
        InitValueBoolean(prefix + ((leadingZero && i < 10) ? "0" : "") + std::to_string(i), false);
    return trace.Result(true);
}

bool TmuDataholder::InitArrayValueString(const std::string& index, const std::string& section,
                                         const std::string& idValue, std::int32_t rangeStart,
                                         std::int32_t rangeStop, const std::string& sDefault,
                                         bool leadingZero) {
    TmTraceScope trace(log_, Fnc, "InitArrayValueString with default value");
    log_->addVarString("i_sIndex", index);
    log_->addVarString("i_sSection", section);
    log_->addVarString("i_sIdValue", idValue);
    log_->addVarInteger("i_iRangeStart", rangeStart);
    log_->addVarInteger("i_iRangeStop", rangeStop);
    log_->addVarString("i_sDefault", sDefault);
    if (rangeStart >= rangeStop) return trace.Result(false);
    const std::string prefix = Prefix(index, section) + idValue;
    for (std::int32_t i = rangeStart; i <= rangeStop; ++i)
        InitValueString(prefix + ((leadingZero && i < 10) ? "0" : "") + std::to_string(i), sDefault);
    return trace.Result(true);
}

void TmuDataholder::applyValueList(const char* operation, const std::string& index,
                                   const std::string& section, const TmValueList& items,
                                   const TListOperations& operations) {
    TmTraceScope trace(log_, Pro, operation);
    log_->addVarString("i_sIndex", index);
    log_->addVarString("i_sSection", section);
    const std::string prefix = Prefix(index, section);
    for (std::size_t i = 0; i + 1 < items.size(); i += 2) {
        const TmValueItem& name = items[i];
        const TmValueItem& value = items[i + 1];
        if (name.kind != TmValueItem::Kind::Text) continue;
        const std::string path = prefix + name.text;
        switch (value.kind) {
            case TmValueItem::Kind::Integer:
                (this->*operations.integer)(path, value.integer);
                break;
            case TmValueItem::Kind::Boolean:
                (this->*operations.boolean)(path, value.boolean);
                break;
            case TmValueItem::Kind::Text:
                (this->*operations.text)(path, value.text);
                break;
            case TmValueItem::Kind::Other:
                break;
        }
    }
}

void TmuDataholder::InitValueList(const std::string& index, const std::string& section,
                                  const TmValueList& items) {
    applyValueList("InitValueList", index, section, items,
                   {&TmuDataholder::InitValueInteger, &TmuDataholder::InitValueBoolean,
                    &TmuDataholder::InitValueString});
}

void TmuDataholder::InitValueList(const std::string& index, const std::string& section,
                                  std::initializer_list<TmValueItem> items) {
    InitValueList(index, section, TmValueList(items));
}

void TmuDataholder::setValueList(const std::string& index, const std::string& section,
                                 const TmValueList& items) {
    applyValueList(
        "setValueList", index, section, items,
        {&TmuDataholder::setValueInteger, &TmuDataholder::setValueBoolean, &TmuDataholder::setValueString});
}

void TmuDataholder::setValueList(const std::string& index, const std::string& section,
                                 std::initializer_list<TmValueItem> items) {
    setValueList(index, section, TmValueList(items));
}

// ---------------------------------------------------------------------------
// Access by position

void TmuDataholder::clearNextValueID() {
    TmTraceScope trace(log_, Pro, "clearNextValueID");
    if (TmSectionDataArray* index = currentIndex()) index->NextValueID = 0;
}

std::int32_t TmuDataholder::getNextValueID() {
    TmTraceScope trace(log_, Fnc, "getNextValueID");
    TmSectionDataArray* index = currentIndex();
    if (index == nullptr) return trace.Result(0);
    return trace.Result(++index->NextValueID);
}

TmDataArray* TmuDataholder::entryAt(std::int32_t secPos, std::int32_t idValue) {
    if (secPos < 1 || secPos > get_SectionDataCount()) return nullptr;
    auto& data = FmSecDataArray[static_cast<std::size_t>(secPos - 1)].Data;
    if (idValue < 1 || idValue > static_cast<std::int32_t>(data.size())) return nullptr;
    return &data[static_cast<std::size_t>(idValue - 1)];
}

// Checks an index position and a value ID for the positional reads. An
// empty store and a value ID out of range are reported (with the operation
// named as given); an index position out of range is not.
bool TmuDataholder::validPosition(const char* operation, std::int32_t secPos, std::int32_t idValue,
                                  bool reportRange) {
    if (FmSecDataArray.empty()) {
        log_->addErr(std::string(operation) + " # Kein Array bei FmSecDataArray");
        return false;
    }
    if (secPos < 1 || secPos > get_SectionDataCount()) return false;
    const auto count =
        static_cast<std::int32_t>(FmSecDataArray[static_cast<std::size_t>(secPos - 1)].Data.size());
    if (idValue < 1 || idValue > count) {
        if (reportRange)
            log_->addErr("getDatatypeAsID # iIdValue:" + std::to_string(idValue) +
                         " <> iDataCount:" + std::to_string(count));
        return false;
    }
    return true;
}

bool TmuDataholder::getValuenameAsID(std::int32_t secPos, std::int32_t idValue, std::string& valueKey) {
    TmTraceScope trace(log_, Fnc, "getValuenameAsID");
    log_->addVarInteger("i_iSecpos", secPos);
    log_->addVarInteger("i_iIdValue", idValue);
    valueKey.clear();
    if (!validPosition("getValuenameAsID", secPos, idValue, false)) return trace.Result(false);
    valueKey = entryAt(secPos, idValue)->ValueKey;
    log_->addVarString("o_sValueName", valueKey);
    return trace.Result(true);
}

bool TmuDataholder::getDatatypeAsID(std::int32_t secPos, std::int32_t idValue, TmDataType& dataType) {
    TmTraceScope trace(log_, Fnc, "getDatatypeAsID");
    log_->addVarInteger("i_iSecpos", secPos);
    log_->addVarInteger("i_iIdValue", idValue);
    if (!validPosition("getDatatypeAsID", secPos, idValue, true)) return trace.Result(false);
    dataType = entryAt(secPos, idValue)->DataType;
    log_->addVarInteger("o_iDataType", TagNumber(dataType));
    return trace.Result(true);
}

bool TmuDataholder::getValueMultiAsID(std::int32_t secPos, std::int32_t idValue, TmVarType& value) {
    TmTraceScope trace(log_, Fnc, "getValueMultiAsID");
    log_->addVarInteger("i_iSecpos", secPos);
    log_->addVarInteger("i_iIdValue", idValue);
    value = TmVarType();
    if (secPos < 1 || secPos > get_SectionDataCount()) return trace.Result(false);
    TmDataType tag{};
    if (!getDatatypeAsID(secPos, idValue, tag)) return trace.Result(false);

    TmDataArray& entry = *entryAt(secPos, idValue);
    if (TagNumber(tag) < kFirstTag || TagNumber(tag) > static_cast<int>(TmDataType::Buffer))
        return trace.Result(false);
    if (!entry.Value.Initialized) {
        CopySlot(tag, entry.Default, value);
        entry.Value.Initialized = true;
    }
    CopySlot(tag, entry.Value, value);
    value.Initialized = true;
    logSlot(tag, value);
    switch (tag) {
        case TmDataType::Longword:
        case TmDataType::Single:
        case TmDataType::Double:
        case TmDataType::Integer:
        case TmDataType::String:
        case TmDataType::Boolean:
        case TmDataType::Buffer:
            return trace.Result(true);
        default:
            return trace.Result(false);
    }
}

bool TmuDataholder::getDefaultValueAsID(std::int32_t secPos, std::int32_t idValue, TmVarType& value) {
    TmTraceScope trace(log_, Fnc, "getDefaultValueAsID");
    log_->addVarInteger("i_iSecpos", secPos);
    log_->addVarInteger("i_iIdValue", idValue);
    value = TmVarType();
    if (FmSecDataArray.empty() || secPos < 1 || secPos > get_SectionDataCount()) return trace.Result(false);
    // A value ID out of range is reported but answered true, with the zeroed record.
    if (!validPosition("getDatatypeAsID", secPos, idValue, true)) return trace.Result(true);
    const TmDataArray& entry = *entryAt(secPos, idValue);
    if (entry.HasDefault) value = entry.Default;
    log_->addText("Use DefaultDatatype");
    return trace.Result(true);
}

void TmuDataholder::logSlot(TmDataType tag, const TmVarType& value) {
    switch (tag) {
        case TmDataType::Byte:
            log_->addVarByte("mByte", value.mByte);
            break;
        case TmDataType::Word:
            log_->addVarWord("mWord", value.mWord);
            break;
        case TmDataType::Longword:
            log_->addVarCardinal("mLongword", value.mLongword);
            break;
        case TmDataType::Single:
            log_->addVarExtended("mSingle", value.mSingle);
            break;
        case TmDataType::Double:
            log_->addVarExtended("mDouble", value.mDouble);
            break;
        case TmDataType::Integer:
            log_->addVarInteger("mInteger", value.mInteger);
            break;
        case TmDataType::Int64:
            log_->addVarInt64("mInt64", value.mInt64);
            break;
        case TmDataType::DateTime:
            log_->addVarExtended("mDatetime", value.mDatetime);
            break;
        case TmDataType::Char:
            log_->addVarString("mChar", Utf8OfCodeUnit(value.mChar));
            break;
        case TmDataType::String:
            log_->addVarString("mString", value.mString);
            break;
        case TmDataType::WideString:
            log_->addVarString("mWideString", value.mWideString);
            break;
        case TmDataType::Boolean:
            log_->addVarBoolean("mBoolean", value.mBoolean);
            break;
        case TmDataType::Buffer:
            log_->addVarInteger("mBuffer", value.Size);
            break;
        default:
            break;
    }
}
