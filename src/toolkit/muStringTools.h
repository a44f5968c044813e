#pragma once
// Small text service: numbered token lists, the text between two marks,
// "|"-joined store paths, date and time texts, the logger's line prefix;
// ASCII case conversion and comparison.
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/Component.h"

// ASCII case: only the letters A-Z and a-z change. Every other byte stays as
// it is, digits and signs as well as the bytes >= 0x80 of Windows-1252 and
// UTF-8 texts, whatever locale the process runs in.
constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
std::string AsciiUpper(std::string text);
std::string AsciiLower(std::string text);
// Equal texts when ASCII case is ignored (other bytes must match exactly).
bool SameAsciiText(std::string_view a, std::string_view b);

class TmuStringTools : public TComponent {
public:
    explicit TmuStringTools(TComponent* owner = nullptr);

    bool splitTokens(const std::string& text, const std::string& separator);
    int getTokenCount() const;
    std::string getToken(int index) const;  // 1-based
    std::string getNextToken();
    void clearTokens();

    std::string getTextBetween(const std::string& text, const std::string& startMark,
                               const std::string& endMark) const;
    std::string joinPath(const std::string& first, const std::string& second) const;
    std::string wrapText(const std::string& text, const std::string& front, const std::string& back) const;
    std::string getCharString(char character, int count) const;
    std::string getDateText() const;
    std::string getTimeText(const std::string& separator) const;

    void setCounterWidth(int width);
    int getCounterWidth() const { return counterWidth_; }
    void setCounterMode(bool on);
    std::string getLinePrefix();

private:
    int prefixCounter_ = 0;
    int tokenCursor_ = 0;
    int counterWidth_ = 0;
    bool counterMode_ = false;
    bool timeMode_ = false;
    std::vector<std::string> tokens_;
    int tokenCount_ = 0;
};
