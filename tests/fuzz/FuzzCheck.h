#pragma once
// Shared pieces of the fuzz targets: the invariant check that stops the run,
// and a reader that takes the fuzzer's bytes apart into numbers and texts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

// A broken invariant ends the run with its text: libFuzzer keeps the input
// as a crash, the replay of the corpus fails.
#define FUZZ_CHECK(condition, what)                                                           \
    do {                                                                                      \
        if (!(condition)) {                                                                   \
            std::fprintf(stderr, "invariant broken (%s:%d): %s\n", __FILE__, __LINE__, what); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (false)

// Takes the input apart front to back; past its end every read gives zero
// or an empty text.
class FuzzReader {
public:
    FuzzReader(const std::uint8_t* data, std::size_t size)
        : bytes_(reinterpret_cast<const char*>(data), size) {}

    bool Empty() const { return pos_ >= bytes_.size(); }
    std::uint8_t Byte() { return Empty() ? 0 : static_cast<std::uint8_t>(bytes_[pos_++]); }
    // A text of at most maxLength bytes: its length comes first.
    std::string Text(std::size_t maxLength) {
        const std::size_t length = std::min<std::size_t>(Byte() % (maxLength + 1), bytes_.size() - pos_);
        const std::string text(bytes_.substr(pos_, length));
        pos_ += length;
        return text;
    }
    // The bytes up to the next separator (not included) or the end.
    std::string Until(char separator) {
        const std::size_t end = bytes_.find(separator, pos_);
        const std::size_t stop = end == std::string_view::npos ? bytes_.size() : end;
        const std::string text(bytes_.substr(pos_, stop - pos_));
        pos_ = end == std::string_view::npos ? bytes_.size() : end + 1;
        return text;
    }
    std::string_view Rest() const { return Empty() ? std::string_view() : bytes_.substr(pos_); }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// An empty folder, made once: the working folder of the platform, without
// the log folder "System/Logging", so that traces go nowhere (and looking
// for the log folder is quick). Nothing is ever written into it.
inline const std::string& EmptyFolder() {
    static const std::string folder = [] {
        const std::filesystem::path p = std::filesystem::temp_directory_path() / "tavrin-fuzz-empty";
        std::error_code ec;
        std::filesystem::create_directories(p, ec);
        return p.string();
    }();
    return folder;
}
