#pragma once
// The serial port as the program uses it: a device name "COMn", open and
// close, line settings, and five data operations. Texts carry one byte per
// character (the characters U+0000 to U+00FF as the bytes 0 to 255), so a
// std::string here is raw port bytes.
// Failures of the port itself are raised as SerialPortError; a read or write
// that times out is no error.
#include <stdexcept>
#include <string>

class SerialPortError : public std::runtime_error {
public:
    SerialPortError(const std::string& what, int code = 0) : std::runtime_error(what), code_(code) {}
    int Code() const { return code_; }

private:
    int code_;
};

// Enumeration positions as the settings dialogs select them.
enum class TBaudRate {
    brCustom,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum class TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum class TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum class TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum class TFlowControl { fcHardware, fcSoftware, fcNone, fcCustom };

class SerialPort {
public:
    virtual ~SerialPort() = default;

    virtual std::string Port() const = 0;
    virtual void SetPort(const std::string& name) = 0;
    virtual bool Connected() const = 0;
    virtual void SetConnected(bool open) = 0;

    virtual TBaudRate BaudRate() const = 0;
    virtual void SetBaudRate(TBaudRate value) = 0;
    virtual TDataBits DataBits() const = 0;
    virtual void SetDataBits(TDataBits value) = 0;
    virtual TStopBits StopBits() const = 0;
    virtual void SetStopBits(TStopBits value) = 0;
    virtual TParityBits Parity() const = 0;
    virtual void SetParity(TParityBits value) = 0;
    virtual TFlowControl FlowControl() const = 0;
    virtual void SetFlowControl(TFlowControl value) = 0;
    virtual bool OutCTSFlow() const = 0;
    virtual void SetOutCTSFlow(bool value) = 0;
    virtual bool OutDSRFlow() const = 0;
    virtual void SetOutDSRFlow(bool value) = 0;

    virtual int GetInputCount() = 0;
    virtual void ClearInput() = 0;
    virtual int WriteText(const std::string& text) = 0;
    virtual std::string ReadText(int count) = 0;
};

// The line settings the box talks with: 57600 baud, 8 data bits, one stop
// bit, no handshake.
inline void SetBoxLineSettings(SerialPort& port) {
    port.SetBaudRate(TBaudRate::br57600);
    port.SetStopBits(TStopBits::sbOneStopBit);
    port.SetDataBits(TDataBits::dbEight);
    port.SetFlowControl(TFlowControl::fcNone);
    port.SetOutCTSFlow(false);
    port.SetOutDSRFlow(false);
}
