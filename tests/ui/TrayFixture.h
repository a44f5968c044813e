#pragma once
// The main window's tray, status-bar clock and placement parts over real
// widgets (offscreen), wired as the main window wires them, with the toolkit
// hub and the settings schema, on the virtual clock of FakePlatform. The
// desktop is one 1920 x 1080 screen; the window's outer size is the
// program's 330 x 560 until it is shown (the offscreen platform then adds a
// frame of its own). The tray is taken as present unless a test says
// otherwise.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "QtTestApp.h"
#include "settings/SettingsSchema.h"
#include "store/muDataHolder.h"
#include "support/FakePlatform.h"
#include "toolkit/Timer.h"
#include "toolkit/mCloseTimer.h"
#include "hub/mVedadAzaro.h"
#include "toolkit/qt/QtForm.h"
#include "ui/MainMenus.h"
#include "ui/ProgramActions.h"
#include "ui/ProgramView.h"
#include "ui/SocketActions.h"
#include "ui/StatusClock.h"
#include "ui/TrayMenu.h"
#include "ui/WindowPlacement.h"

class TrayFixture : public ::testing::Test {
protected:
    struct Balloon {
        QString title;
        QString text;
        int timeout;
    };

    void SetUp() override {
        EnsureQtTestApp();
        TTrayMenu::SetTrayAvailableForTests(1);
        window = std::make_unique<QMainWindow>();
        form = std::make_unique<QtForm>(window.get());
        view = std::make_unique<TProgramView>(window.get(), *form);
        sockets = std::make_unique<TSocketActions>(window.get(), *form);
        actions = std::make_unique<TProgramActions>(window.get(), *form);
        menus = std::make_unique<TMainMenus>(window.get(), *form, *actions, *sockets);
        window->resize(330, 560);  // never shown unframed: the outer size
        hub = std::make_unique<TmVedadAzaro>();
        hub->setApplication(&application);
        RegisterSettingsSchema(*hub->Dataholder());

        clock = std::make_unique<TStatusClock>(
            TStatusClock::TLinks{view->StatusPanel(0), view->StatusPanel(1), &deadline,
                                 [this] { return Holder().getValueBoolean("AC_Visible"); },
                                 [this] { tray->ShowCloseWarning(); }, [this] { tray->HideMainWindow(); },
                                 [this] { placement->mCloseTimer_15min()->SetEnabled(false); }});
        placement = std::make_unique<TWindowPlacement>(TWindowPlacement::TLinks{
            window.get(), form.get(), hub.get(), nullptr, actions.get(), menus->ActionLook_Or_Unlook(),
            clock.get(), [] { return static_cast<TmuLogging*>(nullptr); }, [this] { return noExit; },
            [this] {
                ++realCloses;
                window->close();
            },
            [this] { tray->HideMainWindow(); }});
        tray = std::make_unique<TTrayMenu>(TTrayMenu::TLinks{
            window.get(), form.get(), actions.get(), sockets.get(), clock.get(), placement.get(),
            [this] { return hub->Dataholder(); }, [] { return static_cast<TmuLogging*>(nullptr); },
            [this](bool value) { noExit = value; }, [this] { ++silentCleared; }, [this] { ++silentClosed; }});
        tray->SetOnBalloon([this](const QString& t, const QString& x, int ms) {
            balloons.push_back(Balloon{t, x, ms});
        });
    }

    void TearDown() override {
        tray.reset();
        placement.reset();
        clock.reset();
        hub.reset();
        menus.reset();
        actions.reset();
        sockets.reset();
        view.reset();
        form.reset();
        window.reset();
        TTrayMenu::SetTrayAvailableForTests(-1);
    }

    TmuDataholder& Holder() {
        hub->Dataholder()->clearUseIndexSection();
        return *hub->Dataholder();
    }
    bool ACVisible() { return Holder().getValueBoolean("AC_Visible"); }
    QString Countdown() const { return view->StatusPanel(1)->text(); }
    Timer* Tick() const { return clock->Timer_Datetime(); }
    TmCloseTimer* CloseTimer() const { return placement->mCloseTimer_15min(); }

    // The window shown by the tray's show action: countdown and close timer
    // running from now on.
    void ShowByTray() { actions->Action_AC_Prg_Show()->trigger(); }

    FakePlatform platform;
    FakeApplication application;
    std::int64_t deadline = 0;
    bool noExit = true;
    int realCloses = 0;
    int silentCleared = 0;
    int silentClosed = 0;
    std::vector<Balloon> balloons;

    std::unique_ptr<QMainWindow> window;
    std::unique_ptr<QtForm> form;
    std::unique_ptr<TProgramView> view;
    std::unique_ptr<TSocketActions> sockets;
    std::unique_ptr<TProgramActions> actions;
    std::unique_ptr<TMainMenus> menus;
    std::unique_ptr<TmVedadAzaro> hub;
    std::unique_ptr<TStatusClock> clock;
    std::unique_ptr<TWindowPlacement> placement;
    std::unique_ptr<TTrayMenu> tray;
};
