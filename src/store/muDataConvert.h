#pragma once
// Conversion service: zero-padded decimal numbers ("01" to "24" for box
// numbers), two-digit hexadecimal bytes (Byte and Word keys of the INI
// files) and the display texts of the serial interface settings that the
// box set-up stores under index AC01, section COM.
#include <cstdint>
#include <string>

#include "toolkit/Component.h"

class TmuCompoLogging;

class TmuDataConvert : public TComponent {
public:
    explicit TmuDataConvert(TComponent* owner = nullptr);
    ~TmuDataConvert() override;

    TmuCompoLogging* Log() const { return log_; }

    // Decimal text of value, "0"s put in front up to count characters; the
    // sign counts towards the width and the zeros go before it.
    std::string inttostrWithZero(std::int32_t value, std::int32_t count);
    std::string inttostrWithZero(std::int32_t value, std::int32_t count, std::string& result);

    // Two hexadecimal digits ("1A", "ff"); only the first two characters
    // count, anything that is not a digit 1-9/A-F/a-f reads as 0.
    std::uint8_t StringToByte(const std::string& value);

    // Display texts of the serial settings by their ordinal in the serial
    // port's enumerations; an ordinal outside a table gives an empty text.
    std::string BaudRateToStr(int ordinal) const;
    std::string BaudRateToStr(int ordinal, std::string& result) const;
    std::string StopBitsToStr(int ordinal) const;
    std::string StopBitsToStr(int ordinal, std::string& result) const;
    std::string ParityToStr(int ordinal) const;
    std::string ParityToStr(int ordinal, std::string& result) const;
    std::string FlowControlToStr(int ordinal) const;
    std::string FlowControlToStr(int ordinal, std::string& result) const;

private:
    TmuCompoLogging* log_ = nullptr;
};
