#include "toolkit/mAboutVersion.h"

#include <map>

namespace {

std::map<int, std::vector<std::uint8_t>>& Resources() {
    static std::map<int, std::vector<std::uint8_t>> resources;
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
