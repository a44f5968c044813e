#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "hub/mVedadAzaro.h"
#include "support/FakePlatform.h"
#include "toolkit/mAboutVersion.h"
#include "toolkit/mCloseTimer.h"

namespace {

TEST(AboutVersion, SettersRaiseOnchangeOnlyForNewValues) {
    TmAboutVersion about;
    std::vector<TmAboutVersion*> senders;
    about.setOnchange([&](TmAboutVersion* s) { senders.push_back(s); });
    about.setComponentName("mCloseTimer");
    about.setComponentName("mCloseTimer");
    about.setComponentVersion("1.0.0.2");
    about.setComponentVersion("1.0.0.2");
    about.setComponentDate("21.06.2018");
    about.setComponentDate("21.06.2018");
    about.setComponentfirm(kAboutFirm);
    about.setComponentfirm(kAboutFirm);
    auto bmp = std::make_shared<TAboutBitmap>();
    about.setBitmap(bmp);
    about.setBitmap(bmp);
    about.setBitmap(nullptr);
    ASSERT_EQ(senders.size(), 6u);
    for (auto* s : senders) EXPECT_EQ(s, &about);
    EXPECT_EQ(about.ComponentName(), "mCloseTimer");
    EXPECT_EQ(about.ComponentVersion(), "1.0.0.2");
    EXPECT_EQ(about.ComponentDate(), "21.06.2018");
    EXPECT_EQ(about.Componentfirm(), "Tavrin-Projekt");
    EXPECT_EQ(about.Bitmap(), nullptr);
}

TEST(AboutVersion, CreationWithoutAnEmbeddedPictureKeepsNone) {
    TAboutBitmapRef slot;
    std::unique_ptr<TmAboutVersion> about(
        CreateAboutVersion("mTrayIconPopup", "1.0.0.4", "21.06.2018", 9218, slot));
    EXPECT_EQ(about->ComponentName(), "mTrayIconPopup");
    EXPECT_EQ(about->ComponentVersion(), "1.0.0.4");
    EXPECT_EQ(about->ComponentDate(), "21.06.2018");
    EXPECT_EQ(about->Componentfirm(), "Tavrin-Projekt");
    EXPECT_EQ(about->Bitmap(), nullptr);
    EXPECT_EQ(slot, nullptr);
}

TEST(AboutVersion, EachInstanceLoadsANewPictureIntoTheUnitSlot) {
    RegisterAboutBitmapResource(9204, {'B', 'M', 1, 2, 3});
    TAboutBitmapRef slot;
    std::unique_ptr<TmAboutVersion> first(CreateAboutVersion("a", "1", "01.01.2020", 9204, slot));
    ASSERT_NE(first->Bitmap(), nullptr);
    EXPECT_EQ(first->Bitmap()->data, (std::vector<std::uint8_t>{'B', 'M', 1, 2, 3}));
    EXPECT_EQ(slot, first->Bitmap());
    std::unique_ptr<TmAboutVersion> second(CreateAboutVersion("a", "1", "01.01.2020", 9204, slot));
    EXPECT_EQ(slot, second->Bitmap());
    EXPECT_NE(first->Bitmap(), second->Bitmap());
    // The first record's picture stays valid after the slot moved on.
    EXPECT_EQ(first->Bitmap()->data.size(), 5u);
}

// The hub and the close timer carry their pictures: 24 x 24 bitmaps of 32
// bits per pixel under the numbers 207 and 204.
TEST(AboutVersion, TheHubAndTheCloseTimerCarryTheirPictures) {
    auto u32 = [](const std::vector<std::uint8_t>& d, std::size_t at) {
        return static_cast<std::uint32_t>(d[at] | d[at + 1] << 8 | d[at + 2] << 16 | d[at + 3] << 24);
    };
    FakePlatform platform;
    TmVedadAzaro hub;
    TmCloseTimer timer;
    const struct {
        const char* what;
        const TmAboutVersion* about;
        int number;
    } cases[] = {{"hub", hub.About(), 207}, {"close timer", timer.About(), 204}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NE(c.about, nullptr);
        ASSERT_NE(c.about->Bitmap(), nullptr);
        const std::vector<std::uint8_t>& data = c.about->Bitmap()->data;
        ASSERT_GE(data.size(), 54u);
        EXPECT_EQ(data[0], 'B');
        EXPECT_EQ(data[1], 'M');
        EXPECT_EQ(u32(data, 2), data.size());
        EXPECT_EQ(u32(data, 18), 24u);            // width
        EXPECT_EQ(u32(data, 22), 24u);            // height
        EXPECT_EQ(data[28] | data[29] << 8, 32);  // bits per pixel
        EXPECT_EQ(data.size(), 54u + 24u * 24u * 4u);
        EXPECT_EQ(c.about->Bitmap()->data, LoadAboutBitmapResource(c.number)->data);
    }
}

}  // namespace
