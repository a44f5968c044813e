#include "device/PosixSerialPort.h"

// The terminal settings go through termios2 (any speed, not only the
// classic table), so this file uses the kernel's terminal header with plain
// ioctl calls instead of <termios.h>; the two cannot be included together.
#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "device/ComPortMap.h"

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Requests about modem lines that the device does not support at all, as a
// pseudo-terminal answers them.
bool IsUnsupported(int err) {
    return err == ENOTTY || err == EINVAL || err == ENOTSUP || err == EOPNOTSUPP || err == 515 /*ENOIOCTLCMD*/
           || err == 524 /*ENOTSUPP*/;
}

bool HungUp(int fd) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0) return false;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

constexpr int kModemLines = TIOCM_DTR | TIOCM_RTS;

}  // namespace

struct PosixSerialPort::TKeptDevice {
    termios2 tio{};
    bool haveLines = false;  // a pseudo-terminal has none
    int lines = 0;
};

PosixSerialPort::PosixSerialPort() = default;

PosixSerialPort::~PosixSerialPort() { Close(); }

int PosixSerialPort::BaudOf(TBaudRate value) {
    static const int kRates[] = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                                 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
    const auto i = static_cast<std::size_t>(value);
    return i < std::size(kRates) ? kRates[i] : 0;
}

void PosixSerialPort::Fail(const std::string& what, int code) const {
    std::string text = "Schnittstelle " + port_ + ": " + what;
    if (code != 0) text += " (" + std::string(std::strerror(code)) + ")";
    throw SerialPortError(text, code);
}

void PosixSerialPort::RequireOpen() const {
    if (fd_ < 0) Fail("nicht geöffnet", EBADF);
}

void PosixSerialPort::SetPort(const std::string& name) {
    if (name == port_) return;
    if (fd_ >= 0) {
        Close();
        port_ = name;
        Open();
    } else {
        port_ = name;
    }
}

void PosixSerialPort::SetConnected(bool open) {
    if (open == Connected()) return;
    if (open)
        Open();
    else
        Close();
}

void PosixSerialPort::Open() {
    const std::string path = TComPortMap::DevicePath(port_);
    if (path.empty()) Fail("nicht vorhanden", ENOENT);

    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        Fail(err == ENOENT ? "nicht vorhanden" : "kann nicht geöffnet werden", err);
    }
    // The advisory lock refuses a second opener between processes and within
    // this one (every open has its own lock owner), root included.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        Fail("wird bereits verwendet", err == EWOULDBLOCK ? EBUSY : err);
    }
    if (::ioctl(fd, TIOCEXCL) != 0) {
        const int err = errno;
        ::close(fd);
        Fail("ist keine serielle Schnittstelle", err);
    }
    // What the device has now is what it gets back at the close.
    auto kept = std::make_unique<TKeptDevice>();
    if (::ioctl(fd, TCGETS2, &kept->tio) != 0) {
        const int err = errno;
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        Fail("lehnt die Einstellungen ab", err);
    }
    kept->haveLines = ::ioctl(fd, TIOCMGET, &kept->lines) == 0;
    fd_ = fd;
    kept_ = std::move(kept);
    devicePath_ = path;
    try {
        // The open has raised DTR and RTS: the lines first, as early as
        // possible, then the line settings, then the lines once more (a
        // speed change can raise DTR again on some drivers).
        ApplyModemLines();
        ApplySettings();
        ApplyModemLines();
    } catch (...) {
        Close();
        throw;
    }
}

void PosixSerialPort::Close() {
    if (fd_ < 0) return;
    RestoreDevice();
    // The exclusive flag belongs to the terminal, not to this descriptor:
    // clear it, or the device would stay locked for every later opener.
    ::ioctl(fd_, TIOCNXCL);
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
    kept_.reset();
    devicePath_.clear();
}

void PosixSerialPort::RestoreDevice() {
    if (!kept_) return;
    // The last bytes written go out at the program's speed: wait until the
    // kernel's queue is empty (bounded like a write), then let the settings
    // request wait for the transmitter itself. A queue that does not drain
    // (a stalled device) gets the settings at once.
    int queued = 0;
    bool drained = true;
    if (::ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0) {
        const auto deadline =
            Clock::now() + std::chrono::milliseconds(kWriteTotalConstant + kWriteTotalMultiplier * queued);
        while (queued > 0 && RemainingMs(deadline) > 0) {
            ::poll(nullptr, 0, 5);
            if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) break;
        }
        drained = queued <= 0;
    }
    ::ioctl(fd_, drained ? TCSETSW2 : TCSETS2, &kept_->tio);

    if (!kept_->haveLines || (kept_->tio.c_cflag & HUPCL) != 0) return;
    int now = 0;
    if (::ioctl(fd_, TIOCMGET, &now) != 0) return;
    int raise = kept_->lines & ~now & kModemLines;
    int lower = ~kept_->lines & now & kModemLines;
    if (raise) ::ioctl(fd_, TIOCMBIS, &raise);
    if (lower) ::ioctl(fd_, TIOCMBIC, &lower);
}

void PosixSerialPort::ApplySettings() {
    termios2 tio{};
    if (::ioctl(fd_, TCGETS2, &tio) != 0) Fail("lehnt die Einstellungen ab", errno);

    // Raw 8-bit line: no translation, no echo, no signals, no output processing.
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY |
                     INPCK | IUCLC | IMAXBEL);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    // No hang-up at the last close: the port keeps the lines as the program held them.
    tio.c_cflag &=
        ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL | CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= CREAD | CLOCAL;

    switch (dataBits_) {
        case TDataBits::dbFive:
            tio.c_cflag |= CS5;
            break;
        case TDataBits::dbSix:
            tio.c_cflag |= CS6;
            break;
        case TDataBits::dbSeven:
            tio.c_cflag |= CS7;
            break;
        case TDataBits::dbEight:
            tio.c_cflag |= CS8;
            break;
    }
    // Linux knows one and two stop bits; the UART sends 1.5 for "two" at five data bits.
    if (stopBits_ != TStopBits::sbOneStopBit) tio.c_cflag |= CSTOPB;
    switch (parity_) {
        case TParityBits::prNone:
            break;
        case TParityBits::prOdd:
            tio.c_cflag |= PARENB | PARODD;
            break;
        case TParityBits::prEven:
            tio.c_cflag |= PARENB;
            break;
        case TParityBits::prMark:
            tio.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case TParityBits::prSpace:
            tio.c_cflag |= PARENB | CMSPAR;
            break;
    }
    if (outCTSFlow_ || controlRTS_ == TRTSFlowControl::rtsHandshake) tio.c_cflag |= CRTSCTS;
    if (xonXoffOut_) tio.c_iflag |= IXON;
    if (xonXoffIn_) tio.c_iflag |= IXOFF;

    const int rate = baudRate_ == TBaudRate::brCustom ? customBaudRate_ : BaudOf(baudRate_);
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = static_cast<speed_t>(rate);
    tio.c_ospeed = static_cast<speed_t>(rate);

    // Reads never block in the kernel: the time-outs are kept here with poll.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;

    if (::ioctl(fd_, TCSETS2, &tio) != 0) Fail("lehnt die Einstellungen ab", errno);
}

void PosixSerialPort::ApplyModemLines() {
    int dtrRts = 0;
    int raise = 0;
    (controlDTR_ == TDTRFlowControl::dtrEnable ? raise : dtrRts) |= TIOCM_DTR;
    if (controlRTS_ == TRTSFlowControl::rtsEnable)
        raise |= TIOCM_RTS;
    else if (controlRTS_ != TRTSFlowControl::rtsHandshake)
        dtrRts |= TIOCM_RTS;
    if (dtrRts && ::ioctl(fd_, TIOCMBIC, &dtrRts) != 0 && !IsUnsupported(errno))
        Fail("lehnt die Einstellungen ab", errno);
    if (raise && ::ioctl(fd_, TIOCMBIS, &raise) != 0 && !IsUnsupported(errno))
        Fail("lehnt die Einstellungen ab", errno);
}

void PosixSerialPort::SettingChanged() {
    if (fd_ < 0) return;
    ApplySettings();
    ApplyModemLines();
}

void PosixSerialPort::SetBaudRate(TBaudRate value) {
    if (value == baudRate_) return;
    baudRate_ = value;
    SettingChanged();
}

void PosixSerialPort::SetCustomBaudRate(int value) {
    if (value == customBaudRate_ || value <= 0) return;
    customBaudRate_ = value;
    if (baudRate_ == TBaudRate::brCustom) SettingChanged();
}

void PosixSerialPort::SetDataBits(TDataBits value) {
    if (value == dataBits_) return;
    dataBits_ = value;
    SettingChanged();
}

void PosixSerialPort::SetStopBits(TStopBits value) {
    if (value == stopBits_) return;
    stopBits_ = value;
    SettingChanged();
}

void PosixSerialPort::SetParity(TParityBits value) {
    if (value == parity_) return;
    parity_ = value;
    SettingChanged();
}

TFlowControl PosixSerialPort::FlowControl() const {
    const bool dtrPlain = controlDTR_ != TDTRFlowControl::dtrHandshake;
    if (outCTSFlow_ && controlRTS_ == TRTSFlowControl::rtsHandshake && !xonXoffIn_ && !xonXoffOut_ &&
        dtrPlain && !outDSRFlow_)
        return TFlowControl::fcHardware;
    if (!outCTSFlow_ && controlRTS_ != TRTSFlowControl::rtsHandshake && xonXoffIn_ && xonXoffOut_ &&
        dtrPlain && !outDSRFlow_)
        return TFlowControl::fcSoftware;
    if (!outCTSFlow_ && controlRTS_ == TRTSFlowControl::rtsDisable && !xonXoffIn_ && !xonXoffOut_ &&
        dtrPlain && !outDSRFlow_)
        return TFlowControl::fcNone;
    return TFlowControl::fcCustom;
}

void PosixSerialPort::SetFlowControl(TFlowControl value) {
    if (value == FlowControl() || value == TFlowControl::fcCustom) return;
    switch (value) {
        case TFlowControl::fcHardware:
            controlRTS_ = TRTSFlowControl::rtsHandshake;
            outCTSFlow_ = true;
            xonXoffIn_ = xonXoffOut_ = false;
            break;
        case TFlowControl::fcSoftware:
            controlRTS_ = TRTSFlowControl::rtsDisable;
            outCTSFlow_ = false;
            xonXoffIn_ = xonXoffOut_ = true;
            break;
        case TFlowControl::fcNone:
            controlRTS_ = TRTSFlowControl::rtsDisable;
            outCTSFlow_ = false;
            xonXoffIn_ = xonXoffOut_ = false;
            break;
        case TFlowControl::fcCustom:
            break;
    }
    SettingChanged();
}

void PosixSerialPort::SetOutCTSFlow(bool value) {
    if (value == outCTSFlow_) return;
    outCTSFlow_ = value;
    SettingChanged();
}

void PosixSerialPort::SetOutDSRFlow(bool value) {
    if (value == outDSRFlow_) return;
    outDSRFlow_ = value;
    SettingChanged();
}

void PosixSerialPort::SetControlDTR(TDTRFlowControl value) {
    if (value == controlDTR_) return;
    controlDTR_ = value;
    SettingChanged();
}

void PosixSerialPort::SetControlRTS(TRTSFlowControl value) {
    if (value == controlRTS_) return;
    controlRTS_ = value;
    SettingChanged();
}

int PosixSerialPort::GetInputCount() {
    RequireOpen();
    int count = 0;
    if (::ioctl(fd_, FIONREAD, &count) != 0) Fail("Eingangspuffer nicht lesbar", errno);
    if (count == 0 && HungUp(fd_)) Fail("Verbindung unterbrochen", EIO);
    return count;
}

void PosixSerialPort::ClearInput() {
    RequireOpen();
    if (::ioctl(fd_, TCFLSH, TCIFLUSH) != 0) Fail("Eingangspuffer nicht löschbar", errno);
}

int PosixSerialPort::WriteText(const std::string& text) {
    RequireOpen();
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(kWriteTotalConstant + kWriteTotalMultiplier * text.size());
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) Fail("Schreibfehler", errno);
        pollfd p{fd_, POLLOUT, 0};
        const int left = RemainingMs(deadline);
        if (left == 0) break;  // time-out: what went out counts
        const int rc = ::poll(&p, 1, left);
        if (rc < 0 && errno != EINTR) Fail("Schreibfehler", errno);
        if (rc > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) Fail("Verbindung unterbrochen", EIO);
    }
    return static_cast<int>(done);
}

std::string PosixSerialPort::ReadText(int count) {
    RequireOpen();
    if (count <= 0) return {};
    const auto deadline =
        Clock::now() +
        std::chrono::milliseconds(kReadTotalConstant + kReadTotalMultiplier * static_cast<long>(count));
    std::string result;
    result.resize(static_cast<std::size_t>(count));
    std::size_t done = 0;
    while (done < result.size()) {
        // A raw line without minimum count answers "nothing there" with 0.
        const ssize_t n = ::read(fd_, result.data() + done, result.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            // The device has gone. Bytes already read are handed over; the
            // next operation reports the loss.
            if (done > 0) break;
            Fail("Verbindung unterbrochen", errno);
        }
        const int left = RemainingMs(deadline);
        pollfd p{fd_, POLLIN, 0};
        const int rc = ::poll(&p, 1, left);
        if (rc < 0 && errno != EINTR) Fail("Lesefehler", errno);
        if (rc > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            if (done > 0) break;
            Fail("Verbindung unterbrochen", EIO);
        }
        if (left == 0) break;
    }
    result.resize(done);
    return result;
}
