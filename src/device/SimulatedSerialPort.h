#pragma once
// A serial port inside the process, for tests and demonstrations without
// hardware. It carries its own small machine: the COM numbers that exist,
// each with or without a simulated NELTA box (TNeltaBox, the same logic as
// tools/nelta-sim). Time is the platform's clock (GetPlatform().NowMs()), so
// on the virtual clock of the test platform a box answers when the code under
// test sleeps, and a 100 ms wait costs nothing.
//
// Behaviour as the real port: "COMn" names, exclusive use (a port marked as
// used elsewhere refuses to open), SerialPortError for a missing device, a
// closed port or a box that has vanished; a read waits (on the platform's
// clock) until its count arrived or its time-out passed.
#include <map>
#include <memory>
#include <string>

#include "device/NeltaBox.h"
#include "device/SerialPort.h"

class SimulatedSerialPort : public SerialPort {
public:
    SimulatedSerialPort() = default;
    ~SimulatedSerialPort() override = default;

    // The machine. AddBox puts a box on COMn (replacing what was there);
    // AddPort makes COMn a port that opens but where nobody answers.
    TNeltaBox& AddBox(int comNo, TNeltaBoxConfig config = {});
    void AddPort(int comNo);
    // Unplugs COMn: an open port breaks (its data operations raise).
    void RemovePort(int comNo);
    // Another program holds COMn: opening it is refused.
    void SetInUse(int comNo, bool inUse);
    TNeltaBox* Box(int comNo);

    // Every byte written through this object, in order, and the number of
    // successful opens.
    const std::string& Written() const { return written_; }
    void ClearWritten() { written_.clear(); }
    int OpenCount() const { return openCount_; }

    std::string Port() const override { return port_; }
    void SetPort(const std::string& name) override;
    bool Connected() const override { return connected_; }
    void SetConnected(bool open) override;

    TBaudRate BaudRate() const override { return baudRate_; }
    void SetBaudRate(TBaudRate value) override { baudRate_ = value; }
    TDataBits DataBits() const override { return dataBits_; }
    void SetDataBits(TDataBits value) override { dataBits_ = value; }
    TStopBits StopBits() const override { return stopBits_; }
    void SetStopBits(TStopBits value) override { stopBits_ = value; }
    TParityBits Parity() const override { return parity_; }
    void SetParity(TParityBits value) override { parity_ = value; }
    // As on the real port: fcNone clears the CTS switch, and a DSR or CTS
    // switch left on makes the reading fcCustom.
    TFlowControl FlowControl() const override;
    void SetFlowControl(TFlowControl value) override;
    bool OutCTSFlow() const override { return outCTSFlow_; }
    void SetOutCTSFlow(bool value) override { outCTSFlow_ = value; }
    bool OutDSRFlow() const override { return outDSRFlow_; }
    void SetOutDSRFlow(bool value) override { outDSRFlow_ = value; }

    int GetInputCount() override;
    void ClearInput() override;
    int WriteText(const std::string& text) override;
    std::string ReadText(int count) override;

private:
    struct Device {
        std::unique_ptr<TNeltaBox> box;
        bool inUse = false;
    };
    void Open();
    // The device behind the open port; raises when the port is closed or broken.
    Device& Live();
    [[noreturn]] void Fail(const std::string& what, int code) const;

    std::map<int, Device> devices_;
    std::string port_ = "COM1";
    bool connected_ = false;
    int openNo_ = 0;
    int openCount_ = 0;
    std::string written_;
    TBaudRate baudRate_ = TBaudRate::br9600;
    TDataBits dataBits_ = TDataBits::dbEight;
    TStopBits stopBits_ = TStopBits::sbOneStopBit;
    TParityBits parity_ = TParityBits::prNone;
    TFlowControl flowControl_ = TFlowControl::fcNone;
    bool outCTSFlow_ = false;
    bool outDSRFlow_ = false;
};
