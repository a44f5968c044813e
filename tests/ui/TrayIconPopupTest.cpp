// The owner-drawn tray popup: band geometry, the text placement rule, the
// growing popup height, the font limit, and what a paint really puts on
// the screen (bands, turned names, items from x = 45).
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QPainter>

#include "QtTestApp.h"
#include "support/FakePlatform.h"
#include "toolkit/mAboutVersion.h"
#include "toolkit/muLogging.h"
#include "toolkit/qt/mTrayIconPopup.h"

namespace {

class TrayIconPopupTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtTestApp();
        popup = std::make_unique<TmTrayIconPopup>();
    }

    // The program's own settings: maker's name and "Tavrin", 9 px fonts.
    void UseProgramBands() {
        popup->Firm().Name = QStringLiteral("Tavrin-Projekt");
        popup->Prog().Name = QStringLiteral("Tavrin");
        TmTrayIconPopup::SetFontHeight(popup->Firm().Font, -9);
        TmTrayIconPopup::SetFontHeight(popup->Prog().Font, -9);
        popup->SetPopupHeight(210);
    }

    // The popup painted into an image of its own size.
    QImage Render() {
        popup->adjustSize();
        popup->resize(popup->sizeHint());
        QImage image(popup->size(), QImage::Format_RGB32);
        image.fill(Qt::black);
        popup->render(&image);
        return image;
    }

    FakePlatform platform;
    std::unique_ptr<TmTrayIconPopup> popup;
};

TEST_F(TrayIconPopupTest, TextPlacementAlongTheBand) {
    struct Case {
        TmOrientation orient;
        int height, length, size, expected;
    };
    const Case cases[] = {
        // mid = (210 - 6 * 7) / 2 = 84
        {TmOrientation::mLeft, 210, 6, 7, 77},
        {TmOrientation::mCenter, 210, 6, 7, 84},
        {TmOrientation::mRight, 210, 6, 7, 91},
        // a name longer than the band: mid <= 0
        {TmOrientation::mLeft, 100, 20, 7, -7},
        {TmOrientation::mCenter, 100, 20, 7, 7},
        {TmOrientation::mRight, 100, 20, 7, 7},
        // mid exactly 0 counts as "no room"
        {TmOrientation::mCenter, 42, 6, 7, 7},
        // odd remainder truncated: (211 - 42) / 2 = 84; (-1) / 2 = 0, not -1
        {TmOrientation::mLeft, 211, 6, 7, 77},
        {TmOrientation::mRight, 41, 6, 7, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.orient) << " " << c.height << " " << c.length);
        EXPECT_EQ(popup->getPosition(c.orient, c.height, c.length, c.size), c.expected);
    }
}

TEST_F(TrayIconPopupTest, BandsOfTheProgramsTrayMenu) {
    UseProgramBands();
    const TmBarLayout layout = popup->CalcBarLayout();
    EXPECT_EQ(layout.extra, 0);
    EXPECT_EQ(layout.popupHeight, 210);

    EXPECT_EQ(layout.firm.band, QRect(0, 0, 20, 210));
    EXPECT_EQ(layout.firm.fontSize, 7);
    EXPECT_EQ(layout.firm.extent, 98);  // 14 characters
    EXPECT_EQ(layout.firm.offset, 49);  // (210 - 98) / 2 - 7
    EXPECT_EQ(layout.firm.textOrigin, QPoint(2, 147));

    EXPECT_EQ(layout.prog.band, QRect(20, 0, 20, 210));
    EXPECT_EQ(layout.prog.extent, 42);
    EXPECT_EQ(layout.prog.offset, 77);
    EXPECT_EQ(layout.prog.textOrigin, QPoint(22, 119));

    // The turned fonts are two pixels taller than the 7-point fonts (9 px).
    EXPECT_EQ(TmTrayIconPopup::TurnedFont(popup->Prog().Font).pixelSize(), 11);
}

TEST_F(TrayIconPopupTest, PopupHeightOnlyGrows) {
    popup->Prog().Name = QString(30, QLatin1Char('x'));
    popup->Firm().Name = QStringLiteral("Tavrin-Projekt");

    for (int start : {0, 150}) {
        popup->SetPopupHeight(start);
        EXPECT_EQ(popup->CalcBarLayout().popupHeight, 210) << start;
        EXPECT_EQ(popup->PopupHeight(), 210);
    }

    // Taller than any name needs: kept, also after the name gets shorter.
    popup->SetPopupHeight(300);
    EXPECT_EQ(popup->CalcBarLayout().popupHeight, 300);
    popup->SetPopupHeight(0);
    popup->CalcBarLayout();
    popup->Prog().Name = QStringLiteral("Tavrin");
    EXPECT_EQ(popup->CalcBarLayout().popupHeight, 210);
    EXPECT_EQ(popup->PopupHeight(), 210);
}

TEST_F(TrayIconPopupTest, NewerWindowFramesAddTenPixels) {
    platform.osVersion.platformId = 2;
    platform.osVersion.major = 6;
    platform.osVersion.minor = 1;
    popup->Prog().Name = QString(30, QLatin1Char('x'));
    const TmBarLayout layout = popup->CalcBarLayout();
    EXPECT_EQ(layout.extra, 10);
    EXPECT_EQ(layout.popupHeight, 220);

    // A system that refuses its version is painted without the extra.
    platform.osVersionFails = true;
    popup->SetPopupHeight(0);
    EXPECT_EQ(popup->CalcBarLayout().popupHeight, 210);
}

TEST_F(TrayIconPopupTest, FontsAreLimitedToSevenPointsAndStaySo) {
    popup->Firm().Font.setPointSize(9);
    popup->Prog().Font.setPixelSize(16);  // 12 points
    popup->Prog().Name = QStringLiteral("Tavrin");
    const TmBarLayout layout = popup->CalcBarLayout();
    EXPECT_EQ(layout.firm.fontSize, 7);
    EXPECT_EQ(layout.prog.fontSize, 7);
    EXPECT_EQ(layout.prog.extent, 42);
    EXPECT_EQ(popup->Firm().Font.pointSize(), 7);
    EXPECT_EQ(popup->Prog().Font.pointSize(), 7);

    // Smaller fonts are left alone.
    popup->Firm().Font.setPointSize(5);
    EXPECT_EQ(popup->CalcBarLayout().firm.fontSize, 5);
    EXPECT_EQ(popup->Firm().Font.pointSize(), 5);
}

TEST_F(TrayIconPopupTest, CenteredNameLongerThanTheBandStartsAtTheFontSize) {
    popup->Prog().Orient = TmOrientation::mCenter;
    popup->Prog().Name = QString(40, QLatin1Char('x'));  // 280 > 210
    popup->SetPopupHeight(0);
    const TmBarLayout layout = popup->CalcBarLayout();
    // The long name itself raises the height to its extent: mid = 0.
    EXPECT_EQ(layout.popupHeight, 280);
    EXPECT_EQ(layout.prog.offset, 7);
    EXPECT_EQ(layout.prog.textOrigin.y(), 287);
}

// Fraction of white pixels in a rectangle of the image.
double WhiteShare(const QImage& image, const QRect& r) {
    int white = 0;
    int all = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            ++all;
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 200 && c.blue() > 200) ++white;
        }
    return all ? double(white) / all : 0.0;
}

TEST_F(TrayIconPopupTest, PaintShowsBandsTurnedNamesAndItemsFromX45) {
    UseProgramBands();
    auto* first = popup->addAction(QStringLiteral("&Beenden"));
    auto* second = popup->addAction(QStringLiteral("&Update"));
    popup->SetItemCaption(second, QStringLiteral("&Updates"));
    popup->setActiveAction(first);

    const QImage image = Render();
    ASSERT_GE(image.height(), 210);  // the bands' names fit in the menu

    // Band colours where no text is.
    EXPECT_EQ(image.pixelColor(10, 3), QColor(128, 128, 128));
    EXPECT_EQ(image.pixelColor(30, 3), QColor(0, 0, 255));

    // The names run upward from their start: "Tavrin" between y 77 and 119
    // in the program band, "Tavrin-Projekt" between 49 and 147 in the firm
    // band; nothing white above or below.
    EXPECT_GT(WhiteShare(image, QRect(22, 80, 11, 36)), 0.05);
    EXPECT_EQ(WhiteShare(image, QRect(21, 125, 18, 80)), 0.0);
    EXPECT_EQ(WhiteShare(image, QRect(21, 5, 18, 65)), 0.0);
    EXPECT_GT(WhiteShare(image, QRect(2, 52, 11, 92)), 0.05);
    EXPECT_EQ(WhiteShare(image, QRect(1, 155, 18, 50)), 0.0);

    // The selected item is filled with the highlight colour from x = 45 on,
    // the other one with the menu colour; the gap 40..44 is neither.
    const QRect firstRect = popup->actionGeometry(first);
    const QRect secondRect = popup->actionGeometry(second);
    const QColor highlight = popup->palette().color(QPalette::Highlight);
    const QColor menu = popup->palette().color(QPalette::Window);
    EXPECT_EQ(image.pixelColor(45, firstRect.top() + 1), highlight);
    EXPECT_EQ(image.pixelColor(image.width() - 5, firstRect.top() + 1), highlight);
    EXPECT_NE(image.pixelColor(43, firstRect.top() + 1), highlight);
    EXPECT_EQ(image.pixelColor(45, secondRect.top() + 1), menu);

    // The drawn captions are those the items were given.
    EXPECT_EQ(popup->ItemCaption(second), QStringLiteral("&Updates"));
    EXPECT_EQ(popup->ItemCaption(first), QStringLiteral("&Beenden"));
    EXPECT_EQ(popup->Caption(), QStringLiteral("&Updates"));  // drawn last
    EXPECT_GE(popup->sizeHint().width(),
              TmTrayIconPopup::ItemLeft + popup->fontMetrics().horizontalAdvance(QStringLiteral("Updates")));
}

TEST_F(TrayIconPopupTest, SelectingAnotherItemRepaintsItInTheHighlight) {
    UseProgramBands();
    auto* first = popup->addAction(QStringLiteral("eins"));
    auto* second = popup->addAction(QStringLiteral("zwei"));
    popup->setActiveAction(second);
    const QImage image = Render();
    const QColor highlight = popup->palette().color(QPalette::Highlight);
    EXPECT_EQ(image.pixelColor(46, popup->actionGeometry(second).top() + 1), highlight);
    EXPECT_NE(image.pixelColor(46, popup->actionGeometry(first).top() + 1), highlight);
    // The bands are painted again with every item.
    EXPECT_EQ(image.pixelColor(30, 3), QColor(0, 0, 255));
}

TEST_F(TrayIconPopupTest, DefaultsAndVersionRecord) {
    TmTrayIconPopup fresh;
    EXPECT_EQ(fresh.PopupHeight(), 0);
    EXPECT_EQ(fresh.Firm().Name, QStringLiteral("Default firm"));
    EXPECT_EQ(fresh.Prog().Name, QStringLiteral("Default program"));
    EXPECT_EQ(fresh.Firm().BackgroundColor, QColor(128, 128, 128));
    EXPECT_EQ(fresh.Prog().BackgroundColor, QColor(0, 0, 255));
    EXPECT_EQ(TmTrayIconPopup::FontSize(fresh.Firm().Font), 7);
    EXPECT_TRUE(fresh.Firm().Font.bold());
    EXPECT_EQ(fresh.Prog().Orient, TmOrientation::mLeft);
    EXPECT_EQ(fresh.Log()->CompoName(), "mTrayIconPopup");
    ASSERT_NE(fresh.OperationSystem(), nullptr);
    ASSERT_NE(fresh.About(), nullptr);
    EXPECT_EQ(fresh.About()->ComponentName(), "mTrayIconPopup");
    EXPECT_EQ(fresh.About()->ComponentVersion(), "1.0.0.4");
    EXPECT_EQ(fresh.About()->ComponentDate(), "21.06.2018");
    ASSERT_NE(fresh.About()->Bitmap(), nullptr);
    // A device-independent bitmap file: "BM", 32 x 32.
    const auto& data = fresh.About()->Bitmap()->data;
    ASSERT_GT(data.size(), 26u);
    EXPECT_EQ(data[0], 'B');
    EXPECT_EQ(data[1], 'M');
    EXPECT_EQ(data[18], 32);
    EXPECT_EQ(data[22], 32);
}

}  // namespace
