#include "store/muDataConvert.h"

#include <array>
#include <string_view>

#include "toolkit/muLogging.h"
#include "toolkit/muTraceScope.h"

using Kind = TmTraceScope::Kind;

namespace {

constexpr std::array<std::string_view, 16> kBaudRates = {
    "Custom", "110",   "300",   "600",   "1200",  "2400",   "4800",   "9600",
    "14400",  "19200", "38400", "56000", "57600", "115200", "128000", "256000"};
constexpr std::array<std::string_view, 3> kStopBits = {"1", "1.5", "2"};
constexpr std::array<std::string_view, 5> kParities = {"None", "Odd", "Even", "Mark", "Space"};
constexpr std::array<std::string_view, 4> kFlowControls = {"Hardware", "Software", "None", "Custom"};

template <std::size_t N>
std::string FromTable(const std::array<std::string_view, N>& table, int ordinal) {
    if (ordinal < 0 || static_cast<std::size_t>(ordinal) >= N) return std::string();
    return std::string(table[static_cast<std::size_t>(ordinal)]);
}

int HexDigit(char c) {
    if (c >= '1' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

}  // namespace

TmuDataConvert::TmuDataConvert(TComponent* owner) : TComponent(owner) {
    log_ = CreateLoggingDirect(this, "muDataConvert", ".", "Logging", "LOG_STD", false, true);
    log_->addCls("Create");
    log_->addText("Klasse " + log_->CompoName() + " erstellen");
    log_->exitClsByName("Create");
}

TmuDataConvert::~TmuDataConvert() {
    if (log_ != nullptr) {
        log_->addCls("Destroy");
        log_->addText("Klasse " + log_->CompoName() + " vernichten");
        log_->exitClsByName("Destroy");
    }
}

std::string TmuDataConvert::inttostrWithZero(std::int32_t value, std::int32_t count) {
    std::string result;
    return inttostrWithZero(value, count, result);
}

std::string TmuDataConvert::inttostrWithZero(std::int32_t value, std::int32_t count, std::string& result) {
    TmTraceScope trace(log_, Kind::Function, "inttostrWithZero");
    log_->addVarInteger("i_iValue", value);
    log_->addVarInteger("i_iCount", count);
    result = std::to_string(value);
    if (count > static_cast<std::int32_t>(result.size())) {
        result.insert(0, static_cast<std::size_t>(count) - result.size(), '0');
    }
    log_->addVarString("r_sResult", result);
    return result;
}

std::uint8_t TmuDataConvert::StringToByte(const std::string& value) {
    TmTraceScope trace(log_, Kind::Function, "StringToByte");
    log_->addVarString("sValue", value);
    const int high = value.size() > 0 ? HexDigit(value[0]) : 0;
    const int low = value.size() > 1 ? HexDigit(value[1]) : 0;
    const auto result = static_cast<std::uint8_t>(high * 16 + low);
    log_->addVarInteger("r_iResult", result);
    return result;
}

std::string TmuDataConvert::BaudRateToStr(int ordinal) const { return FromTable(kBaudRates, ordinal); }
std::string TmuDataConvert::BaudRateToStr(int ordinal, std::string& result) const {
    return result = BaudRateToStr(ordinal);
}
std::string TmuDataConvert::StopBitsToStr(int ordinal) const { return FromTable(kStopBits, ordinal); }
std::string TmuDataConvert::StopBitsToStr(int ordinal, std::string& result) const {
    return result = StopBitsToStr(ordinal);
}
std::string TmuDataConvert::ParityToStr(int ordinal) const { return FromTable(kParities, ordinal); }
std::string TmuDataConvert::ParityToStr(int ordinal, std::string& result) const {
    return result = ParityToStr(ordinal);
}
std::string TmuDataConvert::FlowControlToStr(int ordinal) const { return FromTable(kFlowControls, ordinal); }
std::string TmuDataConvert::FlowControlToStr(int ordinal, std::string& result) const {
    return result = FlowControlToStr(ordinal);
}
