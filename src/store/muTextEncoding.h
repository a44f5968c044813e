#pragma once
// Text encodings of the INI files. Inside the program every text is UTF-8.
// A file's encoding is decided by its byte-order mark; without one, valid
// UTF-8 is read as UTF-8 and anything else as Windows-1252 (the code page
// the files are written in on a German Windows system). A file is written
// back in the encoding it was read in.
#include <string>
#include <string_view>

enum class TTextEncoding {
    Windows1252,  // 8-bit, no mark
    Utf8,         // no mark
    Utf8Bom,      // EF BB BF
    Utf16LE,      // FF FE
    Utf16BE,      // FE FF
};

namespace text_encoding {

// Name of an encoding for messages ("Windows-1252", "UTF-8", ...).
std::string EncodingName(TTextEncoding encoding);

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// The encoding of a file's bytes and the number of bytes its mark takes.
TTextEncoding DetectEncoding(std::string_view bytes, std::size_t& markLength);

// The file's bytes as UTF-8 text, without the mark; encoding receives what
// was detected. Never fails: Windows-1252 takes every byte, and broken
// UTF-16 units become U+FFFD.
std::string DecodeText(std::string_view bytes, TTextEncoding& encoding);

// UTF-8 text as the bytes of a file in that encoding, mark included.
// Returns false when a character has no place in the encoding (only
// Windows-1252 can lack one); such characters are written as "?".
bool EncodeText(std::string_view text, TTextEncoding encoding, std::string& bytes);

std::string Windows1252ToUtf8(std::string_view bytes);
// False when a character is not in Windows-1252; it becomes "?".
bool Utf8ToWindows1252(std::string_view text, std::string& bytes);

}  // namespace text_encoding
