#pragma once
// One INI file held in memory.
//
// Reading: every line is trimmed of surrounding blanks; a line "[" name "]"
// opens a section (name trimmed); a line of a section that contains "=" is a
// key line, split at its first "=" with key and value trimmed. Empty lines,
// lines starting with ";", lines before the first section and lines that are
// not text (control characters, as in a binary file) carry no keys. Section
// and key names match ignoring case; a section that appears twice is one
// section, and of two equal keys the first counts.
//
// Writing: a write replaces the value of an existing key in place; it never
// creates a section or a key. The document keeps every line of the file as
// it was read (comments, blank lines, spacing, line ends, encoding), so
// saving changes nothing but the values written.
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/muTextEncoding.h"

class TmIniDocument {
public:
    // Files larger than this are not loaded; no INI file of the program
    // comes near it.
    static constexpr std::size_t kMaxFileSize = 64u * 1024u * 1024u;
    // Every line is kept in memory with its own line end: a file of more
    // lines than this (a settings file has a few hundred) is not loaded.
    static constexpr std::size_t kMaxLines = 100'000;
    // Line ends in the raw bytes (CR LF counts once), an upper bound of the
    // document's lines less one.
    static std::size_t CountLineEnds(std::string_view bytes);

    TmIniDocument() = default;
    explicit TmIniDocument(const std::string& fileName) : fileName_(fileName) {}

    // The file the document belongs to (program notation).
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& fileName) { fileName_ = fileName; }

    // Replaces the contents with the file's bytes. Never fails.
    void LoadFromBytes(std::string_view bytes);
    // The file's bytes in the encoding it was read in. When a written value
    // holds a character that Windows-1252 lacks, or when the bytes would be
    // read back as other text (Windows-1252 bytes that form valid UTF-8), the
    // file is written as UTF-8 with a byte-order mark instead, so that no
    // character is lost; usedEncoding tells which encoding the bytes are in.
    std::string SaveToBytes(TTextEncoding& usedEncoding) const;
    std::string SaveToBytes() const;

    TTextEncoding Encoding() const { return encoding_; }
    void SetEncoding(TTextEncoding encoding) { encoding_ = encoding; }
    // The line end of the file's first line ("\r\n", "\n" or "\r"); "\r\n"
    // for a file of one line.
    std::string LineBreak() const;
    // Lines that were not taken as section or key lines because they are not
    // text.
    int SkippedLines() const { return skippedLines_; }

    // True after a write that changed a value, until SetModified(false).
    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    // False when the section or the key is missing; value is then unchanged.
    bool ReadString(std::string_view section, std::string_view key, std::string& value) const;
    // Replaces the value of an existing key. Line breaks and other control
    // characters in value become blanks, so a value cannot add lines to the
    // file. False (and nothing changed) when the section or key is missing,
    // and when the line would read back as a section line (a key named
    // "[..." with a value ending in "]").
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);

    // Section names in file order, and the key names of one section in file
    // order, as written in the file.
    std::vector<std::string> ReadSections() const;
    std::vector<std::string> ReadSection(std::string_view section) const;

    // Names compared ignoring case: ASCII and the Latin-1 letters (umlauts).
    static std::string FoldCase(std::string_view name);

private:
    struct Line {
        std::string text;  // without its line end
        std::string eol;   // "\r\n", "\n", "\r" or "" for a last line without one
    };
    struct Key {
        std::string name;
        std::string value;
        std::size_t line = 0;        // index in lines_
        std::size_t valueStart = 0;  // where the value begins in the line's text
    };
    struct Section {
        std::string name;
        std::vector<Key> keys;
        std::unordered_map<std::string, std::size_t> keyIndex;  // folded name -> keys
    };

    const Section* FindSection(std::string_view section) const;
    const Key* FindKey(std::string_view section, std::string_view key) const;
    static constexpr std::size_t kNoSection = static_cast<std::size_t>(-1);
    void ParseLine(std::size_t index, std::size_t& current);

    std::string fileName_;
    TTextEncoding encoding_ = TTextEncoding::Utf8;
    std::vector<Line> lines_;
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> sectionIndex_;  // folded name -> sections_
    int skippedLines_ = 0;
    bool modified_ = false;
};
