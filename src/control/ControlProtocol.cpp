#include "control/ControlProtocol.h"

#include <array>

namespace ControlProtocol {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
// An answer block is bounded as a request is: 24 sockets with long names fit.
constexpr std::size_t kMaxAnswer = 64 * 1024;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

struct TVerbName {
    TVerb verb;
    const char* name;
    std::size_t arguments;
};
constexpr std::array<TVerbName, 8> kVerbs{{
    {TVerb::Status, "status", 0},
    {TVerb::On, "on", 1},
    {TVerb::Off, "off", 1},
    {TVerb::Toggle, "toggle", 1},
    {TVerb::AllOff, "all-off", 0},
    {TVerb::Show, "show", 0},
    {TVerb::Hide, "hide", 0},
    {TVerb::Quit, "quit", 0},
}};

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t blank = line.find(' ', start);
        parts.push_back(line.substr(start, blank == std::string::npos ? std::string::npos : blank - start));
        if (blank == std::string::npos) return parts;
        start = blank + 1;
    }
}

bool ParseFlag(const std::string& text, bool& flag) {
    if (text != "0" && text != "1") return false;
    flag = text == "1";
    return true;
}

bool ParseNumber(const std::string& text, int& value, int max) {
    if (text.empty() || text.size() > 6) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value <= max;
}

}  // namespace

std::string Encode(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7f || c == '%') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0f];
        } else {
            out += ch;
        }
    }
    return out;
}

std::optional<std::string> Decode(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = HexValue(text[i + 1]);
        const int low = HexValue(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

const char* VerbName(TVerb verb) {
    for (const TVerbName& entry : kVerbs)
        if (entry.verb == verb) return entry.name;
    return "";
}

std::string FormatRequest(const TRequest& request) {
    std::string line = std::string(kVersion) + ' ' + VerbName(request.verb);
    for (const std::string& argument : request.arguments) line += ' ' + Encode(argument);
    return line;
}

TParsed ParseRequest(const std::string& line) {
    TParsed parsed;
    auto fail = [&parsed](const std::string& why) {
        parsed.error = TControlResult::Failure(TControlCode::Usage, why);
        return parsed;
    };
    if (line.size() > kMaxRequest) return fail("Anfrage zu lang");
    const std::vector<std::string> parts = Split(line);
    if (parts[0] != kVersion) return fail("keine Anfrage der Version " + std::string(kVersion));
    if (parts.size() < 2 || parts.size() > 2 + kMaxArguments) return fail("Anfrage ohne gültigen Befehl");
    for (const TVerbName& entry : kVerbs) {
        if (parts[1] != entry.name) continue;
        if (parts.size() - 2 != entry.arguments)
            return fail("falsche Anzahl von Angaben für \"" + std::string(entry.name) + "\"");
        TRequest request;
        request.verb = entry.verb;
        for (std::size_t i = 2; i < parts.size(); ++i) {
            std::optional<std::string> argument = Decode(parts[i]);
            if (!argument || argument->empty()) return fail("ungültige Angabe in der Anfrage");
            request.arguments.push_back(std::move(*argument));
        }
        parsed.request = std::move(request);
        return parsed;
    }
    return fail("unbekannter Befehl \"" + Encode(parts[1]) + "\"");
}

std::string FormatResult(const TControlResult& result) {
    std::string out = std::string(kVersion) + ' ' + std::to_string(static_cast<int>(result.code)) + ' ' +
                      Encode(result.message) + '\n';
    if (!result.model.empty()) out += "model " + Encode(result.model) + '\n';
    if (!result.port.empty()) out += "port " + Encode(result.port) + '\n';
    for (const TSocketStatus& socket : result.sockets) {
        out += "socket " + std::to_string(socket.number) + ' ' + (socket.on ? '1' : '0') + ' ' +
               (socket.endAction ? '1' : '0') + ' ' + (socket.endOff ? '1' : '0') + ' ' +
               Encode(socket.name) + '\n';
    }
    out += "end\n";
    return out;
}

bool TResultReader::Feed(const std::string& bytes) {
    if (done_ || failed_) return !failed_;
    pending_ += bytes;
    std::size_t start = 0;
    while (!done_ && !failed_) {
        const std::size_t end = pending_.find('\n', start);
        if (end == std::string::npos) break;
        if (!Line(pending_.substr(start, end - start))) failed_ = true;
        start = end + 1;
    }
    pending_.erase(0, start);
    if (pending_.size() > kMaxAnswer) failed_ = true;
    return !failed_;
}

bool TResultReader::Line(const std::string& line) {
    const std::vector<std::string> parts = Split(line);
    if (!header_) {
        int code = 0;
        if (parts.size() != 3 || parts[0] != kVersion || !ParseNumber(parts[1], code, 4)) return false;
        std::optional<std::string> message = Decode(parts[2]);
        if (!message) return false;
        result_.code = static_cast<TControlCode>(code);
        result_.message = std::move(*message);
        header_ = true;
        return true;
    }
    if (parts.size() == 1 && parts[0] == "end") {
        done_ = true;
        return true;
    }
    if (parts.size() == 2 && (parts[0] == "model" || parts[0] == "port")) {
        std::optional<std::string> value = Decode(parts[1]);
        if (!value) return false;
        (parts[0] == "model" ? result_.model : result_.port) = std::move(*value);
        return true;
    }
    if (parts.size() == 6 && parts[0] == "socket") {
        TSocketStatus socket;
        std::optional<std::string> name = Decode(parts[5]);
        if (!ParseNumber(parts[1], socket.number, 24) || !ParseFlag(parts[2], socket.on) ||
            !ParseFlag(parts[3], socket.endAction) || !ParseFlag(parts[4], socket.endOff) || !name)
            return false;
        socket.name = std::move(*name);
        result_.sockets.push_back(std::move(socket));
        return true;
    }
    return false;
}

}  // namespace ControlProtocol
