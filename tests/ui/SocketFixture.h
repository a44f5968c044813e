#pragma once
// The main window's socket parts over real widgets (offscreen): the view,
// the socket actions with their main-menu and tray entries, the toolkit hub
// with the settings schema, the settings dialog (for its COM-port memo), the
// command exchange and the AT layer on an in-process port with a simulated
// box on COM3, and the socket switching and socket pages wired as the main
// window wires them. Time is the virtual clock of FakePlatform, so every wait
// for the box costs nothing.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QToolButton>
#include <memory>
#include <string>
#include <vector>

#include "QtTestApp.h"
#include "device/BoxController.h"
#include "device/SimulatedSerialPort.h"
#include "device/muATCmd.h"
#include "hub/mVedadAzaro.h"
#include "settings/SettingsSchema.h"
#include "store/muDataHolder.h"
#include "support/FakePlatform.h"
#include "toolkit/qt/QtForm.h"
#include "ui/AC_Prg_Einstellung.h"
#include "ui/BoxSession.h"
#include "ui/ImageList.h"
#include "ui/MainMenus.h"
#include "ui/ProgramActions.h"
#include "ui/ProgramView.h"
#include "ui/SocketActions.h"
#include "ui/SocketPages.h"
#include "ui/SocketSwitching.h"
#include "ui/WindowParts.h"

class SocketFixture : public ::testing::Test {
protected:
    static constexpr int kComNo = 3;

    void SetUp() override { Build(BoxConfig("USB-NELTA8")); }

    // Builds everything around a USB-NELTA8 on COM3 that answers a switching
    // command with "OK WAIT", one "WAIT" and then "SET PORT ...".
    void Build(TNeltaBoxConfig config) {
        EnsureQtTestApp();
        hub = std::make_unique<TmVedadAzaro>();
        hub->setApplication(&application);
        RegisterSettingsSchema(*hub->Dataholder());

        window = std::make_unique<QMainWindow>();
        form = std::make_unique<QtForm>(window.get());
        parts = std::make_unique<TWindowParts>(TWindowParts::TWindow{
            .window = window.get(), .form = form.get(), .hub = hub.get(), .programLogging = {}});
        parts->BuildView();
        view = parts->View();
        sockets = parts->SocketActions();
        actions = parts->ProgramActions();
        menus = parts->MainMenus();
        trayMenu = sockets->CreateTraySocketMenu(window.get());

        settings = std::make_unique<TAC_Einstellung>();

        port.AddBox(kComNo, std::move(config));
        port.SetPort("COM" + std::to_string(kComNo));
        port.SetConnected(true);
        atCmd = std::make_unique<TmuATCmd>();
        atCmd->SetATComPort(&port);
        atCmd->SetTimeout(TmuATCmd::kSearchTimeout);
        atCmd->setApplication(&application);

        parts->BuildBox(TWindowParts::TBoxInputs{.port = &port,
                                                 .atCmd = [this] { return atCmd.get(); },
                                                 .activity = [this] { ++autoHideRestarts; },
                                                 .state = {.InitStart = &initStart,
                                                           .ACDosenCount = &acDosenCount,
                                                           .COMPortLogging = &comPortLogging},
                                                 .application = &application,
                                                 .settings = [this] { return settings.get(); }});
        controller = parts->Box();
        switching = parts->Switching();
        pages = parts->Pages();
        session = parts->BoxSession();
        controller->Queue().SetErrorReport(
            [this](const std::string& text) { reportedErrors.push_back(text); });
        // Every wait serves the messages through the queue, as in the program.
        hub->setApplication(&controller->Queue().Pump());
        atCmd->setApplication(&controller->Queue().Pump());
        settings->SetBoxLinks({.hub = hub.get(), .box = controller});
        switching->LoadGlyphs();
    }

    void TearDown() override {
        application.onProcess = nullptr;
        if (controller) controller->SetView(nullptr);
        parts.reset();
        atCmd.reset();
        settings.reset();
        hub.reset();
        form.reset();
        window.reset();
    }

    // Page tabs for a box of `count` sockets, the first one shown.
    void MakeTabs(int count) {
        QTabBar* tabs = view->TabControl_AC_Dosen();
        while (tabs->count() > 0) tabs->removeTab(0);
        for (int first = 1; first <= count; first += 4)
            tabs->addTab(QStringLiteral("%1-%2").arg(first).arg(first + 3));
        tabs->setCurrentIndex(0);
    }

    TNeltaBox& Box() { return *port.Box(kComNo); }
    static TNeltaBoxConfig BoxConfig(const std::string& model, int busyAnswers = 2,
                                     TNeltaFault fault = TNeltaFault::None) {
        TNeltaBoxConfig config;
        config.model = model;
        config.busyAnswers = busyAnswers;
        config.fault = fault;
        // Echo and reply arrive together: the response wait reads whatever
        // has come once two bytes are there, and a bare echo holds no reply.
        config.replyDelayMs = 0;
        return config;
    }
    // Puts a box of another configuration on COM3 (the port stays open).
    TNeltaBox& ReplaceBox(TNeltaBoxConfig config) {
        seenCommands = 0;
        return port.AddBox(kComNo, std::move(config));
    }

    // The command lines the box received since the last call (a bare
    // carriage return gives "").
    std::vector<std::string> TakeCommands() {
        std::vector<std::string> out;
        const auto& all = Box().Commands();
        for (size_t i = seenCommands; i < all.size(); ++i) out.push_back(all[i].text);
        seenCommands = all.size();
        return out;
    }

    std::vector<std::string> MemoLines() const {
        std::vector<std::string> lines;
        const QString text = settings->Memo_COMPort()->toPlainText();
        if (text.isEmpty()) return lines;
        for (const QString& line : text.split(QLatin1Char('\n'))) lines.push_back(line.toStdString());
        return lines;
    }
    void ClearMemo() { settings->Memo_COMPort()->clear(); }

    bool Power(int n) {
        return hub->Dataholder()->getValueBoolean("AC01|AC|ACPower" +
                                                  TSocketActions::TwoDigits(n).toStdString());
    }
    void SetPower(int n, bool on) {
        hub->Dataholder()->setValueBoolean("AC01|AC|ACPower" + TSocketActions::TwoDigits(n).toStdString(),
                                           on);
    }

    QToolButton* Button(int k) const { return view->SpeedButton_ACX(k); }
    bool ShowsGreen(int k) const {
        return Button(k)->icon().cacheKey() == switching->GlyphGreen().cacheKey();
    }
    bool ShowsGray(int k) const { return Button(k)->icon().cacheKey() == switching->GlyphGray().cacheKey(); }

    // The socket's menu-entry action as the user chooses it.
    void ChooseMenuEntry(int n) { sockets->MenuEntry(QStringLiteral("ItemSteckdose"), n)->trigger(); }
    void ClickPageButton(int k) { form->ControlOf(Button(k))->Click(); }

    FakePlatform platform;
    FakeApplication application;
    SimulatedSerialPort port;
    bool comPortLogging = true;
    bool initStart = true;
    int acDosenCount = 0;
    int autoHideRestarts = 0;
    std::vector<std::string> reportedErrors;
    size_t seenCommands = 0;

    std::unique_ptr<TmVedadAzaro> hub;
    std::unique_ptr<QMainWindow> window;
    std::unique_ptr<QtForm> form;
    std::unique_ptr<TWindowParts> parts;
    // The parts' own, as the main window builds them.
    TProgramView* view = nullptr;
    TSocketActions* sockets = nullptr;
    TProgramActions* actions = nullptr;
    TMainMenus* menus = nullptr;
    QMenu* trayMenu = nullptr;
    std::unique_ptr<TAC_Einstellung> settings;
    std::unique_ptr<TmuATCmd> atCmd;
    TBoxController* controller = nullptr;
    TSocketSwitching* switching = nullptr;
    TSocketPages* pages = nullptr;
    TBoxSession* session = nullptr;
};
