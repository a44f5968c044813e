// The tray icon and its popup: entries, drawn captions, help contexts, the
// socket submenu in three columns, and the show, hide and quit actions
// with and without a system tray.
#include <QKeyEvent>
#include <QSystemTrayIcon>
#include <QWindow>

#include "TrayFixture.h"
#include "toolkit/qt/ColumnMenu.h"
#include "toolkit/qt/mTrayIconPopup.h"
#include "ui/ImageList.h"

namespace {

using TrayMenuTest = TrayFixture;

TEST_F(TrayMenuTest, PopupEntriesInOrderWithDrawnCaptionsHelpAndActions) {
    TmTrayIconPopup* popup = tray->mTrayIconPopup1();
    EXPECT_EQ(tray->TrayIcon1()->contextMenu(), popup);
    EXPECT_EQ(popup->PopupHeight(), 210);
    EXPECT_EQ(popup->Prog().Name, QStringLiteral("Tavrin"));
    EXPECT_EQ(popup->Firm().Name, QStringLiteral("Tavrin-Projekt"));
    EXPECT_EQ(TmTrayIconPopup::FontSize(popup->Prog().Font), 7);  // 9 pixels
    EXPECT_EQ(popup->Prog().BackgroundColor, QColor(0, 0, 255));
    EXPECT_EQ(form->FindControl("mTrayIconPopup1")->HelpContext(), 220);

    QStringList order;
    for (QAction* a : popup->actions())
        order << (a->isSeparator() ? QStringLiteral("-")
                  : a->menu()      ? a->menu()->objectName()
                                   : a->objectName());
    EXPECT_EQ(order, (QStringList{"Tray_Steckdosen_Popup", "Notaus2", "-", "Tray_Tavrin_offnen",
                                  "Tray_Tavrin_schliesen", "-", "Tray_Einstellungen", "-", "Tray_Update",
                                  "Tray_Info", "-", "Tray_Beenden"}));

    struct Case {
        const char* name;
        const char* drawn;
        QAction* bound;
        int help;
    };
    const Case cases[] = {
        {"Notaus2", "&Notaus", actions->Action_DangerOFF(), 0},
        {"Tray_Tavrin_offnen", "Tavrin öff&nen", actions->Action_AC_Prg_Show(), 0},
        {"Tray_Tavrin_schliesen", "Tavrin &schließen", actions->Action_AC_Prg_Hide(), 220},
        {"Tray_Einstellungen", "&Einstellungen", actions->Action_AC_Prg_Setup(), 230},
        {"Tray_Update", "&Updates", nullptr, 240},
        {"Tray_Info", "&Info", actions->Action_AC_Prg_Info(), 250},
        {"Tray_Beenden", "&Beenden", nullptr, 260},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QtControl* control = form->FindControl(c.name, ControlClass::MenuItem);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->BoundAction(), c.bound);
        EXPECT_EQ(control->HelpContext(), c.help);
        EXPECT_EQ(popup->ItemCaption(tray->Entry(QString::fromLatin1(c.name))), QString::fromUtf8(c.drawn));
    }
    EXPECT_EQ(popup->ItemCaption(tray->Tray_Steckdosen_Popup()->menuAction()), QStringLiteral("Steckdosen"));
    // The action captions stay their own.
    EXPECT_EQ(tray->Entry(QStringLiteral("Notaus2"))->text(), QStringLiteral("&NOTAUS"));
    EXPECT_EQ(tray->Entry(QStringLiteral("Tray_Update"))->text(), QStringLiteral("&Update"));
}

TEST_F(TrayMenuTest, SocketSubmenuInThreeColumnsOfTheTrayEntries) {
    TColumnMenu* menu = tray->Tray_Steckdosen_Popup();
    const auto columns = menu->Columns();
    ASSERT_EQ(columns.size(), 3);
    for (int c = 0; c < 3; ++c) {
        SCOPED_TRACE(c);
        ASSERT_EQ(columns[c].size(), 9);
        for (int i = 0; i < 9; ++i) {
            if (i == 4) {
                EXPECT_TRUE(columns[c][i]->isSeparator());
                continue;
            }
            const int n = c * 8 + (i < 4 ? i : i - 1) + 1;
            EXPECT_EQ(columns[c][i], sockets->MenuEntry(QStringLiteral("Tray_Steckdose"), n));
            EXPECT_EQ(columns[c][i]->objectName(), QStringLiteral("Tray_Steckdose%1").arg(n));
        }
    }

    // Switching from the tray while the window is hidden: the entry shows
    // the new caption at once.
    std::vector<int> toggled;
    sockets->SetOnToggle([&](int n) {
        toggled.push_back(n);
        sockets->Toggle(n)->setText(TSocketActions::ToggleCaption(n, true));
        sockets->Toggle(n)->setIcon(TImageList::Icon(TImageList::SocketOn));
    });
    menu->popup(QPoint(10, 10));
    QAction* eleven = sockets->MenuEntry(QStringLiteral("Tray_Steckdose"), 11);
    menu->setActiveAction(eleven);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(menu, &enter);
    EXPECT_EQ(toggled, std::vector<int>{11});
    EXPECT_EQ(eleven->text(), QStringLiteral("Steckdose 11 - ON"));
    EXPECT_EQ(TImageList::IndexOf(eleven->icon()), TImageList::SocketOn);
}

TEST_F(TrayMenuTest, ShowActionArmsThePeriodAndShowsTheWindow) {
    platform.Advance(5000);
    tray->Entry(QStringLiteral("Tray_Tavrin_offnen"))->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(noExit);
    EXPECT_EQ(deadline, platform.NowMs() + 15 * 60 * 1000);
    EXPECT_TRUE(Tick()->Enabled());
    EXPECT_TRUE(CloseTimer()->Enabled());
    EXPECT_TRUE(ACVisible());
    EXPECT_EQ(silentCleared, 1);
}

TEST_F(TrayMenuTest, HideActionStopsTheCountdownButNotTheCloseTimer) {
    ShowByTray();
    noExit = false;
    tray->Entry(QStringLiteral("Tray_Tavrin_schliesen"))->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(noExit);
    EXPECT_FALSE(Tick()->Enabled());
    EXPECT_TRUE(CloseTimer()->Enabled());
    EXPECT_FALSE(ACVisible());
    EXPECT_EQ(silentCleared, 2);
}

TEST_F(TrayMenuTest, UpdateDoesNothing) {
    ShowByTray();
    const std::int64_t before = deadline;
    tray->Entry(QStringLiteral("Tray_Update"))->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(noExit);
    EXPECT_EQ(deadline, before);
    EXPECT_EQ(silentClosed, 0);
}

TEST_F(TrayMenuTest, QuitFromTheMenuTheActionAndTheBalloon) {
    int closes = 0;
    struct CloseCounter : QObject {
        int* count;
        explicit CloseCounter(int* c) : count(c) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Close) ++*count;
            return false;
        }
    } counter(&closes);
    window->installEventFilter(&counter);

    const std::vector<std::function<void()>> quits = {
        [&] { tray->Entry(QStringLiteral("Tray_Beenden"))->trigger(); },
        [&] { actions->Action_TrayPrg_CloseExecute()->trigger(); },
        // A click on the balloon: the quit follows once the press is over.
        [&] {
            emit tray->TrayIcon1()->messageClicked();
            QCoreApplication::processEvents();
        },
    };
    for (std::size_t i = 0; i < quits.size(); ++i) {
        SCOPED_TRACE(i);
        ShowByTray();
        ASSERT_TRUE(noExit);
        quits[i]();
        EXPECT_FALSE(noExit);
        EXPECT_EQ(silentClosed, static_cast<int>(i + 1));
        EXPECT_EQ(closes, static_cast<int>(i + 1));
        EXPECT_FALSE(window->isVisible());
    }
    window->removeEventFilter(&counter);
}

// Qt's X11 icon reports every press on the icon as a balloon click while a
// balloon is up, followed in the same press by the icon's activation; only
// a balloon click on its own ends the program. (The end-to-end test
// test_tray_balloon.sh presses the real icon and the real balloon.)
TEST_F(TrayMenuTest, APressOnTheIconWhileTheBalloonIsUpDoesNotQuit) {
    ShowByTray();
    tray->ShowCloseWarning();
    const QSystemTrayIcon::ActivationReason reasons[] = {QSystemTrayIcon::Context, QSystemTrayIcon::Trigger,
                                                         QSystemTrayIcon::MiddleClick};
    for (QSystemTrayIcon::ActivationReason reason : reasons) {
        SCOPED_TRACE(reason);
        emit tray->TrayIcon1()->messageClicked();
        emit tray->TrayIcon1()->activated(reason);
        QCoreApplication::processEvents();
        EXPECT_TRUE(noExit);
        EXPECT_EQ(silentClosed, 0);
        EXPECT_TRUE(window->isVisible());
    }
    // The balloon's own click still ends it, once.
    emit tray->TrayIcon1()->messageClicked();
    emit tray->TrayIcon1()->messageClicked();
    QCoreApplication::processEvents();
    EXPECT_FALSE(noExit);
    EXPECT_EQ(silentClosed, 1);
}

// The title bar: the system menu (with the close box) and help, neither
// minimise nor maximise; without a tray the window keeps minimise.
TEST_F(TrayMenuTest, TheTitleBarOffersTheSystemMenuAndHelpOnly) {
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowContextHelpButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
}

TEST_F(TrayMenuTest, WarningBalloonAtMostOncePerRun) {
    tray->ShowCloseWarning();
    tray->ShowCloseWarning();
    EXPECT_EQ(balloons.size(), 1u);
    EXPECT_EQ(tray->TrayIconTag(), 1);
}

TEST_F(TrayMenuTest, WithoutATrayHidingMinimisesAndRestoringShows) {
    TTrayMenu::SetTrayAvailableForTests(0);
    ShowByTray();
    tray->Entry(QStringLiteral("Tray_Tavrin_schliesen"))->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isMinimized());
    EXPECT_FALSE(ACVisible());
    EXPECT_FALSE(Tick()->Enabled());

    // Back from the task bar: as the show action.
    platform.Advance(60 * 1000);
    window->showNormal();
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(ACVisible());
    EXPECT_TRUE(Tick()->Enabled());
    EXPECT_EQ(deadline, platform.NowMs() + 15 * 60 * 1000);

    // The countdown's end minimises too.
    platform.Advance(15 * 60 * 1000);
    EXPECT_TRUE(window->isMinimized());

    // A close by the program itself still closes.
    window->showNormal();
    window->close();
    EXPECT_FALSE(window->isVisible());
}

}  // namespace
