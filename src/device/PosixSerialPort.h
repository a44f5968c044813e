#pragma once
// The serial port over the POSIX terminal interface (Linux).
//
// Opening resolves the COM name through TComPortMap, opens the device for
// reading and writing with exclusive access (TIOCEXCL and an advisory flock,
// so that a second opener is refused also between processes and for root),
// puts the line into raw 8-bit mode with the configured speed, bits, parity
// and handshake, and holds DTR and RTS inactive. Modem-line requests that a
// pseudo-terminal refuses are not errors.
//
// Leaving every device as it was: opening keeps the line settings and the
// DTR/RTS state the device has right after the open, and closing puts them
// back (after the output has gone out, or at most the write time-out). The
// program's own settings never hang up at the last close (HUPCL cleared).
// When the kept settings do hang up at close, the kept DTR/RTS state is not
// raised again before the close: the kernel lowers both lines at that close
// anyway, and raising them first would only add a pulse. The open itself
// raises DTR and RTS on Linux (the tty layer does it before the program can
// act); the lines the program wants are set right after it
// (docs/serial-ports.md).
//
// Time-outs: a read gives up after 500 ms plus 100 ms per requested byte, a
// write after 1000 ms plus 100 ms per byte; neither is an error. A device
// that has gone away (hang-up) raises SerialPortError on the next data
// operation. The queue sizes of the data model (2048 in, 1024 out) cannot be
// requested on this platform; the kernel's own queues are larger.
#include <memory>
#include <string>

#include "device/SerialPort.h"

enum class TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum class TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };

class PosixSerialPort : public SerialPort {
public:
    static constexpr int kReadTotalMultiplier = 100;
    static constexpr int kReadTotalConstant = 500;
    static constexpr int kWriteTotalMultiplier = 100;
    static constexpr int kWriteTotalConstant = 1000;
    static constexpr int kInputSize = 2048;
    static constexpr int kOutputSize = 1024;

    PosixSerialPort();
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    std::string Port() const override { return port_; }
    void SetPort(const std::string& name) override;
    bool Connected() const override { return fd_ >= 0; }
    void SetConnected(bool open) override;

    TBaudRate BaudRate() const override { return baudRate_; }
    void SetBaudRate(TBaudRate value) override;
    TDataBits DataBits() const override { return dataBits_; }
    void SetDataBits(TDataBits value) override;
    TStopBits StopBits() const override { return stopBits_; }
    void SetStopBits(TStopBits value) override;
    TParityBits Parity() const override { return parity_; }
    void SetParity(TParityBits value) override;
    // fcNone sets ControlRTS to rtsDisable and clears OutCTSFlow and both
    // XonXoff switches; ControlDTR and OutDSRFlow stay as they are. The value
    // read back is derived from the switches (fcCustom for any other mix).
    TFlowControl FlowControl() const override;
    void SetFlowControl(TFlowControl value) override;
    bool OutCTSFlow() const override { return outCTSFlow_; }
    void SetOutCTSFlow(bool value) override;
    // Linux has no DSR output handshake; the switch is kept and reported only.
    bool OutDSRFlow() const override { return outDSRFlow_; }
    void SetOutDSRFlow(bool value) override;

    TDTRFlowControl ControlDTR() const { return controlDTR_; }
    void SetControlDTR(TDTRFlowControl value);
    TRTSFlowControl ControlRTS() const { return controlRTS_; }
    void SetControlRTS(TRTSFlowControl value);
    bool XonXoffIn() const { return xonXoffIn_; }
    bool XonXoffOut() const { return xonXoffOut_; }
    // The speed used for brCustom.
    int CustomBaudRate() const { return customBaudRate_; }
    void SetCustomBaudRate(int value);

    int GetInputCount() override;
    void ClearInput() override;
    int WriteText(const std::string& text) override;
    std::string ReadText(int count) override;

    // The device path of the open port (empty while closed).
    const std::string& DevicePath() const { return devicePath_; }

    // Speed in bits per second of an enumeration position (0 for brCustom).
    static int BaudOf(TBaudRate value);

private:
    void Open();
    void Close();
    void ApplySettings();  // raises; leaves the port open
    void ApplyModemLines();
    // Puts back what the device had at the open (errors are ignored: a
    // device that went away keeps nothing).
    void RestoreDevice();
    void RequireOpen() const;
    [[noreturn]] void Fail(const std::string& what, int code) const;
    void SettingChanged();

    std::string port_ = "COM1";
    std::string devicePath_;
    int fd_ = -1;
    struct TKeptDevice;  // the line settings and modem lines found at the open
    std::unique_ptr<TKeptDevice> kept_;
    TBaudRate baudRate_ = TBaudRate::br9600;
    int customBaudRate_ = 9600;
    TDataBits dataBits_ = TDataBits::dbEight;
    TStopBits stopBits_ = TStopBits::sbOneStopBit;
    TParityBits parity_ = TParityBits::prNone;
    bool outCTSFlow_ = false;
    bool outDSRFlow_ = false;
    bool xonXoffIn_ = false;
    bool xonXoffOut_ = false;
    TDTRFlowControl controlDTR_ = TDTRFlowControl::dtrDisable;
    TRTSFlowControl controlRTS_ = TRTSFlowControl::rtsDisable;
};
