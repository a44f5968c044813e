#include "store/muTextEncoding.h"

#include <cstdint>

namespace text_encoding {
namespace {

// Windows-1252 positions 0x80 to 0x9F. The five unassigned positions map to
// the C1 control of the same number, as Windows itself does, so that every
// byte survives a round trip.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Reads one code point of well-formed UTF-8 at pos and moves pos on. On a
// malformed sequence it returns false and moves pos by one byte.
bool NextCodePoint(std::string_view s, std::size_t& pos, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        cp = b0;
        ++pos;
        return true;
    }
    int length = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        length = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        ++pos;
        return false;
    }
    if (pos + length > s.size()) {
        ++pos;
        return false;
    }
    for (int i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return false;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return false;
    }
    pos += length;
    return true;
}

std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    const std::size_t units = bytes.size() / 2;
    auto unitAt = [&](std::size_t i) -> char16_t {
        const auto a = static_cast<unsigned char>(bytes[2 * i]);
        const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
        return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t u = unitAt(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const char16_t v = unitAt(i + 1);
            if (v >= 0xDC00 && v <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(v) - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF)
            AppendUtf8(out, 0xFFFD);
        else
            AppendUtf8(out, u);
    }
    if (bytes.size() % 2 != 0) AppendUtf8(out, 0xFFFD);  // a stray last byte
    return out;
}

void AppendUtf16(std::string& out, char16_t unit, bool bigEndian) {
    const char hi = static_cast<char>(unit >> 8);
    const char lo = static_cast<char>(unit & 0xFF);
    if (bigEndian) {
        out += hi;
        out += lo;
    } else {
        out += lo;
        out += hi;
    }
}

std::string EncodeUtf16(std::string_view text, bool bigEndian) {
    std::string out;
    out.reserve(text.size() * 2 + 2);
    AppendUtf16(out, 0xFEFF, bigEndian);
    std::size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp = 0;
        if (!NextCodePoint(text, pos, cp)) cp = 0xFFFD;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            AppendUtf16(out, static_cast<char16_t>(0xD800 + (cp >> 10)), bigEndian);
            AppendUtf16(out, static_cast<char16_t>(0xDC00 + (cp & 0x3FF)), bigEndian);
        } else {
            AppendUtf16(out, static_cast<char16_t>(cp), bigEndian);
        }
    }
    return out;
}

}  // namespace

std::string EncodingName(TTextEncoding encoding) {
    switch (encoding) {
        case TTextEncoding::Windows1252:
            return "Windows-1252";
        case TTextEncoding::Utf8:
            return "UTF-8";
        case TTextEncoding::Utf8Bom:
            return "UTF-8 mit BOM";
        case TTextEncoding::Utf16LE:
            return "UTF-16 LE";
        case TTextEncoding::Utf16BE:
            return "UTF-16 BE";
    }
    return "";
}

bool IsValidUtf8(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        // Plain ASCII runs are the common case; skip them quickly.
        if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
            ++pos;
            continue;
        }
        char32_t cp = 0;
        if (!NextCodePoint(bytes, pos, cp)) return false;
    }
    return true;
}

TTextEncoding DetectEncoding(std::string_view bytes, std::size_t& markLength) {
    auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
    if (starts("\xEF\xBB\xBF")) {
        markLength = 3;
        return TTextEncoding::Utf8Bom;
    }
    if (starts("\xFF\xFE")) {
        markLength = 2;
        return TTextEncoding::Utf16LE;
    }
    if (starts("\xFE\xFF")) {
        markLength = 2;
        return TTextEncoding::Utf16BE;
    }
    markLength = 0;
    return IsValidUtf8(bytes) ? TTextEncoding::Utf8 : TTextEncoding::Windows1252;
}

std::string DecodeText(std::string_view bytes, TTextEncoding& encoding) {
    std::size_t mark = 0;
    encoding = DetectEncoding(bytes, mark);
    const std::string_view body = bytes.substr(mark);
    switch (encoding) {
        case TTextEncoding::Utf8:
        case TTextEncoding::Utf8Bom:
            return std::string(body);
        case TTextEncoding::Utf16LE:
            return DecodeUtf16(body, false);
        case TTextEncoding::Utf16BE:
            return DecodeUtf16(body, true);
        case TTextEncoding::Windows1252:
            break;
    }
    return Windows1252ToUtf8(body);
}

bool EncodeText(std::string_view text, TTextEncoding encoding, std::string& bytes) {
    switch (encoding) {
        case TTextEncoding::Utf8:
            bytes.assign(text);
            return true;
        case TTextEncoding::Utf8Bom:
            bytes = "\xEF\xBB\xBF";
            bytes.append(text);
            return true;
        case TTextEncoding::Utf16LE:
            bytes = EncodeUtf16(text, false);
            return true;
        case TTextEncoding::Utf16BE:
            bytes = EncodeUtf16(text, true);
            return true;
        case TTextEncoding::Windows1252:
            break;
    }
    return Utf8ToWindows1252(text, bytes);
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            out += c;
        else if (b < 0xA0)
            AppendUtf8(out, kCp1252High[b - 0x80]);
        else
            AppendUtf8(out, b);  // 0xA0 to 0xFF equal Latin-1
    }
    return out;
}

bool Utf8ToWindows1252(std::string_view text, std::string& bytes) {
    bytes.clear();
    bytes.reserve(text.size());
    bool complete = true;
    std::size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp = 0;
        if (!NextCodePoint(text, pos, cp)) {
            bytes += '?';
            complete = false;
            continue;
        }
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            bytes += static_cast<char>(cp);
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32; ++i) {
            if (kCp1252High[i] == cp) {
                found = i;
                break;
            }
        }
        if (found >= 0) {
            bytes += static_cast<char>(0x80 + found);
        } else {
            bytes += '?';
            complete = false;
        }
    }
    return complete;
}

}  // namespace text_encoding
