#include <gtest/gtest.h>

#include <QAction>
#include <QImage>

#include "QtTestApp.h"
#include "ui/ImageList.h"

namespace {

class ImageListTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureQtTestApp(); }
};

TEST_F(ImageListTest, EveryEntryHasBothSizesAndIsFoundAgainThroughAnAction) {
    for (int i = 0; i < TImageList::Count; ++i) {
        SCOPED_TRACE(i);
        QIcon icon = TImageList::Icon(i);
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.pixmap(16, 16).size(), QSize(16, 16));
        EXPECT_EQ(icon.pixmap(32, 32).size(), QSize(32, 32));
        QAction action;
        action.setIcon(icon);
        EXPECT_EQ(TImageList::IndexOf(action.icon()), i);
    }
    // Entries are distinct pictures.
    EXPECT_NE(TImageList::Icon(TImageList::Unlocked).pixmap(32, 32).toImage(),
              TImageList::Icon(TImageList::Locked).pixmap(32, 32).toImage());
    EXPECT_NE(TImageList::Icon(TImageList::SocketOff).pixmap(16, 16).toImage(),
              TImageList::Icon(TImageList::SocketOn).pixmap(16, 16).toImage());
}

TEST_F(ImageListTest, OutOfRangeIndexesGiveNothing) {
    for (int i : {-1, TImageList::Count, 1000}) {
        EXPECT_TRUE(TImageList::Icon(i).isNull()) << i;
        EXPECT_TRUE(TImageList::IconPath(i, 16).isEmpty()) << i;
    }
    EXPECT_EQ(TImageList::IndexOf(QIcon()), -1);
    EXPECT_EQ(TImageList::IndexOf(TImageList::ProgramIcon()), -1);
}

// Average colour of the opaque pixels.
void MeanColour(const QImage& image, double& r, double& g, double& b) {
    double n = 0;
    r = g = b = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QColor c = image.pixelColor(x, y);
            if (c.alpha() < 200) continue;
            r += c.red();
            g += c.green();
            b += c.blue();
            ++n;
        }
    }
    ASSERT_GT(n, 0);
    r /= n;
    g /= n;
    b /= n;
}

TEST_F(ImageListTest, GlyphsAre64PixelsInGreyGreenAndRed) {
    struct Case {
        int number;
        char dominant;  // 'n' none (grey), 'g' green, 'r' red
    } cases[] = {{1000, 'n'}, {1001, 'g'}, {1002, 'r'}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        QPixmap glyph = TImageList::Glyph(c.number);
        ASSERT_FALSE(glyph.isNull());
        EXPECT_EQ(glyph.size(), QSize(64, 64));
        QImage image = glyph.toImage();
        EXPECT_TRUE(image.hasAlphaChannel());
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "corners are transparent";
        double r, g, b;
        MeanColour(image, r, g, b);
        switch (c.dominant) {
            case 'n':
                EXPECT_NEAR(r, g, 6);
                EXPECT_NEAR(g, b, 6);
                break;
            case 'g':
                EXPECT_GT(g, r + 40);
                EXPECT_GT(g, b + 40);
                break;
            case 'r':
                EXPECT_GT(r, g + 40);
                EXPECT_GT(r, b + 40);
                break;
        }
    }
    EXPECT_TRUE(TImageList::Glyph(999).isNull());
    EXPECT_TRUE(TImageList::Glyph(1003).isNull());
}

TEST_F(ImageListTest, ProgramIconAndBannerArePresent) {
    QIcon icon = TImageList::ProgramIcon();
    for (int size : {16, 32, 48, 64, 128, 256}) {
        EXPECT_EQ(icon.pixmap(size, size).size(), QSize(size, size)) << size;
    }
    EXPECT_FALSE(TImageList::Banner().isNull());
}

}  // namespace
