#pragma once
// Version record of a toolkit component: name, version, date and maker, and a
// small picture, published as the component's About property. Nothing in the
// program reads it back at run time; it is there to be inspected.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The maker's name in every record.
inline constexpr const char* kAboutFirm = "Tavrin-Projekt";

// A picture of a record: the raw image of a device-independent bitmap file,
// kept as bytes (the std-only layers never decode it).
struct TAboutBitmap {
    std::vector<std::uint8_t> data;
};
using TAboutBitmapRef = std::shared_ptr<const TAboutBitmap>;

class TmAboutVersion {
public:
    using TNotifyEvent = std::function<void(TmAboutVersion* sender)>;

    TmAboutVersion() = default;
    TmAboutVersion(const TmAboutVersion&) = delete;
    TmAboutVersion& operator=(const TmAboutVersion&) = delete;

    const std::string& ComponentName() const { return name_; }
    const std::string& ComponentVersion() const { return version_; }
    const std::string& ComponentDate() const { return date_; }
    const std::string& Componentfirm() const { return firm_; }
    // The record's picture; null when none was loaded. Shared with the unit
    // that loaded it, so it stays valid as long as the record holds it.
    const TAboutBitmapRef& Bitmap() const { return bitmap_; }

    // Each setter stores a value that differs from the stored one and then
    // raises onchange with the record as sender.
    void setComponentName(const std::string& value);
    void setComponentVersion(const std::string& value);
    void setComponentDate(const std::string& value);
    void setComponentfirm(const std::string& value);
    void setBitmap(const TAboutBitmapRef& value);

    void setOnchange(TNotifyEvent handler) { onchange_ = std::move(handler); }

private:
    void Changed();

    std::string name_;
    std::string version_;
    std::string date_;
    std::string firm_;
    TNotifyEvent onchange_;
    TAboutBitmapRef bitmap_;
};

// Raw-data resources of the program. The window layer registers the images it
// embeds under their numbers (204, 207, 218); without a registration the
// number loads nothing.
void RegisterAboutBitmapResource(int number, std::vector<std::uint8_t> data);
// A new bitmap object with the resource's bytes, or null when it is absent.
TAboutBitmapRef LoadAboutBitmapResource(int number);

// The owners' creation: loads the bitmap under resourceNumber into the
// unit-wide slot (replacing what an earlier instance left there), creates the
// record and sets name, version, date, the maker and, if it loaded, the
// bitmap. The caller owns the record.
TmAboutVersion* CreateAboutVersion(const std::string& name, const std::string& version,
                                   const std::string& date, int resourceNumber, TAboutBitmapRef& unitSlot);
