// The INI document with its text encodings, fed with arbitrary file bytes.
//
// Invariants:
// - Loading and saving without a change gives back the same bytes (UTF-16
//   files with a broken unit excepted: those units are read as U+FFFD, and
//   then a second load and save gives back the first save's bytes).
// - Every section and key the document lists can be found and read, and a
//   read value has no surrounding blanks and no control characters.
// - Writing a value to every key, saving and loading again keeps the number
//   of lines, the sections and the keys (a value can neither add a line nor
//   a key nor turn its line into something else), and gives back the values
//   as written. A write is refused only where the key's line would read
//   back as a section line (a key named "[..." and a value ending in "]").
// - A write to a key the file does not have changes nothing.
// - Through the INI binding (TmuIniIO, the file on disk): every key reads as
//   the document's text; an integer reads by the INI notation (decimal in
//   32 bits, or "$"/"0x" and up to eight hexadecimal digits, with a sign)
//   or gives the default; ON/YES and OFF/NO read as switches, anything
//   else gives the default; a missing key gives the default. A file that
//   was only read is left as it was; an integer written and saved is read
//   back as written, and the file keeps its lines.
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "FuzzCheck.h"
#include "store/muIniDocument.h"
#include "store/muIniIO.h"
#include "store/muTextEncoding.h"
#include "support/FakePlatform.h"
#include "toolkit/muLogging.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool HasControl(const std::string& s) {
    for (char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && c != '\t') || b == 0x7F) return true;
    }
    return false;
}

// What a read gives back after a write of value: control characters as
// blanks, surrounding blanks removed.
std::string Stored(std::string value) {
    for (char& c : value) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && c != '\t') || b == 0x7F) c = ' ';
    }
    std::size_t b = 0;
    std::size_t e = value.size();
    while (b < e && IsBlank(value[b])) ++b;
    while (e > b && IsBlank(value[e - 1])) --e;
    return value.substr(b, e - b);
}

// A UTF-16 body whose units do not all form characters (a lone surrogate or
// a stray last byte) is not read back byte for byte.
bool BrokenUtf16(std::string_view bytes, TTextEncoding encoding) {
    if (encoding != TTextEncoding::Utf16LE && encoding != TTextEncoding::Utf16BE) return false;
    const std::string_view body = bytes.substr(2);
    if (body.size() % 2 != 0) return true;
    const bool big = encoding == TTextEncoding::Utf16BE;
    auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(body[2 * i]);
        const auto b = static_cast<unsigned char>(body[2 * i + 1]);
        return big ? (a << 8) | b : (b << 8) | a;
    };
    const std::size_t units = body.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        const int u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 >= units) return true;
            const int v = unit(i + 1);
            if (v < 0xDC00 || v > 0xDFFF) return true;
            ++i;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

// Values the program writes: umlauts, characters Windows-1252 has and lacks,
// line breaks, blanks, and texts that look like INI syntax.
const char* const kValues[] = {
    "",
    "ON",
    "OFF",
    "12345",
    "Steckdose Küche",
    "ÄÖÜäöüß",
    "€ 5",
    "漢字",
    "a\r\nb=c",
    "  pad  ",
    "x=y",
    "]",
    "[S]",
    "; no comment",
    "\tTab\t",
    "\x7f\x01",
    "Line\nEnd",
    "=",
    "[",
    "a]",
    "\xF0\x9F\x94\x8C",
};

// The INI integer notation, written out plainly.
bool IniInteger(const std::string& text, std::int32_t& value) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    int base = 10;
    if (text.compare(pos, 1, "$") == 0) {
        base = 16;
        pos += 1;
    } else if (text.compare(pos, 2, "0x") == 0 || text.compare(pos, 2, "0X") == 0) {
        base = 16;
        pos += 2;
    }
    const std::string digits = text.substr(pos);
    if (digits.empty() || (base == 16 && digits.size() > 8)) return false;
    std::int64_t magnitude = 0;
    for (char c : digits) {
        const bool dec = c >= '0' && c <= '9';
        const bool hex = base == 16 && std::isxdigit(static_cast<unsigned char>(c));
        if (!dec && !hex) return false;
        magnitude =
            magnitude * base + (dec ? c - '0' : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
        if (base == 10 && magnitude > 2147483648LL) return false;
    }
    if (base == 16) {
        const auto bits = static_cast<std::uint32_t>(magnitude);
        value = static_cast<std::int32_t>(negative ? 0u - bits : bits);
        return true;
    }
    if (!negative && magnitude > 2147483647LL) return false;
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The binding reads the file from disk: the bytes go into a file of this
// process beside the (empty) working folder.
void CheckBinding(const std::string& bytes, const TmIniDocument& doc) {
    static const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tavrin-fuzz-ini-" + std::to_string(::getpid()));
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::filesystem::path file = folder / "fuzz.ini";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const std::vector<std::string> sections = doc.ReadSections();
    std::string firstSection, firstKey;
    for (const std::string& section : sections) {
        const auto keys = doc.ReadSection(section);
        if (!keys.empty()) {
            firstSection = section;
            firstKey = keys.front();
            break;
        }
    }
    FakePlatform platform;
    platform.currentDir = EmptyFolder();
    {
        TmuIniIO io;
        io.Log()->SetActiveLog(false);
        io.set_IniIoCount(1);
        io.set_IniIoIndex(1);
        io.set_path(folder.string());
        io.set_Filename("fuzz.ini");
        io.set_Active(true);
        FUZZ_CHECK(io.get_Active(), "the binding does not open an existing file");
        std::size_t checked = 0;
        for (const std::string& section : sections) {
            for (const std::string& key : doc.ReadSection(section)) {
                if (++checked > 32) break;
                std::string expected;
                doc.ReadString(section, key, expected);
                std::string value;
                io.ReadString(section, key, value,
                              "\x01"
                              "default");
                FUZZ_CHECK(value == expected, "the binding reads a key as other text");
                std::int32_t number = 0;
                const bool isNumber = IniInteger(expected, number);
                FUZZ_CHECK(io.ReadInteger(section, key, -77) == (isNumber ? number : -77),
                           "an integer is read against the INI notation");
                std::string upper = expected;
                for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                const bool on = upper == "ON" || upper == "YES";
                const bool off = upper == "OFF" || upper == "NO";
                FUZZ_CHECK(io.ReadOnOFF(section, key, true) == (on || !off), "a switch is read wrongly");
                FUZZ_CHECK(io.ReadOnOFF(section, key, false) == on, "a switch is read wrongly");
            }
        }
        std::string value;
        io.ReadString("\x01none", "key", value, "dflt");
        FUZZ_CHECK(value == "dflt" && io.ReadInteger("\x01none", "key", 5) == 5,
                   "a missing key gives no default");
        io.set_Active(false);
        FUZZ_CHECK(ReadFile(file) == bytes, "a file that was only read is changed");
        if (!firstKey.empty()) {
            io.set_Active(true);
            io.WriteInteger(firstSection, firstKey, -1234567);
            io.set_Active(false);
        }
    }
    if (!firstKey.empty()) {
        const std::string after = ReadFile(file);
        TmIniDocument back;
        back.LoadFromBytes(after);
        std::string value;
        FUZZ_CHECK(back.ReadString(firstSection, firstKey, value) && value == "-1234567",
                   "a written integer is not read back");
        TTextEncoding a{}, b{};
        FUZZ_CHECK(TmIniDocument::CountLineEnds(text_encoding::DecodeText(after, a)) ==
                       TmIniDocument::CountLineEnds(text_encoding::DecodeText(bytes, b)),
                   "a written integer changed the number of lines");
    }
    std::filesystem::remove_all(folder, ec);
}

std::size_t TotalKeys(const TmIniDocument& doc) {
    std::size_t n = 0;
    for (const auto& s : doc.ReadSections()) n += doc.ReadSection(s).size();
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    TmIniDocument doc("fuzz.ini");
    doc.LoadFromBytes(bytes);
    FUZZ_CHECK(!doc.Modified(), "a load marks the document changed");
    TTextEncoding used{};
    const std::string saved = doc.SaveToBytes(used);
    FUZZ_CHECK(used == doc.Encoding(), "an unchanged document is saved in another encoding");
    if (!BrokenUtf16(bytes, doc.Encoding())) {
        FUZZ_CHECK(saved == bytes, "load and save without a change alter the bytes");
    } else {
        TmIniDocument again;
        again.LoadFromBytes(saved);
        FUZZ_CHECK(again.SaveToBytes() == saved, "a second load and save alter the bytes");
    }

    CheckBinding(bytes, doc);

    // What the document lists can be read.
    const std::vector<std::string> sections = doc.ReadSections();
    for (const std::string& section : sections) {
        FUZZ_CHECK(doc.SectionExists(section), "a listed section is not found");
        for (const std::string& key : doc.ReadSection(section)) {
            std::string value = "\x01unread";
            FUZZ_CHECK(doc.ReadString(section, key, value), "a listed key cannot be read");
            FUZZ_CHECK(!HasControl(value), "a read value holds a control character");
            FUZZ_CHECK(value.empty() || (!IsBlank(value.front()) && !IsBlank(value.back())),
                       "a read value has surrounding blanks");
        }
    }

    // A key the file does not have is not created.
    FUZZ_CHECK(!doc.WriteString("\x01no section", "key", "v"), "a write created a section");
    if (!sections.empty())
        FUZZ_CHECK(!doc.WriteString(sections.front(), "\x01no key", "v"), "a write created a key");
    FUZZ_CHECK(!doc.Modified(), "a refused write marks the document changed");

    // A value for every key (the first keys of a large file).
    const std::size_t lineEnds = TmIniDocument::CountLineEnds(text_encoding::DecodeText(saved, used));
    const std::size_t keyCount = TotalKeys(doc);
    struct Written {
        std::string section, key, value;
    };
    std::vector<Written> written;
    std::size_t choice = size;
    for (const std::string& section : sections) {
        for (const std::string& key : doc.ReadSection(section)) {
            if (written.size() >= 64) break;
            std::string value;
            if (choice % 4 == 3) {
                // A slice of the input as text.
                value = text_encoding::Windows1252ToUtf8(bytes.substr(choice % (size + 1), choice % 17));
            } else {
                value = kValues[choice % std::size(kValues)];
            }
            choice = choice * 31 + key.size() + 7;
            std::string before;
            doc.ReadString(section, key, before);
            const std::string stored = Stored(value);
            std::string back;
            if (doc.WriteString(section, key, value)) {
                FUZZ_CHECK(doc.ReadString(section, key, back) && back == stored,
                           "a written value is not read back as stored");
            } else {
                // Refused only where the line would read as a section line.
                FUZZ_CHECK(!key.empty() && key.front() == '[' && !stored.empty() && stored.back() == ']',
                           "a listed key cannot be written");
                FUZZ_CHECK(doc.ReadString(section, key, back) && back == before,
                           "a refused write changed a value");
            }
            written.push_back({section, key, back});
        }
    }

    TTextEncoding usedAfter{};
    const std::string after = doc.SaveToBytes(usedAfter);
    TmIniDocument reread;
    reread.LoadFromBytes(after);
    TTextEncoding decodedAs{};
    FUZZ_CHECK(TmIniDocument::CountLineEnds(text_encoding::DecodeText(after, decodedAs)) == lineEnds,
               "written values changed the number of lines");
    FUZZ_CHECK(reread.ReadSections() == sections, "written values changed the sections");
    FUZZ_CHECK(TotalKeys(reread) == keyCount, "written values changed the number of keys");
    for (const std::string& section : sections)
        FUZZ_CHECK(reread.ReadSection(section) == doc.ReadSection(section),
                   "written values changed the keys");
    // A Windows-1252 file whose only high bytes were replaced can come back
    // as valid UTF-8 and is then read as UTF-8: its values differ by design.
    if (reread.Encoding() == usedAfter) {
        for (const Written& w : written) {
            std::string back;
            FUZZ_CHECK(reread.ReadString(w.section, w.key, back), "a written key is gone after a save");
            FUZZ_CHECK(back == w.value, "a written value is read back differently after a save");
        }
    }
    return 0;
}
