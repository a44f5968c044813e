// The nine desktop presets, the stored position, the close timer's expiry
// and the lock on top.
#include <QMouseEvent>

#include "TrayFixture.h"
#include "toolkit/muOperationSystem.h"
#include "ui/ImageList.h"

namespace {

using WindowPlacementTest = TrayFixture;

TEST(WindowPlacementGeometry, PresetsOnAFullHdDesktop) {
    struct Case {
        int index;
        QPoint at;
    };
    const Case cases[] = {
        {0, {10, 10}},    {1, {795, 10}}, {2, {1580, 10}}, {3, {10, 250}},   {4, {785, 250}},
        {5, {1580, 250}}, {6, {10, 485}}, {7, {785, 485}}, {8, {1580, 485}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TWindowPlacement::PresetPosition(c.index, 1920, 1080, 330, 560), c.at) << c.index;

    // Halving drops the fraction term by term: 1921/2 - 331/2 = 960 - 165.
    EXPECT_EQ(TWindowPlacement::PresetPosition(1, 1921, 1081, 331, 561), QPoint(795, 10));
    EXPECT_EQ(TWindowPlacement::PresetPosition(4, 1921, 1081, 331, 561), QPoint(785, 250));
    EXPECT_EQ(TWindowPlacement::PresetPosition(9, 1920, 1080, 330, 560), QPoint());
}

TEST_F(WindowPlacementTest, DesktopActionsMoveTheWindowAndStoreThePreset) {
    struct Case {
        int index;
        const char* stored;
        QPoint at;
    };
    const Case cases[] = {
        {1, "TopMiddle", {795, 10}}, {4, "Middle", {785, 250}}, {8, "ButtomRight", {1580, 485}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        actions->Action_Desktop(c.index)->trigger();
        EXPECT_EQ(window->pos(), c.at);
        EXPECT_EQ(Holder().getValueString("INI|TAVRIN|FormPos"), c.stored);
        EXPECT_EQ(Holder().getValueInteger("INI|TAVRIN|PositionX"), c.at.x());
        EXPECT_EQ(Holder().getValueInteger("INI|TAVRIN|PositionY"), c.at.y());
    }
    // The desktop is all monitors together.
    platform.desktop = {0, 0, 3840, 1080};
    actions->Action_Desktop(2)->trigger();
    EXPECT_EQ(window->pos(), QPoint(3500, 10));
    EXPECT_EQ(Holder().getValueString("INI|TAVRIN|FormPos"), "TopRight");
}

TEST_F(WindowPlacementTest, MouseMoveStoresWhereTheWindowIs) {
    window->move(321, 123);
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(326, 128), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &move);
    EXPECT_EQ(Holder().getValueInteger("INI|TAVRIN|PositionX"), 321);
    EXPECT_EQ(Holder().getValueInteger("INI|TAVRIN|PositionY"), 123);
    EXPECT_EQ(Holder().getValueString("INI|TAVRIN|FormPos"), "TopLeft");  // the preset stays
}

TEST_F(WindowPlacementTest, PresetsUseTheOuterSizeFrameIncluded) {
    EXPECT_EQ(placement->OuterSize(), QSize(330, 560));
    placement->FixWindowSize();
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    window->show();
    const QSize outer = window->frameGeometry().size();
    EXPECT_EQ(placement->OuterSize(), outer);
    actions->Action_Desktop(8)->trigger();
    EXPECT_EQ(window->frameGeometry().topLeft(),
              QPoint(1920 - outer.width() - 10, 1080 - outer.height() - 35));
    EXPECT_EQ(window->size(), QSize(330, 560));  // not resizable
}

TEST_F(WindowPlacementTest, CloseTimerExpiryHidesOrEndsByNoExit) {
    ShowByTray();
    ASSERT_TRUE(ACVisible());
    Tick()->SetEnabled(false);  // the close timer alone
    platform.Advance(15 * 60 * 1000);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(ACVisible());
    EXPECT_EQ(realCloses, 0);

    // With NoExit cleared the expiry closes the window for real.
    ShowByTray();
    noExit = false;
    placement->mCloseTimer_15minCloseTimer();
    EXPECT_EQ(realCloses, 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(ACVisible());
}

TEST_F(WindowPlacementTest, LockPinsTheWindowOnTopAndBack) {
    window->show();
    QAction* item = menus->ActionLook_Or_Unlook();
    placement->InitLockMenuItem();
    EXPECT_EQ(item->property("tag").toInt(), 0);
    EXPECT_EQ(TImageList::IndexOf(item->icon()), TImageList::Unlocked);

    item->trigger();  // the menu-bar item runs Action_Lock_Unlook
    EXPECT_TRUE(placement->Locked());
    EXPECT_EQ(item->property("tag").toInt(), 1);
    EXPECT_EQ(TImageList::IndexOf(item->icon()), TImageList::Locked);
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window->isVisible());

    item->trigger();
    EXPECT_FALSE(placement->Locked());
    EXPECT_EQ(TImageList::IndexOf(item->icon()), TImageList::Unlocked);
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window->isVisible());
}

// Opening a dialog while locked takes the main window off the top; the
// band change shows the window again natively, which is no show of the
// window: its show handler (FormShow, which re-pins a locked window) must
// not put it back on top at once.
TEST_F(WindowPlacementTest, ADialogTakesTheTopFromTheLockedWindow) {
    struct ShowHandler : QObject {
        TWindowPlacement* placement;
        int shows = 0;
        explicit ShowHandler(TWindowPlacement* p) : placement(p) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Show) {
                ++shows;
                placement->RepinIfLocked();
            }
            return false;
        }
    } formShow(placement);
    window->installEventFilter(&formShow);
    window->show();
    actions->Action_Lock_Unlook()->trigger();
    ASSERT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    hub->OperationSystem()->Delete_WindowOnTheTop(form.get());  // the hand-over to the dialog
    EXPECT_GT(formShow.shows, 1);                               // the band change did show it again
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(placement->Locked());

    // A real show later pins it again.
    window->hide();
    window->show();
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    window->removeEventFilter(&formShow);
}

TEST_F(WindowPlacementTest, ALockedWindowIsPinnedAgainWhenShown) {
    window->show();
    actions->Action_Lock_Unlook()->trigger();
    // A dialog took the top, then the window was hidden and shown again.
    form->SetStayOnTop(false);
    window->hide();
    window->show();
    placement->RepinIfLocked();
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(placement->Locked());

    // Unlocked windows are left alone.
    actions->Action_Lock_Unlook()->trigger();
    placement->RepinIfLocked();
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

}  // namespace
