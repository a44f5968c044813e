#include "device/NeltaBox.h"

#include <algorithm>
#include <cctype>

#include "toolkit/muStringTools.h"

namespace {

struct ModelRow {
    const char* model;
    const char* controller;
    int sockets;
};

const ModelRow kModels[] = {
    {"USB-NELTA4", "BOX4", 4},    {"USB-NELTA8", "BOX8", 8},    {"USB-NELTA12", "BOX12", 12},
    {"USB-NELTA16", "BOX16", 16}, {"USB-NELTA20", "BOX20", 20}, {"USB-NELTA24", "BOX24", 24},
};

const ModelRow* FindModel(const std::string& model) {
    for (const auto& row : kModels)
        if (model == row.model) return &row;
    return nullptr;
}

// A decimal number of one or two digits without sign; -1 otherwise.
int SmallNumber(const std::string& s) {
    if (s.empty() || s.size() > 2) return -1;
    int n = 0;
    for (char c : s) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

const std::string kCrLf = "\r\n";
constexpr std::size_t kMaxLine = 256;

}  // namespace

TNeltaBox::TNeltaBox(TNeltaBoxConfig config) : config_(std::move(config)) {
    const ModelRow* row = FindModel(config_.model);
    sockets_.assign(row ? row->sockets : 24, false);
}

int TNeltaBox::SocketsOfModel(const std::string& model) {
    const ModelRow* row = FindModel(model);
    return row ? row->sockets : 0;
}

std::string TNeltaBox::ControllerOfModel(const std::string& model) {
    const ModelRow* row = FindModel(model);
    return row ? row->controller : "";
}

TNeltaFault TNeltaBox::FaultOfName(const std::string& name, bool* ok) {
    static const std::pair<const char*, TNeltaFault> kNames[] = {
        {"none", TNeltaFault::None},       {"late", TNeltaFault::Late},   {"silent", TNeltaFault::Silent},
        {"garbage", TNeltaFault::Garbage}, {"error", TNeltaFault::Error}, {"wait", TNeltaFault::Wait},
        {"vanish", TNeltaFault::Vanish},
    };
    for (const auto& [text, fault] : kNames)
        if (AsciiLower(name) == text) {
            if (ok) *ok = true;
            return fault;
        }
    if (ok) *ok = false;
    return TNeltaFault::None;
}

std::string TNeltaBox::Ident() const {
    if (!config_.ident.empty()) return config_.ident;
    return "NELTA-" + config_.firmware + "-" + ControllerOfModel(config_.model) + "-" + config_.model;
}

std::vector<std::string> TNeltaBox::VersionReport() const {
    return {"NELTA " + config_.model, "Firmware " + config_.firmware,
            "Controller " + ControllerOfModel(config_.model), "Sockets " + std::to_string(SocketCount())};
}

bool TNeltaBox::Socket(int n) const {
    return n >= 1 && n <= SocketCount() && sockets_[static_cast<std::size_t>(n - 1)];
}

void TNeltaBox::SetSocket(int n, bool on) {
    if (n >= 1 && n <= SocketCount()) sockets_[static_cast<std::size_t>(n - 1)] = on;
}

void TNeltaBox::Receive(const std::string& bytes, std::int64_t nowMs) {
    if (Vanished(nowMs)) return;
    for (char c : bytes) {
        if (c == '\r') {
            std::string text;
            text.swap(line_);
            Command(text, nowMs);
        } else if (c != '\n') {
            if (line_.size() < kMaxLine) line_ += c;
        }
    }
}

void TNeltaBox::Send(std::int64_t due, std::string bytes, bool vanish) {
    // The line is a FIFO: nothing overtakes what was sent before it.
    if (!out_.empty()) due = std::max(due, out_.back().due);
    out_.push_back({due, std::move(bytes), vanish});
}

std::string TNeltaBox::Garbage() {
    std::string bytes;
    auto next = [this] {
        random_ ^= random_ << 13;
        random_ ^= random_ >> 17;
        random_ ^= random_ << 5;
        return random_;
    };
    const int length = 3 + static_cast<int>(next() % 14);
    for (int i = 0; i < length; ++i) bytes += static_cast<char>(next() & 0xFF);
    return bytes;
}

void TNeltaBox::Command(const std::string& text, std::int64_t now) {
    commands_.push_back({now, text});
    if (onCommand) onCommand(commands_.back());
    if (!text.empty()) ++commandsSeen_;
    const bool faulty = config_.fault != TNeltaFault::None && commandsSeen_ > config_.faultAfter;
    const std::int64_t replyAt = now + config_.replyDelayMs;

    if (config_.script) {
        if (auto raw = config_.script(text)) {
            Send(replyAt, *raw);
            return;
        }
    }
    if (faulty) {
        switch (config_.fault) {
            case TNeltaFault::Silent:
                return;
            case TNeltaFault::Garbage:
                Send(replyAt, Garbage());
                return;
            case TNeltaFault::Vanish:
                Send(now, text.substr(0, text.size() / 2));
                Send(now + std::max(1, config_.replyDelayMs / 2), {}, true);
                return;
            default:
                break;
        }
    }

    // A box in the error fault changes nothing.
    const std::string reply = faulty && config_.fault == TNeltaFault::Error ? "ERROR" : Reply(text);
    // The box answers a line once it has processed it: echo and reply arrive
    // together, so a reader that waits for the first bytes gets the whole
    // answer. Only a late box echoes at once and replies much later.
    if (reply.empty()) {
        Send(now, text + kCrLf);
        return;
    }
    if (faulty && config_.fault == TNeltaFault::Late) {
        Send(now, text + kCrLf);
        Send(now + config_.lateMs, ">" + reply + kCrLf);
        return;
    }
    Send(replyAt, text + kCrLf + ">" + reply + kCrLf);
}

std::string TNeltaBox::SwitchReply(const std::string& done) {
    const bool endless = config_.fault == TNeltaFault::Wait && commandsSeen_ > config_.faultAfter;
    if (config_.busyAnswers <= 0 && !endless) {
        busyLeft_ = 0;
        pendingDone_.clear();
        return done;
    }
    busyLeft_ = endless ? -1 : config_.busyAnswers - 1;
    pendingDone_ = done;
    return "OK WAIT";
}

std::string TNeltaBox::Reply(const std::string& text) {
    if (text.empty()) {
        if (pendingDone_.empty()) return "OK";
        if (busyLeft_ != 0) {
            if (busyLeft_ > 0) --busyLeft_;
            return "WAIT";
        }
        std::string done;
        done.swap(pendingDone_);
        return done;
    }
    // A new command ends any handshake still running.
    busyLeft_ = 0;
    pendingDone_.clear();

    const std::string cmd = AsciiLower(text);
    if (cmd == "at") return "OK";
    if (cmd == "ati") return Ident();
    if (cmd == "atv") {
        std::string report;
        for (const auto& line : VersionReport()) report += (report.empty() ? "" : kCrLf) + line;
        return report;
    }
    if (cmd == "atsn") return "SN:" + config_.serial;
    if (cmd == "atbon" || cmd == "atboff") {
        beeper_ = cmd == "atbon";
        return "OK";
    }
    if (cmd == "atrs") {
        delay_ = 0;
        beeper_ = true;
        return "OK";
    }
    if (cmd == "atoff") {
        std::fill(sockets_.begin(), sockets_.end(), false);
        return SwitchReply("SET PORT ALL OFF");
    }
    if (cmd.rfind("att", 0) == 0) {
        const int t = SmallNumber(cmd.substr(3));
        if (t < 0 || t > 16) return "ERROR";
        delay_ = t;
        return "OK";
    }
    if (cmd.rfind("atn", 0) == 0 || (cmd.rfind("ato", 0) == 0)) {
        const int n = SmallNumber(cmd.substr(3));
        if (n < 1 || n > SocketCount()) return "ERROR";
        const bool on = cmd[2] == 'n';
        sockets_[static_cast<std::size_t>(n - 1)] = on;
        return SwitchReply("SET PORT " + std::to_string(n) + (on ? " ON" : " OFF"));
    }
    return "ERROR";
}

int TNeltaBox::Available(std::int64_t nowMs) const {
    int count = 0;
    for (const auto& chunk : out_) {
        if (chunk.due > nowMs || chunk.vanish) break;
        count += static_cast<int>(chunk.bytes.size());
    }
    return count;
}

std::string TNeltaBox::Take(int maxCount, std::int64_t nowMs) {
    std::string bytes;
    while (maxCount > 0 && !out_.empty() && out_.front().due <= nowMs && !out_.front().vanish) {
        Chunk& chunk = out_.front();
        const auto n = std::min<std::size_t>(static_cast<std::size_t>(maxCount), chunk.bytes.size());
        bytes.append(chunk.bytes, 0, n);
        chunk.bytes.erase(0, n);
        maxCount -= static_cast<int>(n);
        if (chunk.bytes.empty()) out_.pop_front();
    }
    return bytes;
}

std::optional<std::int64_t> TNeltaBox::NextDue() const {
    if (out_.empty()) return std::nullopt;
    return out_.front().due;
}

bool TNeltaBox::Vanished(std::int64_t nowMs) const {
    for (const auto& chunk : out_)
        if (chunk.vanish) return chunk.due <= nowMs;
    return false;
}
