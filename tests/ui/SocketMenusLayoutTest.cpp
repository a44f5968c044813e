// The 72 socket actions, the socket entries of the main menu and the tray
// menu, the program actions and the menu bar.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "LayoutFixture.h"
#include "toolkit/qt/ColumnMenu.h"
#include "ui/ImageList.h"

namespace {

using SocketMenusLayoutTest = LayoutFixture;

QString NN(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

TEST_F(SocketMenusLayoutTest, SocketActionsHaveTheirNamesCaptionsHintsImagesAndHelp) {
    for (int n = 1; n <= 24; ++n) {
        SCOPED_TRACE(n);
        QAction* toggle = sockets->Toggle(n);
        QAction* button = sockets->ButtonToggle(n);
        QAction* edit = sockets->Edit(n);
        ASSERT_TRUE(toggle && button && edit);
        EXPECT_EQ(toggle->objectName(), "Action_Std" + NN(n) + "_Toggle");
        EXPECT_EQ(button->objectName(), "Action_Std" + NN(n) + "_BTN_Toggle");
        EXPECT_EQ(edit->objectName(), "Action_Std" + NN(n) + "_Edit");

        // Before the first restore: two places for the number, image 0.
        const QString caption = n < 10 ? QStringLiteral("Steckdose  %1 - OFF").arg(n)
                                       : QStringLiteral("Steckdose %1 - OFF").arg(n);
        EXPECT_EQ(toggle->text(), caption);
        EXPECT_EQ(TImageList::IndexOf(toggle->icon()), TImageList::SocketOff);
        EXPECT_EQ(toggle->property("category").toString(), QStringLiteral("Steckdose_Toggle"));

        QtControl* buttonControl = form->ControlOf(button);
        EXPECT_EQ(buttonControl->Hint(), "Steckdose schalten.");
        EXPECT_EQ(buttonControl->HelpContext(), 130);
        EXPECT_TRUE(button->icon().isNull());

        EXPECT_EQ(form->ControlOf(edit)->Hint(), "Steckdose editieren.");
        EXPECT_EQ(TImageList::IndexOf(edit->icon()), TImageList::Edit);
        EXPECT_EQ(form->ControlOf(toggle)->Hint(), "");
    }
    EXPECT_EQ(sockets->Toggle(0), nullptr);
    EXPECT_EQ(sockets->Edit(25), nullptr);

    EXPECT_EQ(TSocketActions::ToggleCaption(5, true), QStringLiteral("Steckdose 5 - ON"));
    EXPECT_EQ(TSocketActions::ToggleCaption(12, false), QStringLiteral("Steckdose 12 - OFF"));
}

TEST_F(SocketMenusLayoutTest, EachActionRunsItsHookWithItsOwnSocketNumberOnce) {
    std::vector<std::pair<char, int>> calls;
    sockets->SetOnToggle([&](int n) { calls.push_back({'t', n}); });
    sockets->SetOnButtonToggle([&](int n) { calls.push_back({'b', n}); });
    sockets->SetOnEdit([&](int n) { calls.push_back({'e', n}); });
    sockets->Toggle(3)->trigger();
    sockets->ButtonToggle(10)->trigger();
    sockets->Edit(24)->trigger();
    sockets->Toggle(1)->trigger();
    const std::vector<std::pair<char, int>> expected = {{'t', 3}, {'b', 10}, {'e', 24}, {'t', 1}};
    EXPECT_EQ(calls, expected);

    // A hook replaced later takes over; none set means nothing runs.
    calls.clear();
    sockets->SetOnToggle(nullptr);
    sockets->Toggle(3)->trigger();
    EXPECT_TRUE(calls.empty());
}

TEST_F(SocketMenusLayoutTest, MenuEntriesAreObjectsOfTheirOwnMirroringTheToggleAction) {
    std::vector<int> toggled;
    sockets->SetOnToggle([&](int n) { toggled.push_back(n); });
    for (const char* prefix : {"ItemSteckdose", "Tray_Steckdose"}) {
        for (int n = 1; n <= 24; ++n) {
            SCOPED_TRACE(std::string(prefix) + std::to_string(n));
            QtControl* control = Find(prefix + std::to_string(n), ControlClass::MenuItem);
            ASSERT_NE(control, nullptr);
            QAction* entry = control->ItemAction();
            EXPECT_EQ(entry, sockets->MenuEntry(QString::fromLatin1(prefix), n));
            EXPECT_NE(entry, sockets->Toggle(n));
            EXPECT_EQ(entry->text(), sockets->Toggle(n)->text());
            EXPECT_EQ(TImageList::IndexOf(entry->icon()), TImageList::SocketOff);
        }
    }
    QAction* item5 = sockets->MenuEntry(QStringLiteral("ItemSteckdose"), 5);
    QAction* tray5 = sockets->MenuEntry(QStringLiteral("Tray_Steckdose"), 5);
    ASSERT_NE(item5, tray5);

    // The toggle's caption and image reach both entries at once.
    sockets->Toggle(5)->setText(TSocketActions::ToggleCaption(5, true));
    sockets->Toggle(5)->setIcon(TImageList::Icon(TImageList::SocketOn));
    for (QAction* entry : {item5, tray5}) {
        EXPECT_EQ(entry->text(), QStringLiteral("Steckdose 5 - ON"));
        EXPECT_EQ(TImageList::IndexOf(entry->icon()), TImageList::SocketOn);
    }
    EXPECT_EQ(sockets->MenuEntry(QStringLiteral("ItemSteckdose"), 6)->text(),
              QStringLiteral("Steckdose  6 - OFF"));

    // Visibility and help context belong to each entry alone.
    Find("Tray_Steckdose5", ControlClass::MenuItem)->SetHelpContext(1200);
    item5->setVisible(false);
    EXPECT_TRUE(tray5->isVisible());
    EXPECT_TRUE(sockets->Toggle(5)->isVisible());
    EXPECT_EQ(Find("ItemSteckdose5", ControlClass::MenuItem)->HelpContext(), 0);
    sockets->Toggle(5)->setText(TSocketActions::ToggleCaption(5, false));
    EXPECT_FALSE(item5->isVisible());

    // Choosing an entry runs the socket's toggle, once.
    tray5->trigger();
    item5->trigger();
    sockets->MenuEntry(QStringLiteral("Tray_Steckdose"), 17)->trigger();
    EXPECT_EQ(toggled, (std::vector<int>{5, 5, 17}));

    // "Tray_Steckdose1" names the first entry only, not the tenth.
    EXPECT_EQ(Find("Tray_Steckdose1", ControlClass::MenuItem)->ItemAction(),
              sockets->MenuEntry(QStringLiteral("Tray_Steckdose"), 1));
    EXPECT_EQ(sockets->MenuEntry(QStringLiteral("Tray_Steckdose"), 25), nullptr);
}

TEST_F(SocketMenusLayoutTest, SocketMenusShowGroupsOfFour) {
    for (QMenu* menu : {menus->Menu_Steckdosen(), trayMenu}) {
        SCOPED_TRACE(menu->objectName().toStdString());
        QStringList layout;
        for (QAction* a : menu->actions())
            layout << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        QStringList expected;
        const QString prefix =
            menu == trayMenu ? QStringLiteral("Tray_Steckdose") : QStringLiteral("ItemSteckdose");
        for (int n = 1; n <= 24; ++n) {
            if (n > 1 && (n - 1) % 4 == 0) expected << QStringLiteral("-");
            expected << prefix + QString::number(n);
        }
        EXPECT_EQ(layout, expected);
    }
    // Three columns of eight, each two groups of four; hiding the entries of
    // sockets a smaller box lacks leaves no empty column and no stray line.
    for (QMenu* menu : {menus->Menu_Steckdosen(), trayMenu}) {
        SCOPED_TRACE(menu->objectName().toStdString());
        auto* columnMenu = qobject_cast<TColumnMenu*>(menu);
        ASSERT_NE(columnMenu, nullptr);
        auto describe = [&] {
            QList<QStringList> columns;
            for (const auto& column : columnMenu->Columns()) {
                QStringList names;
                for (QAction* a : column)
                    names << (a->isSeparator() ? QStringLiteral("-") : a->text().simplified());
                columns << names;
            }
            return columns;
        };
        const QList<QStringList> full = describe();
        ASSERT_EQ(full.size(), 3);
        for (int c = 0; c < 3; ++c) {
            ASSERT_EQ(full[c].size(), 9) << c;
            EXPECT_EQ(full[c][0], QStringLiteral("Steckdose %1 - OFF").arg(8 * c + 1));
            EXPECT_EQ(full[c][4], QStringLiteral("-"));
            EXPECT_EQ(full[c][8], QStringLiteral("Steckdose %1 - OFF").arg(8 * c + 8));
        }
        const QString prefix =
            menu == trayMenu ? QStringLiteral("Tray_Steckdose") : QStringLiteral("ItemSteckdose");
        for (int n = 9; n <= 24; ++n) sockets->MenuEntry(prefix, n)->setVisible(false);
        const QList<QStringList> eight = describe();
        ASSERT_EQ(eight.size(), 1);
        EXPECT_EQ(eight[0].size(), 9);
        EXPECT_EQ(eight[0].last(), QStringLiteral("Steckdose 8 - OFF"));
    }

    EXPECT_EQ(trayMenu->objectName(), QStringLiteral("Tray_Steckdosen_Popup"));
    EXPECT_EQ(trayMenu->title(), QStringLiteral("Steckdosen"));
    EXPECT_EQ(TImageList::IndexOf(trayMenu->icon()), TImageList::SocketOff);
    EXPECT_EQ(Find("Tray_Steckdosen_Popup", ControlClass::MenuItem)->HelpContext(), 130);
}

TEST_F(SocketMenusLayoutTest, ProgramActionsHaveTheirCaptionsImagesAndHelp) {
    struct Case {
        QAction* action;
        const char* name;
        const char* caption;
        int image;
        int help;
    };
    const Case cases[] = {
        {actions->Action_DangerOFF(), "Action_DangerOFF", "&NOTAUS", TImageList::EmergencyOff, 0},
        {actions->Action_AC_Prg_Hide(), "Action_AC_Prg_Hide", "Tavrin &schließen", TImageList::Hide, 0},
        {actions->Action_AC_Prg_Show(), "Action_AC_Prg_Show", "Tavrin öff&nen", TImageList::Show, 0},
        {actions->Action_TrayPrg_CloseExecute(), "Action_TrayPrg_CloseExecute", "&Beenden", TImageList::Quit,
         0},
        {actions->Action_AC_Prg_Setup(), "Action_AC_Prg_Setup", "&Einstellung", TImageList::Settings, 80},
        {actions->Action_AC_Prg_Info(), "Action_AC_Prg_Info", "&Info", TImageList::Info, 190},
        {actions->Action_AC_Prg_Help(), "Action_AC_Prg_Help", "&Hilfe", TImageList::Help, 0},
        {actions->Action_Lock_Unlook(), "Action_Lock_Unlook", "", -1, 0},
        {actions->Action_SetAutoStart(), "Action_SetAutoStart", "Windows Autostart vom Tavrin aktivieren.",
         -1, 100},
        {actions->Action_SetSilent(), "Action_SetSilent", "Silent-Modus vom Tavrin aktivieren.", -1, 100},
        {actions->Action_InitAutoStart(), "Action_InitAutoStart", "", -1, 0},
        {actions->Action_Desktop(0), "Action_Desktop_TopLeft", "Oben-Links", -1, 0},
        {actions->Action_Desktop(2), "Action_Desktop_TopRight", "Oben-Rrechts", -1, 0},
        {actions->Action_Desktop(6), "Action_Desktop_ButtomLeft", "Unten-Links", -1, 0},
        {actions->Action_Desktop(8), "Action_Desktop_ButtomRight", "Unten-Rechts", -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(c.action, nullptr);
        EXPECT_EQ(Find(c.name)->Object(), c.action);
        EXPECT_EQ(c.action->text(), QString::fromUtf8(c.caption));
        EXPECT_EQ(TImageList::IndexOf(c.action->icon()), c.image);
        EXPECT_EQ(form->ControlOf(c.action)->HelpContext(), c.help);
        EXPECT_EQ(c.action->property("category").toString(), QStringLiteral("Program"));
    }
    EXPECT_EQ(form->ControlOf(actions->Action_DangerOFF())->Hint(), "Steckdosen NOTAUS ");
    EXPECT_EQ(actions->Action_Desktop(9), nullptr);

    // Stored names select presets by their exact spelling.
    const char* stored[] = {"TopLeft",     "TopMiddle",  "TopRight",     "MiddleLeft", "Middle",
                            "MiddleRight", "ButtomLeft", "ButtomMiddle", "ButtomRight"};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(TProgramActions::DesktopPresetIndex(QString::fromLatin1(stored[i])), i);
        EXPECT_EQ(actions->Action_Desktop(i)->objectName(), QStringLiteral("Action_Desktop_") + stored[i]);
    }
    for (const char* unknown : {"topleft", "BottomRight", "", "Top Left"})
        EXPECT_EQ(TProgramActions::DesktopPresetIndex(QString::fromLatin1(unknown)), -1) << unknown;
}

TEST_F(SocketMenusLayoutTest, MenuBarItemsInOrderBoundToTheirActions) {
    QMenuBar* bar = menus->MainMenu1();
    EXPECT_EQ(window->menuBar(), bar);
    QStringList top;
    for (QAction* a : bar->actions()) top << (a->menu() ? a->menu()->objectName() : a->objectName());
    EXPECT_EQ(top, (QStringList{"Menu_Datei", "Menu_Einstellungen", "Menu_Steckdosen", "Menu_Hilfe",
                                "ActionLook_Or_Unlook"}));

    EXPECT_EQ(menus->Menu_Datei()->title(), QStringLiteral("&Datei"));
    EXPECT_EQ(TImageList::IndexOf(menus->Menu_Datei()->icon()), TImageList::File);
    EXPECT_EQ(Find("Menu_Datei", ControlClass::MenuItem)->HelpContext(), 70);
    EXPECT_EQ(menus->Menu_Steckdosen()->title(), QStringLiteral("&Steckdosen"));
    EXPECT_EQ(TImageList::IndexOf(menus->Menu_Steckdosen()->icon()), TImageList::SocketOff);
    EXPECT_EQ(Find("Menu_Steckdosen", ControlClass::MenuItem)->HelpContext(), 130);
    EXPECT_EQ(menus->Menu_Hilfe()->title(), QString());
    EXPECT_EQ(TImageList::IndexOf(menus->Menu_Hilfe()->icon()), TImageList::Help);
    EXPECT_EQ(Find("Info", ControlClass::MenuItem)->HelpContext(), 190);

    // Items that show their action.
    struct Item {
        const char* name;
        QAction* action;
        const char* caption;
        int image;
    };
    const Item items[] = {
        {"Tavrin_schliesen", actions->Action_AC_Prg_Hide(), "Tavrin &schließen", TImageList::Hide},
        {"Beenden", actions->Action_TrayPrg_CloseExecute(), "&Beenden", TImageList::Quit},
        {"Menu_Einstellungen", actions->Action_AC_Prg_Setup(), "&Einstellung", TImageList::Settings},
        {"Hilfe", actions->Action_AC_Prg_Help(), "&Hilfe", TImageList::Help},
        {"Info", actions->Action_AC_Prg_Info(), "&Info", TImageList::Info},
    };
    for (const Item& item : items) {
        SCOPED_TRACE(item.name);
        QtControl* control = Find(item.name, ControlClass::MenuItem);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->BoundAction(), item.action);
        EXPECT_EQ(control->ItemAction()->text(), QString::fromUtf8(item.caption));
        EXPECT_EQ(TImageList::IndexOf(control->ItemAction()->icon()), item.image);
        int runs = 0;
        SetActionExecuteHandler(item.action, [&] { ++runs; });
        control->ItemAction()->trigger();
        EXPECT_EQ(runs, 1);
    }
    QStringList datei;
    for (QAction* a : menus->Menu_Datei()->actions()) datei << (a->isSeparator() ? "-" : a->objectName());
    EXPECT_EQ(datei, (QStringList{"Tavrin_schliesen", "-", "Beenden"}));

    // The lock item starts unlocked: image 12, tag 0, no caption.
    QAction* lock = menus->ActionLook_Or_Unlook();
    EXPECT_EQ(Find("ActionLook_Or_Unlook", ControlClass::MenuItem)->BoundAction(),
              actions->Action_Lock_Unlook());
    EXPECT_EQ(TImageList::IndexOf(lock->icon()), TImageList::Unlocked);
    EXPECT_EQ(lock->property("tag").toInt(), 0);
    EXPECT_TRUE(lock->text().isEmpty());
}

}  // namespace
