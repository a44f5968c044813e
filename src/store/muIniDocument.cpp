#include "store/muIniDocument.h"

#include "toolkit/muStringTools.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// A line that holds control characters (other than tabs) is not text: it
// comes from a damaged or binary file and carries no section or key.
bool IsTextLine(std::string_view s) {
    for (char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && c != '\t') || b == 0x7F) return false;
    }
    return true;
}

}  // namespace

std::string TmIniDocument::FoldCase(std::string_view name) {
    std::string out(name);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto b = static_cast<unsigned char>(out[i]);
        out[i] = AsciiUpper(out[i]);
        if (b == 0xC3 && i + 1 < out.size()) {
            // U+00E0..U+00FE (except U+00F7) are the lower-case forms of
            // U+00C0..U+00DE: the second UTF-8 byte differs by 0x20.
            const auto n = static_cast<unsigned char>(out[i + 1]);
            if (n >= 0xA0 && n <= 0xBE && n != 0xB7) out[i + 1] = static_cast<char>(n - 0x20);
            ++i;
        }
    }
    return out;
}

std::size_t TmIniDocument::CountLineEnds(std::string_view bytes) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ++count;
        } else if (bytes[i] == '\r') {
            ++count;
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        }
    }
    return count;
}

void TmIniDocument::LoadFromBytes(std::string_view bytes) {
    lines_.clear();
    sections_.clear();
    sectionIndex_.clear();
    skippedLines_ = 0;
    modified_ = false;

    const std::string text = text_encoding::DecodeText(bytes, encoding_);

    // Split into lines, keeping each line's own end.
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        Line line;
        if (end == std::string::npos) {
            line.text = text.substr(pos);
            pos = text.size();
        } else {
            line.text = text.substr(pos, end - pos);
            if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
                line.eol = "\r\n";
                pos = end + 2;
            } else {
                line.eol = std::string(1, text[end]);
                pos = end + 1;
            }
        }
        lines_.push_back(std::move(line));
    }

    std::size_t current = kNoSection;
    for (std::size_t i = 0; i < lines_.size(); ++i) ParseLine(i, current);
}

void TmIniDocument::ParseLine(std::size_t index, std::size_t& current) {
    const std::string& raw = lines_[index].text;
    const std::string_view s = Trim(raw);
    if (s.empty() || s.front() == ';') return;
    if (!IsTextLine(s)) {
        ++skippedLines_;
        return;
    }
    if (s.size() >= 2 && s.front() == '[' && s.back() == ']') {
        const std::string_view name = Trim(s.substr(1, s.size() - 2));
        const std::string folded = FoldCase(name);
        auto it = sectionIndex_.find(folded);
        if (it == sectionIndex_.end()) {
            sections_.push_back(Section{std::string(name), {}, {}});
            it = sectionIndex_.emplace(folded, sections_.size() - 1).first;
        }
        current = it->second;
        return;
    }
    if (current == kNoSection) return;  // before the first section
    const std::size_t eq = raw.find('=');
    if (eq == std::string::npos) return;
    const std::string_view name = Trim(std::string_view(raw).substr(0, eq));
    if (name.empty()) return;
    std::size_t valueStart = eq + 1;
    while (valueStart < raw.size() && IsBlank(raw[valueStart])) ++valueStart;
    const std::string_view value = Trim(std::string_view(raw).substr(valueStart));

    Section& sec = sections_[current];
    std::string folded = FoldCase(name);
    if (sec.keyIndex.count(folded) != 0) return;  // the first of equal keys counts
    sec.keys.push_back(Key{std::string(name), std::string(value), index, valueStart});
    sec.keyIndex.emplace(std::move(folded), sec.keys.size() - 1);
}

std::string TmIniDocument::SaveToBytes(TTextEncoding& usedEncoding) const {
    std::size_t size = 0;
    for (const Line& line : lines_) size += line.text.size() + line.eol.size();
    std::string text;
    text.reserve(size);
    for (const Line& line : lines_) {
        text += line.text;
        text += line.eol;
    }
    std::string bytes;
    usedEncoding = encoding_;
    // A file without a mark is read by what its bytes look like: written
    // values can make the bytes of a Windows-1252 file valid UTF-8, which
    // would then come back as other text (other key names, other values).
    TTextEncoding readBackAs{};
    if (!text_encoding::EncodeText(text, encoding_, bytes) ||
        text_encoding::DecodeText(bytes, readBackAs) != text) {
        usedEncoding = TTextEncoding::Utf8Bom;
        text_encoding::EncodeText(text, usedEncoding, bytes);
    }
    return bytes;
}

std::string TmIniDocument::SaveToBytes() const {
    TTextEncoding used;
    return SaveToBytes(used);
}

std::string TmIniDocument::LineBreak() const {
    for (const Line& line : lines_)
        if (!line.eol.empty()) return line.eol;
    return "\r\n";
}

const TmIniDocument::Section* TmIniDocument::FindSection(std::string_view section) const {
    auto it = sectionIndex_.find(FoldCase(Trim(section)));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const TmIniDocument::Key* TmIniDocument::FindKey(std::string_view section, std::string_view key) const {
    const Section* sec = FindSection(section);
    if (sec == nullptr) return nullptr;
    auto it = sec->keyIndex.find(FoldCase(Trim(key)));
    return it == sec->keyIndex.end() ? nullptr : &sec->keys[it->second];
}

bool TmIniDocument::SectionExists(std::string_view section) const { return FindSection(section) != nullptr; }

bool TmIniDocument::ValueExists(std::string_view section, std::string_view key) const {
    return FindKey(section, key) != nullptr;
}

bool TmIniDocument::ReadString(std::string_view section, std::string_view key, std::string& value) const {
    const Key* k = FindKey(section, key);
    if (k == nullptr) return false;
    value = k->value;
    return true;
}

bool TmIniDocument::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    Key* k = const_cast<Key*>(FindKey(section, key));
    if (k == nullptr) return false;
    std::string clean(value);
    for (char& c : clean) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && c != '\t') || b == 0x7F) c = ' ';
    }
    const std::string stored(Trim(clean));  // what a later read gives back
    if (stored == k->value) return true;
    Line& line = lines_[k->line];
    std::string text = line.text.substr(0, k->valueStart) + stored;
    // A key whose name begins with "[" and a value that ends with "]" would
    // be read back as a section line: the key would be gone from the file.
    const std::string_view s = Trim(text);
    if (s.size() >= 2 && s.front() == '[' && s.back() == ']') return false;
    k->value = stored;
    line.text = std::move(text);
    modified_ = true;
    return true;
}

std::vector<std::string> TmIniDocument::ReadSections() const {
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const Section& s : sections_) names.push_back(s.name);
    return names;
}

std::vector<std::string> TmIniDocument::ReadSection(std::string_view section) const {
    std::vector<std::string> names;
    if (const Section* s = FindSection(section)) {
        names.reserve(s->keys.size());
        for (const Key& k : s->keys) names.push_back(k.name);
    }
    return names;
}
