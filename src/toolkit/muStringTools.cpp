#include "toolkit/muStringTools.h"

#include <climits>
#include <cstdio>
#include <ctime>
#include <string>

#include "toolkit/Platform.h"

namespace {

// 1-based position of the first occurrence of needle in hay at or after the
// 1-based position from; 0 when there is none or the needle is empty.
int PosFrom(const std::string& needle, const std::string& hay, int from = 1) {
    if (needle.empty() || from < 1) return 0;
    const auto p = hay.find(needle, static_cast<size_t>(from - 1));
    return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

// Blanks and control characters off both ends.
std::string TrimControls(const std::string& s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 0x20) ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20) --e;
    return s.substr(b, e - b);
}

std::tm LocalNow() {
    const std::time_t secs = static_cast<std::time_t>(GetPlatform().NowMs() / 1000);
    std::tm tm{};
    localtime_r(&secs, &tm);
    return tm;
}

}  // namespace

std::string AsciiUpper(std::string text) {
    for (char& c : text) c = AsciiUpper(c);
    return text;
}

std::string AsciiLower(std::string text) {
    for (char& c : text) c = AsciiLower(c);
    return text;
}

bool SameAsciiText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

TmuStringTools::TmuStringTools(TComponent* owner) : TComponent(owner) {}

bool TmuStringTools::splitTokens(const std::string& text, const std::string& separator) {
    clearTokens();
    std::string rest = text;
    bool result = false;
    do {
        const int p = PosFrom(separator, rest);
        std::string token;
        if (p == 0 && !rest.empty()) {
            token = rest;
            rest.clear();
            result = true;
        } else {
            if (p > 1) token = rest.substr(0, static_cast<size_t>(p - 1));
            // Only the separator's first character is consumed; a longer
            // separator leaves the rest of it at the start of the next token.
            rest = p > 0 ? rest.substr(static_cast<size_t>(p)) : std::string();
        }
        tokens_.push_back(std::move(token));
        ++tokenCount_;
    } while (!rest.empty());
    return result;
}

int TmuStringTools::getTokenCount() const { return tokenCount_; }

std::string TmuStringTools::getToken(int index) const {
    if (index < 1 || index > tokenCount_ || index > static_cast<int>(tokens_.size())) return {};
    return tokens_[static_cast<size_t>(index - 1)];
}

std::string TmuStringTools::getNextToken() {
    ++tokenCursor_;
    return getToken(tokenCursor_);
}

void TmuStringTools::clearTokens() {
    tokens_.clear();
    tokenCursor_ = 0;
    tokenCount_ = 0;
}

std::string TmuStringTools::getTextBetween(const std::string& text, const std::string& startMark,
                                           const std::string& endMark) const {
    int b = PosFrom(startMark, text);
    const int e = b == 0 ? 0 : PosFrom(endMark, text, b);
    if (b == 0 && !text.empty()) b = static_cast<int>(text.size());
    const int length = e - b;
    if (length <= 0 || b >= static_cast<int>(text.size())) return {};
    // The part runs up to and including the end mark's first character.
    return TrimControls(text.substr(static_cast<size_t>(b), static_cast<size_t>(length)));
}

std::string TmuStringTools::joinPath(const std::string& first, const std::string& second) const {
    std::string result;
    if (!first.empty()) result = first + "|";
    if (!second.empty()) result += second;
    return result;
}

std::string TmuStringTools::wrapText(const std::string& text, const std::string& front,
                                     const std::string& back) const {
    if (text.empty()) return {};
    return front + text + back;
}

std::string TmuStringTools::getCharString(char character, int count) const {
    if (count <= 0) return {};
    return std::string(static_cast<size_t>(count), character);
}

std::string TmuStringTools::getDateText() const {
    const std::tm tm = LocalNow();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    return buf;
}

std::string TmuStringTools::getTimeText(const std::string& separator) const {
    const std::tm tm = LocalNow();
    char buf[64];
    // The user's long time format.
    if (std::strftime(buf, sizeof buf, "%X", &tm) == 0) buf[0] = '\0';
    std::string text = buf;
    if (separator.empty() || separator[0] == ':') return text;
    for (int i = 0; i < 4; ++i) {
        const auto p = text.find(':');
        if (p == std::string::npos) break;
        text[p] = separator[0];
    }
    return text;
}

void TmuStringTools::setCounterWidth(int width) {
    if (width == counterWidth_) return;
    if (width < 5) width = 5;
    if (width > 20) width = 20;
    counterWidth_ = width;
}

void TmuStringTools::setCounterMode(bool on) {
    if (on == counterMode_) return;
    counterMode_ = on;
    timeMode_ = false;
}

std::string TmuStringTools::getLinePrefix() {
    if (timeMode_) return "[" + getTimeText(":") + "] ";
    if (counterMode_) {
        prefixCounter_ = prefixCounter_ == INT_MAX ? 1 : prefixCounter_ + 1;
        std::string digits = std::to_string(prefixCounter_);
        if (static_cast<int>(digits.size()) < counterWidth_)
            digits.insert(0, static_cast<size_t>(counterWidth_) - digits.size(), '0');
        return "[" + digits + "] ";
    }
    return {};
}
