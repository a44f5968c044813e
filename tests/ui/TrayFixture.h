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
#include "hub/mVedadAzaro.h"
#include "settings/SettingsSchema.h"
#include "store/muDataHolder.h"
#include "support/FakePlatform.h"
#include "toolkit/Timer.h"
#include "toolkit/mCloseTimer.h"
#include "toolkit/qt/QtForm.h"
#include "ui/MainMenus.h"
#include "ui/ProgramActions.h"
#include "ui/ProgramView.h"
#include "ui/SocketActions.h"
#include "ui/StatusClock.h"
#include "ui/TrayMenu.h"
#include "ui/WindowParts.h"
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
        hub = std::make_unique<TmVedadAzaro>();
        hub->setApplication(&application);
        RegisterSettingsSchema(*hub->Dataholder());

        window = std::make_unique<QMainWindow>();
        form = std::make_unique<QtForm>(window.get());
        parts = std::make_unique<TWindowParts>(TWindowParts::TWindow{
            .window = window.get(), .form = form.get(), .hub = hub.get(), .programLogging = [] {
                return static_cast<TmuLogging*>(nullptr);
            }});
        parts->BuildView();
        view = parts->View();
        sockets = parts->SocketActions();
        actions = parts->ProgramActions();
        menus = parts->MainMenus();
        window->resize(330, 560);  // never shown unframed: the outer size

        parts->BuildTray(TWindowParts::TTrayInputs{.closeTimerOwner = nullptr,
                                                   .autoCloseDeadline = &deadline,
                                                   .noExit = [this] { return noExit; },
                                                   .setNoExit = [this](bool value) { noExit = value; },
                                                   .closeMainWindow =
                                                       [this] {
                                                           ++realCloses;
                                                           window->close();
                                                       },
                                                   .clearSilentStart = [this] { ++silentCleared; },
                                                   .closeSilentWindow = [this] { ++silentClosed; }});
        clock = parts->StatusClock();
        placement = parts->WindowPlacement();
        tray = parts->TrayMenu();
        tray->SetOnBalloon([this](const QString& t, const QString& x, int ms) {
            balloons.push_back(Balloon{t, x, ms});
        });
    }

    void TearDown() override {
        parts.reset();
        form.reset();
        window.reset();
        hub.reset();
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

    std::unique_ptr<TmVedadAzaro> hub;
    std::unique_ptr<QMainWindow> window;
    std::unique_ptr<QtForm> form;
    std::unique_ptr<TWindowParts> parts;
    // The parts' own, as the main window builds them.
    TProgramView* view = nullptr;
    TSocketActions* sockets = nullptr;
    TProgramActions* actions = nullptr;
    TMainMenus* menus = nullptr;
    TStatusClock* clock = nullptr;
    TWindowPlacement* placement = nullptr;
    TTrayMenu* tray = nullptr;
};
