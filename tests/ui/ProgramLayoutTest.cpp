// The main window's widget content: what is registered, in which order, and
// how the controls are laid out.
#include <QComboBox>
#include <QEnterEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>
#include <QToolButton>
#include <QToolTip>

#include "LayoutFixture.h"
#include "support/FakePlatform.h"
#include "ui/ImageList.h"

namespace {

using ProgramLayoutTest = LayoutFixture;

std::vector<std::string> ExpectedRegistry() {
    std::vector<std::string> names = {"Image_BK_Banner", "Image_Job_Icon", "Label_AC_Prg_Name",
                                      "Panel1",          "SpeedButton1",   "TabControl_AC_Dosen"};
    const char* panels[] = {"Panel_AC1X", "Panel_AC2X", "Panel_ACX3", "Panel_ACX4"};
    for (int k = 1; k <= 4; ++k) {
        const std::string K = std::to_string(k);
        names.insert(names.end(), {panels[k - 1], "SpeedButton_ACX" + K, "GroupBox_ACX" + K, "ACNameX" + K,
                                   "SpeedButton_EditX" + K});
    }
    names.insert(names.end(),
                 {"Panel_AC_Steckdosen", "Label_AC", "ComboBox_AC_Steckdosen", "StatusBar_DateActive"});
    for (int n = 1; n <= 24; ++n) {
        const std::string NN = (n < 10 ? "0" : "") + std::to_string(n);
        for (const char* kind : {"_Toggle", "_BTN_Toggle", "_Edit"})
            names.push_back("Action_Std" + NN + kind);
    }
    names.insert(names.end(), {"Action_DangerOFF", "Action_AC_Prg_Hide", "Action_AC_Prg_Show",
                               "Action_TrayPrg_CloseExecute", "Action_AC_Prg_Setup", "Action_AC_Prg_Info",
                               "Action_AC_Prg_Help", "Action_Lock_Unlook"});
    for (const auto& preset : TProgramActions::DesktopPresets()) names.push_back(preset.actionName);
    names.insert(names.end(), {"Action_SetAutoStart", "Action_SetSilent", "Action_InitAutoStart"});
    names.insert(names.end(), {"MainMenu1", "Menu_Datei", "Tavrin_schliesen", "Beenden", "Menu_Einstellungen",
                               "Menu_Steckdosen"});
    for (int n = 1; n <= 24; ++n) names.push_back("ItemSteckdose" + std::to_string(n));
    names.insert(names.end(),
                 {"Menu_Hilfe", "Hilfe", "Info", "ActionLook_Or_Unlook", "Tray_Steckdosen_Popup"});
    for (int n = 1; n <= 24; ++n) names.push_back("Tray_Steckdose" + std::to_string(n));
    return names;
}

TEST_F(ProgramLayoutTest, RegistryHoldsEveryNamedControlInCreationOrder) {
    EXPECT_EQ(RegisteredNames(), ExpectedRegistry());
}

TEST_F(ProgramLayoutTest, ControlsAreFoundByExactNameAndClass) {
    struct Case {
        const char* name;
        ControlClass cls;
        QObject* expected;
    };
    const Case cases[] = {
        {"SpeedButton_ACX3", ControlClass::SpeedButton, view->SpeedButton_ACX(3)},
        {"SpeedButton_EditX2", ControlClass::SpeedButton, view->SpeedButton_EditX(2)},
        {"GroupBox_ACX4", ControlClass::GroupBox, view->GroupBox_ACX(4)},
        {"ACNameX1", ControlClass::Label, view->ACNameX(1)},
        {"Panel_ACX3", ControlClass::Panel, view->SlotPanel(3)},
        {"Panel_AC2X", ControlClass::Panel, view->SlotPanel(2)},
        {"Panel1", ControlClass::Panel, view->Panel1()},
        {"SpeedButton1", ControlClass::SpeedButton, view->SpeedButton1()},
        {"Label_AC_Prg_Name", ControlClass::Label, view->Label_AC_Prg_Name()},
        {"ComboBox_AC_Steckdosen", ControlClass::ComboBox, view->ComboBox_AC_Steckdosen()},
        {"TabControl_AC_Dosen", ControlClass::Control, view->TabControl_AC_Dosen()},
        {"StatusBar_DateActive", ControlClass::Control, view->StatusBar_DateActive()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QtControl* control = Find(c.name, c.cls);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->Object(), c.expected);
    }
    // Letter case counts, and the class must fit.
    EXPECT_EQ(Find("speedbutton_acx3"), nullptr);
    EXPECT_EQ(Find("ACNameX1", ControlClass::SpeedButton), nullptr);
    EXPECT_EQ(Find("SpeedButton_ACX5"), nullptr);
    // Pictures are no labels: a label caption search does not reach them.
    EXPECT_EQ(Find("Image_BK_Banner", ControlClass::Label), nullptr);
    EXPECT_EQ(Find("Image_Job_Icon", ControlClass::Label), nullptr);
}

TEST_F(ProgramLayoutTest, SlotsCarryTheirFormCaptionsSizesAndHelp) {
    for (int k = 1; k <= 4; ++k) {
        SCOPED_TRACE(k);
        QToolButton* button = view->SpeedButton_ACX(k);
        EXPECT_EQ(button->size(), QSize(78, 79));
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
        EXPECT_EQ(button->iconSize(), QSize(64, 64));
        EXPECT_FALSE(button->icon().isNull());

        QGroupBox* group = view->GroupBox_ACX(k);
        EXPECT_EQ(group->title(), QStringLiteral(" Steckdose %1 ").arg(k));
        EXPECT_EQ(group->width(), 228);
        EXPECT_TRUE(group->font().bold());

        QLabel* name = view->ACNameX(k);
        EXPECT_EQ(name->text(), QStringLiteral("Steckdosenname"));
        EXPECT_EQ(name->parentWidget(), group);
        EXPECT_EQ(name->pos(), QPoint(12, 25));
        EXPECT_TRUE(name->font().bold());
        EXPECT_EQ(name->font().pixelSize(), 15);
        EXPECT_EQ(Find("ACNameX" + std::to_string(k))->HelpContext(), 160);

        QToolButton* edit = view->SpeedButton_EditX(k);
        EXPECT_EQ(edit->parentWidget(), group);
        EXPECT_EQ(edit->geometry(), QRect(160, 49, 54, 22));
        EXPECT_EQ(TImageList::IndexOf(edit->icon()), TImageList::Edit);

        EXPECT_EQ(view->SlotPanel(k)->height(), 81);
    }
    EXPECT_EQ(view->SpeedButton_ACX(0), nullptr);
    EXPECT_EQ(view->GroupBox_ACX(5), nullptr);
}

TEST_F(ProgramLayoutTest, BandsFromBannerToStatusBar) {
    window->show();
    window->layout()->activate();

    EXPECT_EQ(window->size(), QSize(TProgramView::ClientWidth, TProgramView::ClientHeight));
    EXPECT_EQ(window->font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(window->font().pointSize(), 8);

    EXPECT_EQ(view->Image_Job_Icon()->geometry(), QRect(8, 4, 33, 33));
    EXPECT_EQ(view->Label_AC_Prg_Name()->x(), 48);
    EXPECT_EQ(view->Label_AC_Prg_Name()->text(), QStringLiteral("Tavrin..."));
    const QFont nameFont = view->Label_AC_Prg_Name()->font();
    EXPECT_TRUE(nameFont.bold());
    EXPECT_EQ(nameFont.pixelSize(), 21);
    EXPECT_EQ(view->Label_AC_Prg_Name()->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(view->Image_BK_Banner()->height(), 44);

    EXPECT_EQ(view->Panel1()->height(), 41);
    EXPECT_EQ(view->Panel1()->palette().color(QPalette::Window), QColor(218, 229, 249));
    QToolButton* emergency = view->SpeedButton1();
    EXPECT_EQ(emergency->parentWidget(), view->Panel1());
    EXPECT_EQ(emergency->size(), QSize(323, 34));
    EXPECT_TRUE(emergency->font().bold());
    EXPECT_EQ(emergency->font().pixelSize(), 15);
    EXPECT_EQ(emergency->toolTip(), QStringLiteral("Steckdosen NOTAUS "));

    // The four slots stacked from the top of the socket area, the tabs below them.
    QTabBar* tabs = view->TabControl_AC_Dosen();
    EXPECT_EQ(tabs->shape(), QTabBar::RoundedSouth);
    EXPECT_TRUE(tabs->font().bold());
    EXPECT_EQ(tabs->count(), 0);
    EXPECT_EQ(tabs->currentIndex(), -1);
    for (int k = 2; k <= 4; ++k) EXPECT_EQ(view->SlotPanel(k)->y(), view->SlotPanel(k - 1)->y() + 81) << k;
    EXPECT_GE(tabs->y(), view->SlotPanel(4)->y() + 81);
    EXPECT_EQ(tabs->parentWidget()->height(), 364);

    EXPECT_EQ(view->Panel_AC_Steckdosen()->height(), 33);
    EXPECT_EQ(view->Label_AC()->text(), QStringLiteral("AC-Dosen"));
    EXPECT_EQ(view->ComboBox_AC_Steckdosen()->width(), 259);

    QStatusBar* bar = view->StatusBar_DateActive();
    EXPECT_EQ(window->statusBar(), bar);
    EXPECT_EQ(bar->height(), 25);
    EXPECT_EQ(view->StatusPanel(0)->text(), QStringLiteral("Datum:"));
    EXPECT_EQ(view->StatusPanel(0)->width(), 155);
    EXPECT_EQ(view->StatusPanel(1)->text(), QStringLiteral("Aktiv ca.:"));
    EXPECT_GE(view->StatusPanel(1)->width(), 50);
    EXPECT_EQ(view->StatusPanel(2), nullptr);

    // Bands in order, top to bottom.
    auto top = [&](QWidget* w) { return w->mapTo(window.get(), QPoint(0, 0)).y(); };
    EXPECT_LT(top(window->menuBar()), top(view->Image_BK_Banner()));
    EXPECT_LT(top(view->Image_BK_Banner()), top(view->Panel1()));
    EXPECT_LT(top(view->Panel1()), top(view->SlotPanel(1)));
    EXPECT_LT(top(tabs), top(view->Panel_AC_Steckdosen()));
    EXPECT_LT(top(view->Panel_AC_Steckdosen()), top(bar));
}

TEST_F(ProgramLayoutTest, SixPageTabsFitSideBySideWithTheirTextWhole) {
    window->show();
    QTabBar* tabs = view->TabControl_AC_Dosen();
    for (const char* caption : {"   1-4   ", "   5-8   ", "   9-12  ", "  13-16  ", "  17-20  ", "  21-24  "})
        tabs->addTab(QString::fromLatin1(caption));
    window->layout()->activate();
    tabs->resize(tabs->width(), tabs->height());  // lay the tabs out at the final width
    const QFontMetrics metrics(tabs->font());
    for (int i = 0; i < tabs->count(); ++i) {
        SCOPED_TRACE(i);
        const QRect rect = tabs->tabRect(i);
        EXPECT_LE(rect.right(), tabs->width());
        EXPECT_GE(rect.width(), metrics.horizontalAdvance(tabs->tabText(i).trimmed()));
    }
}

TEST_F(ProgramLayoutTest, EmergencyButtonRunsTheEmergencyOffAction) {
    QToolButton* button = view->SpeedButton1();
    EXPECT_EQ(Find("SpeedButton1", ControlClass::SpeedButton)->BoundAction(), actions->Action_DangerOFF());
    EXPECT_EQ(button->text(), QStringLiteral("&NOTAUS"));
    EXPECT_EQ(button->toolTip(), QStringLiteral("Steckdosen NOTAUS "));
    EXPECT_EQ(TImageList::IndexOf(button->icon()), TImageList::EmergencyOff);
    int runs = 0;
    SetActionExecuteHandler(actions->Action_DangerOFF(), [&] { ++runs; });
    button->click();
    EXPECT_EQ(runs, 1);
}

// A socket name from the box file is shown as typed, markup and all, on
// the page label and on every other label of the window.
TEST_F(ProgramLayoutTest, NamesFromFilesAreShownAsPlainText) {
    const QString name = QStringLiteral("<b><font color=red>Drucker</font></b><img src=\"x.png\">");
    Find("ACNameX1", ControlClass::Label)->SetCaption(name.toStdString());
    EXPECT_EQ(view->ACNameX(1)->text(), name);
    int labels = 0;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!form->ControlOf(label)) continue;
        SCOPED_TRACE(label->objectName().toStdString());
        ++labels;
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
    }
    EXPECT_GE(labels, 5);  // the banner's name, the four socket names, ...
}

// The page buttons' hint comes after the mouse has rested 2 s on the
// button, not at the window system's shorter delay.
TEST_F(ProgramLayoutTest, PageButtonHintsWaitTwoSeconds) {
    FakePlatform platform;  // the hint's clock and timer
    QToolButton* button = view->SpeedButton_ACX(1);
    button->setToolTip(QStringLiteral("Steckdose schalten."));
    window->show();
    QCoreApplication::processEvents();
    QToolTip::hideText();
    const QPoint at(button->width() / 2, button->height() / 2);
    QEnterEvent enter(at, button->mapTo(window.get(), at), button->mapToGlobal(at));
    QHelpEvent ask(QEvent::ToolTip, at, button->mapToGlobal(at));
    QEvent leave(QEvent::Leave);

    // Left before the time: no hint.
    QCoreApplication::sendEvent(button, &enter);
    platform.Advance(700);  // the window system asks for the hint
    QCoreApplication::sendEvent(button, &ask);
    QCoreApplication::sendEvent(button, &leave);
    platform.Advance(3000);
    QCoreApplication::processEvents();
    EXPECT_FALSE(QToolTip::isVisible());

    // Resting on it: the hint at 2 s, not before.
    QCoreApplication::sendEvent(button, &enter);
    platform.Advance(700);
    QCoreApplication::sendEvent(button, &ask);
    QCoreApplication::processEvents();
    EXPECT_FALSE(QToolTip::isVisible());
    platform.Advance(1200);  // 1.9 s
    QCoreApplication::processEvents();
    EXPECT_FALSE(QToolTip::isVisible());
    platform.Advance(100);  // 2 s
    QCoreApplication::processEvents();
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Steckdose schalten."));
    QToolTip::hideText();
    TearDown();  // the window and its hint timer go before the platform
}

// Space then Return at start: neither the emergency off nor a socket.
TEST_F(ProgramLayoutTest, TheKeyboardStartsInTheSocketAreaNotOnNotaus) {
    int emergencies = 0;
    std::vector<int> pressed;
    SetActionExecuteHandler(actions->Action_DangerOFF(), [&] { ++emergencies; });
    sockets->SetOnButtonToggle([&](int n) { pressed.push_back(n); });
    for (int k = 1; k <= 4; ++k)
        Find("SpeedButton_ACX" + std::to_string(k), ControlClass::SpeedButton)
            ->SetAction(AsAction(sockets->ButtonToggle(k)));
    view->TabControl_AC_Dosen()->addTab(QStringLiteral(" 1-4 "));
    view->TabControl_AC_Dosen()->addTab(QStringLiteral(" 5-8 "));

    window->show();
    window->activateWindow();
    QCoreApplication::processEvents();
    QWidget* focus = window->focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus, view->TabControl_AC_Dosen());
    EXPECT_NE(focus, view->SpeedButton1());

    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return}) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(window->focusWidget(), &down);
        QCoreApplication::sendEvent(window->focusWidget(), &up);
    }
    EXPECT_EQ(emergencies, 0);
    EXPECT_TRUE(pressed.empty());
}

TEST_F(ProgramLayoutTest, BindingThePageButtonActionKeepsTheGlyphAndTakesTheHint) {
    QtControl* page = Find("SpeedButton_ACX2", ControlClass::SpeedButton);
    QtControl* edit = Find("SpeedButton_EditX2", ControlClass::SpeedButton);
    const qint64 glyph = view->SpeedButton_ACX(2)->icon().cacheKey();
    page->SetAction(AsAction(sockets->ButtonToggle(6)));
    edit->SetAction(AsAction(sockets->Edit(6)));
    EXPECT_EQ(view->SpeedButton_ACX(2)->icon().cacheKey(), glyph);
    EXPECT_EQ(view->SpeedButton_ACX(2)->toolTip(), QStringLiteral("Steckdose schalten."));
    EXPECT_EQ(view->SpeedButton_EditX(2)->toolTip(), QStringLiteral("Steckdose editieren."));
    EXPECT_EQ(TImageList::IndexOf(view->SpeedButton_EditX(2)->icon()), TImageList::Edit);

    std::vector<int> pressed, edited;
    sockets->SetOnButtonToggle([&](int n) { pressed.push_back(n); });
    sockets->SetOnEdit([&](int n) { edited.push_back(n); });
    view->SpeedButton_ACX(2)->click();
    view->SpeedButton_EditX(2)->click();
    EXPECT_EQ(pressed, std::vector<int>{6});
    EXPECT_EQ(edited, std::vector<int>{6});
}

}  // namespace
