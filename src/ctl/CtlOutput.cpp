#include "ctl/CtlOutput.h"

#include <cstdio>

namespace {

// Length of the UTF-8 sequence at `i`, 0 when the bytes there are none.
std::size_t Utf8Length(const std::string& text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = c < 0x80           ? 1
                         : (c >> 5) == 0x06 ? 2
                         : (c >> 4) == 0x0e ? 3
                         : (c >> 3) == 0x1e ? 4
                                            : 0;
    if (length == 0 || (length > 1 && c < 0xc2) || i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80) return 0;
    return length;
}

std::string Escape(unsigned value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", value);
    return buffer;
}

const char* OnOff(bool on) { return on ? "an" : "aus"; }

// What happens to the socket when the program ends.
const char* AtEnd(const TSocketStatus& socket) {
    if (!socket.endAction) return "-";
    return socket.endOff ? "aus" : "bleibt";
}

std::string Pad(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = Utf8Length(text, i);
        if (length == 0) {
            out += Escape(c);
            ++i;
            continue;
        }
        if (length > 1) {
            out.append(text, i, length);
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            out += Escape(c);
        } else {
            out += static_cast<char>(c);
        }
        i += length;
    }
    return out + "\"";
}

std::string FormatText(const TControlResult& result, TCtlShown shown) {
    std::string out;
    switch (shown) {
        case TCtlShown::Status:
            if (!result.Ok()) break;  // the reason goes to the error output
            out += "Box " + (result.model.empty() ? std::string("?") : result.model) + " an " + result.port +
                   "\n";
            out += "Nr  Zustand  Beenden  Name\n";
            for (const TSocketStatus& socket : result.sockets) {
                out += Pad((socket.number < 10 ? " " : "") + std::to_string(socket.number), 4) +
                       Pad(OnOff(socket.on), 9) + Pad(AtEnd(socket), 9) + socket.name + "\n";
            }
            break;
        case TCtlShown::Switch:
            for (const TSocketStatus& socket : result.sockets)
                out += "Steckdose " + std::to_string(socket.number) + ": " + OnOff(socket.on) +
                       (socket.name.empty() ? std::string() : " (" + socket.name + ")") + "\n";
            break;
        case TCtlShown::AllOff:
            if (result.Ok()) out += "NOTAUS: alle Steckdosen aus\n";
            break;
        case TCtlShown::Window:
            break;
    }
    return out;
}

std::string FormatJson(const TControlResult& result, TCtlShown shown, const std::string& mode) {
    std::string out = "{\"ok\":" + std::string(result.Ok() ? "true" : "false");
    out += ",\"code\":" + std::to_string(static_cast<int>(result.code));
    if (!result.Ok()) out += ",\"error\":" + JsonString(result.message);
    out += ",\"mode\":" + JsonString(mode);
    if (shown != TCtlShown::Window) {
        if (!result.model.empty()) out += ",\"model\":" + JsonString(result.model);
        if (!result.port.empty()) out += ",\"port\":" + JsonString(result.port);
        out += ",\"sockets\":[";
        bool first = true;
        for (const TSocketStatus& socket : result.sockets) {
            out += first ? "" : ",";
            first = false;
            out += "{\"number\":" + std::to_string(socket.number) + ",\"name\":" + JsonString(socket.name) +
                   ",\"on\":" + (socket.on ? "true" : "false") +
                   ",\"end_action\":" + (socket.endAction ? "true" : "false") +
                   ",\"end_off\":" + (socket.endOff ? "true" : "false") + "}";
        }
        out += "]";
    }
    return out + "}\n";
}

std::string FormatPortsText(const std::vector<TComPortInfo>& ports) {
    if (ports.empty()) return "keine serielle Schnittstelle gefunden\n";
    std::string out = "COM     Gerät            gesucht  belegt  Treiber      by-id\n";
    for (const TComPortInfo& port : ports) {
        out += Pad(port.com.empty() ? "-" : port.com, 8) + Pad(port.device, 17) +
               Pad(port.searched ? "ja" : "nein", 9) + Pad(port.inUse ? "ja" : "nein", 8) +
               Pad(port.driver.empty() ? "-" : port.driver, 13) + (port.byId.empty() ? "-" : port.byId);
        if (port.console) out += "  (Konsole)";
        if (!port.note.empty()) out += "  " + port.note;
        out += "\n";
    }
    return out;
}

std::string FormatPortsJson(const std::vector<TComPortInfo>& ports) {
    std::string out = "{\"ok\":true,\"code\":0,\"ports\":[";
    bool first = true;
    for (const TComPortInfo& port : ports) {
        out += first ? "" : ",";
        first = false;
        out += "{\"com\":" + JsonString(port.com) + ",\"device\":" + JsonString(port.device) +
               ",\"by_id\":" + JsonString(port.byId) + ",\"driver\":" + JsonString(port.driver) +
               ",\"console\":" + (port.console ? "true" : "false") +
               ",\"in_use\":" + (port.inUse ? "true" : "false") +
               ",\"searched\":" + (port.searched ? "true" : "false") + ",\"note\":" + JsonString(port.note) +
               "}";
    }
    return out + "]}\n";
}
