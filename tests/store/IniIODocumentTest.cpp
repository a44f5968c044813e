// The in-memory INI model and the text encodings of the INI files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/muIniDocument.h"
#include "store/muTextEncoding.h"

namespace {

std::string Latin(const char* utf8) {  // UTF-8 literal as Windows-1252 bytes
    std::string bytes;
    text_encoding::Utf8ToWindows1252(utf8, bytes);
    return bytes;
}

std::string Utf16(const std::string& utf8, bool bigEndian) {
    std::string bytes;
    text_encoding::EncodeText(utf8, bigEndian ? TTextEncoding::Utf16BE : TTextEncoding::Utf16LE, bytes);
    return bytes;
}

TmIniDocument Load(const std::string& bytes) {
    TmIniDocument doc;
    doc.LoadFromBytes(bytes);
    return doc;
}

std::string Read(const TmIniDocument& doc, const char* section, const char* key) {
    std::string value = "<missing>";
    doc.ReadString(section, key, value);
    return value;
}

}  // namespace

TEST(IniIOEncoding, MarkDecidesElseUtf8IfValidElseWindows1252) {
    const std::string text = "[A]\r\nName=Küche €\r\n";
    struct Case {
        const char* what;
        std::string bytes;
        TTextEncoding expected;
    } cases[] = {
        {"UTF-8 with mark", "\xEF\xBB\xBF" + text, TTextEncoding::Utf8Bom},
        {"UTF-8 without mark", text, TTextEncoding::Utf8},
        {"UTF-16 LE", Utf16(text, false), TTextEncoding::Utf16LE},
        {"UTF-16 BE", Utf16(text, true), TTextEncoding::Utf16BE},
        {"Windows-1252", Latin(text.c_str()), TTextEncoding::Windows1252},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTextEncoding detected;
        EXPECT_EQ(text_encoding::DecodeText(c.bytes, detected), text);
        EXPECT_EQ(detected, c.expected);
        // Written back in the encoding it was read in, byte for byte.
        std::string again;
        EXPECT_TRUE(text_encoding::EncodeText(text, detected, again));
        EXPECT_EQ(again, c.bytes);
    }
}

TEST(IniIOEncoding, EveryWindows1252ByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = text_encoding::Windows1252ToUtf8(all);
    EXPECT_TRUE(text_encoding::IsValidUtf8(utf8));
    std::string back;
    EXPECT_TRUE(text_encoding::Utf8ToWindows1252(utf8, back));
    EXPECT_EQ(back, all);
    EXPECT_EQ(text_encoding::Windows1252ToUtf8("\x80\xE4\xDF"), "€äß");
}

TEST(IniIOEncoding, RejectsMalformedUtf8AndMarksMissingCharacters) {
    EXPECT_FALSE(text_encoding::IsValidUtf8("\xC0\xAF"));      // overlong "/"
    EXPECT_FALSE(text_encoding::IsValidUtf8("\xED\xA0\x80"));  // surrogate
    EXPECT_FALSE(
        text_encoding::IsValidUtf8("K\xFC"
                                   "che"));                // Windows-1252 "ü"
    EXPECT_FALSE(text_encoding::IsValidUtf8("\xE2\x82"));  // cut short
    EXPECT_TRUE(
        text_encoding::IsValidUtf8("Gr\xC3\xB6\xC3\x9F"
                                   "e \xF0\x9F\x94\x8C"));
    std::string bytes;
    EXPECT_FALSE(text_encoding::Utf8ToWindows1252("Ω1", bytes));
    EXPECT_EQ(bytes, "?1");
}

TEST(IniIODocument, ReadsSectionsAndKeysByTheFileRules) {
    const TmIniDocument doc = Load(
        "Orphan=before any section\n"
        "  [ Main ]  \n"
        "; Comment=not a key\n"
        "\tKey One = value with = inside  \n"
        "NoEquals\n"
        "Empty=\n"
        "key one=second of equal keys\n"
        "[Broken\n"
        "[Größe]\n"
        "Weiß=ja\n"
        "[main]\n"
        "Later=merged into Main\n");

    EXPECT_EQ(doc.ReadSections(), (std::vector<std::string>{"Main", "Größe"}));
    EXPECT_EQ(doc.ReadSection("MAIN"), (std::vector<std::string>{"Key One", "Empty", "Later"}));
    EXPECT_EQ(Read(doc, "main", "KEY ONE"), "value with = inside");
    EXPECT_EQ(Read(doc, "Main", "Empty"), "");
    EXPECT_EQ(Read(doc, "Main", "Later"), "merged into Main");
    EXPECT_EQ(Read(doc, "GRÖSSE", "WEISS"), "<missing>");  // no folding of ß
    EXPECT_EQ(Read(doc, "GRÖßE", "WEIß"), "ja");           // umlauts match ignoring case
    EXPECT_FALSE(doc.ValueExists("Main", "Comment"));
    EXPECT_FALSE(doc.ValueExists("Main", "NoEquals"));
    EXPECT_FALSE(doc.ValueExists("Main", "[Broken"));
    EXPECT_FALSE(doc.SectionExists("Broken"));
    EXPECT_FALSE(doc.SectionExists(""));
}

TEST(IniIODocument, WritesReplaceValuesInPlaceAndNeverAddAnything) {
    const std::string original =
        "; Kopf\r\n[TAVRIN]\r\n  FormPos = TopLeft\r\nPositionX=150\r\n\r\n[COM]\nPort=COM1\n";
    TmIniDocument doc = Load(original);

    EXPECT_FALSE(doc.WriteString("TAVRIN", "Missing", "x"));
    EXPECT_FALSE(doc.WriteString("Missing", "FormPos", "x"));
    EXPECT_TRUE(doc.WriteString("TAVRIN", "PositionX", "150"));  // same value
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(doc.SaveToBytes(), original);

    EXPECT_TRUE(doc.WriteString("tavrin", "formpos", "Middle"));
    EXPECT_TRUE(doc.WriteString("COM", "Port", "COM7\r\n[Evil]\r\nX=1"));  // cannot add lines
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(
        doc.SaveToBytes(),
        "; Kopf\r\n[TAVRIN]\r\n  FormPos = Middle\r\nPositionX=150\r\n\r\n[COM]\nPort=COM7  [Evil]  X=1\n");
    EXPECT_EQ(Read(doc, "TAVRIN", "FormPos"), "Middle");
    EXPECT_EQ(doc.ReadSections(), (std::vector<std::string>{"TAVRIN", "COM"}));
}

TEST(IniIODocument, KeepsEncodingAndLineEndsOfTheFile) {
    struct Case {
        const char* what;
        std::string bytes;
        const char* lineBreak;
    } cases[] = {
        {"Windows-1252, CR LF", Latin("[A]\r\nName=Küche\r\n"), "\r\n"},
        {"UTF-8, LF", "[A]\nName=Küche\n", "\n"},
        {"UTF-8 with mark, no last line end", "\xEF\xBB\xBF[A]\r\nName=Küche", "\r\n"},
        {"UTF-16 LE", Utf16("[A]\r\nName=Küche\r\n", false), "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TmIniDocument doc = Load(c.bytes);
        EXPECT_EQ(doc.LineBreak(), c.lineBreak);
        EXPECT_EQ(Read(doc, "A", "Name"), "Küche");
        ASSERT_TRUE(doc.WriteString("A", "Name", "Bäder"));
        ASSERT_TRUE(doc.WriteString("A", "Name", "Küche"));
        EXPECT_EQ(doc.SaveToBytes(), c.bytes);
    }
}

TEST(IniIODocument, Windows1252FileTakesUtf8WhenAValueNeedsIt) {
    TmIniDocument doc = Load(Latin("[A]\r\nName=Küche\r\n"));
    ASSERT_EQ(doc.Encoding(), TTextEncoding::Windows1252);
    ASSERT_TRUE(doc.WriteString("A", "Name", "Küche ☕"));
    TTextEncoding used;
    const std::string bytes = doc.SaveToBytes(used);
    EXPECT_EQ(used, TTextEncoding::Utf8Bom);
    EXPECT_EQ(Read(Load(bytes), "A", "Name"), "Küche ☕");
}

TEST(IniIODocument, Windows1252FileWhoseBytesWouldReadAsUtf8TakesTheMark) {
    // Once the only byte that is not UTF-8 is written over, the rest of the
    // file (Windows-1252 text that happens to form UTF-8) would be read as
    // UTF-8: other values, other key names.
    const struct {
        const char* name;
        std::string bytes;  // Windows-1252
        const char* key;    // the key written with "Kueche"
        const char* otherKey;
        const char* otherValue;
    } cases[] = {
        {"value",
         "[A]\r\nText=\xC3\xA4\r\nName=K\xFC"
         "che\r\n",
         "Name", "Text", "Ã¤"},
        {"key name", "[]\n\xEF\xBB\xBF=\xFF", "ï»¿", "ï»¿", "Kueche"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TmIniDocument doc = Load(c.bytes);
        ASSERT_EQ(doc.Encoding(), TTextEncoding::Windows1252);
        const std::string section = doc.ReadSections().front();
        ASSERT_TRUE(doc.WriteString(section, c.key, "Kueche"));
        TTextEncoding used;
        const TmIniDocument back = Load(doc.SaveToBytes(used));
        EXPECT_EQ(used, TTextEncoding::Utf8Bom);
        EXPECT_EQ(back.ReadSection(section), doc.ReadSection(section));
        EXPECT_EQ(Read(back, section.c_str(), c.otherKey), c.otherValue);
    }
    // An unchanged file keeps its bytes.
    const std::string bytes =
        "[A]\r\nText=\xC3\xA4\r\nName=K\xFC"
        "che\r\n";
    EXPECT_EQ(Load(bytes).SaveToBytes(), bytes);
}

TEST(IniIODocument, AValueCannotTurnAKeyLineIntoASectionLine) {
    const struct {
        const char* file;
        const char* key;
        const char* value;
        bool written;
        const char* saved;
    } cases[] = {
        {"[S]\n[x=\n", "[x", "]", false, "[S]\n[x=\n"},
        {"[S]\n [k] = a\n", "[k]", "b ]  ", false, "[S]\n [k] = a\n"},
        {"[S]\n[k=a\n", "[k", "b]c", true, "[S]\n[k=b]c\n"},
        {"[S]\nk=a\n", "k", "]", true, "[S]\nk=]\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TmIniDocument doc = Load(c.file);
        ASSERT_TRUE(doc.ValueExists("S", c.key));
        const std::string before = Read(doc, "S", c.key);
        EXPECT_EQ(doc.WriteString("S", c.key, c.value), c.written);
        EXPECT_EQ(doc.Modified(), c.written);
        if (!c.written) {
            EXPECT_EQ(Read(doc, "S", c.key), before);
        }
        EXPECT_EQ(doc.SaveToBytes(), c.saved);
        const TmIniDocument back = Load(doc.SaveToBytes());
        EXPECT_EQ(back.ReadSections(), std::vector<std::string>{"S"});
        EXPECT_EQ(Read(back, "S", c.key), Read(doc, "S", c.key));
    }
}

TEST(IniIODocument, DamagedAndBinaryContentLoadsTheReadableKeys) {
    std::string bytes = "[A]\r\nFirst=1\r\n";
    bytes += std::string("Bin\0ary=\x01\x02\xFF\xFE", 12) + "\r\n";  // not text: skipped
    bytes += "Long=" + std::string(2'000'000, 'x') + "\r\n";         // one huge line
    bytes += std::string("\0\0\0\0[B]\0", 8) + "\n";
    bytes += "[B]\r\nLast=2\r\n";
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>((i * 97) % 256);  // noise
    bytes += "\r\n[C]\r\nAfterNoise=3";

    const TmIniDocument doc = Load(bytes);
    EXPECT_EQ(Read(doc, "A", "First"), "1");
    EXPECT_EQ(Read(doc, "A", "Long").size(), 2'000'000u);
    EXPECT_EQ(Read(doc, "B", "Last"), "2");
    EXPECT_EQ(Read(doc, "C", "AfterNoise"), "3");
    EXPECT_FALSE(doc.ValueExists("A", "Bin"));
    EXPECT_GE(doc.SkippedLines(), 2);
    EXPECT_EQ(doc.SaveToBytes(), bytes);  // untouched file, untouched bytes
}
