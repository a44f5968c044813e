#include "device/SimulatedSerialPort.h"

#include <algorithm>
#include <cerrno>

#include "device/ComPortMap.h"
#include "toolkit/Platform.h"

namespace {
constexpr int kReadTotalConstant = 500;
constexpr int kReadTotalMultiplier = 100;
constexpr int kReadStepMs = 10;
}  // namespace

TNeltaBox& SimulatedSerialPort::AddBox(int comNo, TNeltaBoxConfig config) {
    Device& device = devices_[comNo];
    device.box = std::make_unique<TNeltaBox>(std::move(config));
    return *device.box;
}

void SimulatedSerialPort::AddPort(int comNo) { devices_[comNo].box.reset(); }

void SimulatedSerialPort::RemovePort(int comNo) { devices_.erase(comNo); }

void SimulatedSerialPort::SetInUse(int comNo, bool inUse) {
    auto it = devices_.find(comNo);
    if (it != devices_.end()) it->second.inUse = inUse;
}

TNeltaBox* SimulatedSerialPort::Box(int comNo) {
    auto it = devices_.find(comNo);
    return it == devices_.end() ? nullptr : it->second.box.get();
}

void SimulatedSerialPort::Fail(const std::string& what, int code) const {
    throw SerialPortError("Schnittstelle " + port_ + ": " + what, code);
}

void SimulatedSerialPort::SetPort(const std::string& name) {
    if (name == port_) return;
    if (connected_) {
        connected_ = false;
        port_ = name;
        Open();
    } else {
        port_ = name;
    }
}

void SimulatedSerialPort::SetConnected(bool open) {
    if (open == connected_) return;
    if (open)
        Open();
    else
        connected_ = false;
}

void SimulatedSerialPort::Open() {
    const int n = TComPortMap::PortNumber(port_);
    auto it = devices_.find(n);
    const std::int64_t now = GetPlatform().NowMs();
    if (n <= 0 || it == devices_.end() || (it->second.box && it->second.box->Vanished(now)))
        Fail("nicht vorhanden", ENOENT);
    if (it->second.inUse) Fail("wird bereits verwendet", EBUSY);
    openNo_ = n;
    connected_ = true;
    ++openCount_;
}

SimulatedSerialPort::Device& SimulatedSerialPort::Live() {
    if (!connected_) Fail("nicht geöffnet", EBADF);
    auto it = devices_.find(openNo_);
    if (it == devices_.end() || (it->second.box && it->second.box->Vanished(GetPlatform().NowMs())))
        Fail("Verbindung unterbrochen", EIO);
    return it->second;
}

TFlowControl SimulatedSerialPort::FlowControl() const {
    if (flowControl_ == TFlowControl::fcNone && (outCTSFlow_ || outDSRFlow_)) return TFlowControl::fcCustom;
    return flowControl_;
}

void SimulatedSerialPort::SetFlowControl(TFlowControl value) {
    flowControl_ = value;
    if (value == TFlowControl::fcNone || value == TFlowControl::fcSoftware) outCTSFlow_ = false;
    if (value == TFlowControl::fcHardware) outCTSFlow_ = true;
}

int SimulatedSerialPort::GetInputCount() {
    Device& device = Live();
    return device.box ? device.box->Available(GetPlatform().NowMs()) : 0;
}

void SimulatedSerialPort::ClearInput() {
    Device& device = Live();
    if (!device.box) return;
    const std::int64_t now = GetPlatform().NowMs();
    device.box->Take(device.box->Available(now), now);
}

int SimulatedSerialPort::WriteText(const std::string& text) {
    Device& device = Live();
    written_ += text;
    if (device.box) device.box->Receive(text, GetPlatform().NowMs());
    return static_cast<int>(text.size());
}

std::string SimulatedSerialPort::ReadText(int count) {
    Live();
    if (count <= 0) return {};
    Platform& platform = GetPlatform();
    const std::int64_t deadline =
        platform.NowMs() + kReadTotalConstant + kReadTotalMultiplier * std::int64_t{count};
    std::string result;
    for (;;) {
        Device& device = Live();
        if (device.box) result += device.box->Take(count - static_cast<int>(result.size()), platform.NowMs());
        const std::int64_t now = platform.NowMs();
        if (static_cast<int>(result.size()) >= count || now >= deadline) break;
        platform.SleepMs(static_cast<int>(std::min<std::int64_t>(kReadStepMs, deadline - now)));
    }
    return result;
}
