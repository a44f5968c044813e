#include "toolkit/mAboutVersion.h"

#include <map>

namespace {

// A device-independent bitmap file image, 32 bits per pixel, bottom-up;
// pixel(x, y) gives 0xAARRGGBB with y counted from the top.
template <class Pixel>
std::vector<std::uint8_t> Bitmap32(int width, int height, Pixel pixel) {
    const std::uint32_t imageSize = static_cast<std::uint32_t>(width * height * 4);
    const std::uint32_t offset = 14 + 40;
    std::vector<std::uint8_t> out;
    out.reserve(offset + imageSize);
    auto u16 = [&](std::uint32_t v) {
        out.push_back(static_cast<std::uint8_t>(v & 0xFF));
        out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    };
    auto u32 = [&](std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    out.push_back('B');
    out.push_back('M');
    u32(offset + imageSize);
    u32(0);
    u32(offset);
    u32(40);  // BITMAPINFOHEADER
    u32(static_cast<std::uint32_t>(width));
    u32(static_cast<std::uint32_t>(height));
    u16(1);
    u16(32);
    u32(0);  // BI_RGB
    u32(imageSize);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x) u32(pixel(x, y));
    return out;
}

// The pictures the program carries for the hub (207: the store's grid of
// values) and the close timer (204: a clock face), 24 x 24.
std::map<int, std::vector<std::uint8_t>> BuiltInPictures() {
    std::map<int, std::vector<std::uint8_t>> pictures;
    pictures[207] = Bitmap32(24, 24, [](int x, int y) -> std::uint32_t {
        if (x < 1 || y < 1 || x > 22 || y > 22) return 0xFF202080u;
        const bool line = (x % 7 == 1) || (y % 7 == 1);
        return line ? 0xFF202080u : 0xFFFFFFFFu;
    });
    pictures[204] = Bitmap32(24, 24, [](int x, int y) -> std::uint32_t {
        const int dx = 2 * x - 23, dy = 2 * y - 23;  // twice the distance from the centre
        const int r2 = dx * dx + dy * dy;
        if (r2 > 22 * 22) return 0x00000000u;                   // outside: transparent
        if (r2 > 18 * 18) return 0xFF404040u;                   // the rim
        if (x == 11 && y >= 4 && y <= 12) return 0xFF000000u;   // the minute hand
        if (y == 11 && x >= 11 && x <= 17) return 0xFF000000u;  // the hour hand
        return 0xFFFFFFFFu;
    });
    return pictures;
}

std::map<int, std::vector<std::uint8_t>>& Resources() {
    static std::map<int, std::vector<std::uint8_t>> resources = BuiltInPictures();
    return resources;
}

}  // namespace

void TmAboutVersion::Changed() {
    if (onchange_) onchange_(this);
}

void TmAboutVersion::setComponentName(const std::string& value) {
    if (value == name_) return;
    name_ = value;
    Changed();
}

void TmAboutVersion::setComponentVersion(const std::string& value) {
    if (value == version_) return;
    version_ = value;
    Changed();
}

void TmAboutVersion::setComponentDate(const std::string& value) {
    if (value == date_) return;
    date_ = value;
    Changed();
}

void TmAboutVersion::setComponentfirm(const std::string& value) {
    if (value == firm_) return;
    firm_ = value;
    Changed();
}

void TmAboutVersion::setBitmap(const TAboutBitmapRef& value) {
    if (value == bitmap_) return;
    bitmap_ = value;
    Changed();
}

void RegisterAboutBitmapResource(int number, std::vector<std::uint8_t> data) {
    Resources()[number] = std::move(data);
}

TAboutBitmapRef LoadAboutBitmapResource(int number) {
    const auto it = Resources().find(number);
    if (it == Resources().end() || it->second.empty()) return nullptr;
    auto bitmap = std::make_shared<TAboutBitmap>();
    bitmap->data = it->second;
    return bitmap;
}

TmAboutVersion* CreateAboutVersion(const std::string& name, const std::string& version,
                                   const std::string& date, int resourceNumber, TAboutBitmapRef& unitSlot) {
    TAboutBitmapRef loaded = LoadAboutBitmapResource(resourceNumber);
    if (loaded) unitSlot = loaded;
    auto* about = new TmAboutVersion();
    about->setComponentName(name);
    about->setComponentVersion(version);
    about->setComponentDate(date);
    about->setComponentfirm(kAboutFirm);
    if (loaded) about->setBitmap(loaded);
    return about;
}
