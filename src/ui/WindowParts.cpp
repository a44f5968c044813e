#include "ui/WindowParts.h"

#include <QMainWindow>
#include <utility>

#include "hub/mVedadAzaro.h"
#include "settings/SettingsKeys.h"
#include "store/muDataHolder.h"
#include "toolkit/mCloseTimer.h"
#include "ui/BoxSession.h"
#include "ui/DialogFrame.h"
#include "ui/EmergencyOff.h"
#include "ui/HelpBinding.h"
#include "ui/MainMenus.h"
#include "ui/ProgramActions.h"
#include "ui/ProgramView.h"
#include "ui/SilentStart.h"
#include "ui/SocketActions.h"
#include "ui/SocketEditor.h"
#include "ui/SocketPages.h"
#include "ui/SocketSwitching.h"
#include "ui/StatusClock.h"
#include "ui/TrayMenu.h"
#include "ui/WindowPlacement.h"

TWindowParts::TWindowParts(TWindow window) : window_(std::move(window)) {}

TWindowParts::~TWindowParts() = default;

void TWindowParts::BuildView() {
    // The widgets, actions and menus in the order of the window resource.
    QtForm& form = *window_.form;
    view_ = std::make_unique<TProgramView>(window_.window, form);
    socketActions_ = std::make_unique<TSocketActions>(window_.window, form);
    programActions_ = std::make_unique<TProgramActions>(window_.window, form);
    mainMenus_ = std::make_unique<TMainMenus>(window_.window, form, *programActions_, *socketActions_);
    view_->BindActions(form, *programActions_);
}

void TWindowParts::BuildHelp() {
    helpBinding_ = std::make_unique<THelpBinding>(
        THelpBinding::TLinks{.form = *window_.form,
                             .hub = *window_.hub,
                             .helpAction = programActions_->Action_AC_Prg_Help(),
                             .programLogging = window_.programLogging});
}

void TWindowParts::BuildTray(TTrayInputs inputs) {
    // Both auto-hide timers wait for the start-up to find a box.
    TmVedadAzaro* hub = window_.hub;
    statusClock_ = std::make_unique<TStatusClock>(TStatusClock::TLinks{
        .datePanel = view_->StatusPanel(0),
        .countdownPanel = view_->StatusPanel(1),
        .deadline = inputs.autoCloseDeadline,
        .acVisible =
            [hub] {
                hub->Dataholder()->clearUseIndexSection();
                return Keys::Get(*hub->Dataholder(), Keys::WindowVisible);
            },
        .showWarning = [this] { trayMenu_->ShowCloseWarning(); },
        .hideMainWindow = [this] { trayMenu_->HideMainWindow(); },
        .stopCloseTimer = [this] { windowPlacement_->mCloseTimer_15min()->SetEnabled(false); }});
    windowPlacement_ = std::make_unique<TWindowPlacement>(
        TWindowPlacement::TLinks{.window = window_.window,
                                 .form = window_.form,
                                 .hub = hub,
                                 .closeTimerOwner = inputs.closeTimerOwner,
                                 .actions = programActions_.get(),
                                 .lockItem = mainMenus_->ActionLook_Or_Unlook(),
                                 .clock = statusClock_.get(),
                                 .programLogging = window_.programLogging,
                                 .noExit = std::move(inputs.noExit),
                                 .closeMainWindow = std::move(inputs.closeMainWindow),
                                 .hideMainWindow = [this] { trayMenu_->HideMainWindow(); }});
    windowPlacement_->FixWindowSize();
    trayMenu_ = std::make_unique<TTrayMenu>(
        TTrayMenu::TLinks{.window = window_.window,
                          .form = window_.form,
                          .actions = programActions_.get(),
                          .sockets = socketActions_.get(),
                          .clock = statusClock_.get(),
                          .placement = windowPlacement_.get(),
                          .dataholder = [hub] { return hub->Dataholder(); },
                          .programLogging = window_.programLogging,
                          .setNoExit = std::move(inputs.setNoExit),
                          .clearSilentStart = std::move(inputs.clearSilentStart),
                          .closeSilentWindow = std::move(inputs.closeSilentWindow)});
}

void TWindowParts::BuildBox(TBoxInputs inputs) {
    // The controller with its one queue, then the widgets that show it.
    box_ = std::make_unique<TBoxController>(TBoxController::TLinks{.hub = window_.hub,
                                                                   .port = inputs.port,
                                                                   .atCmd = std::move(inputs.atCmd),
                                                                   .programLogging = window_.programLogging,
                                                                   .activity = std::move(inputs.activity)},
                                            inputs.state);
    box_->Queue().SetApplication(inputs.application);
    switching_ = std::make_unique<TSocketSwitching>(TSocketSwitching::TParts{.form = window_.form,
                                                                             .view = view_.get(),
                                                                             .actions = socketActions_.get(),
                                                                             .hub = window_.hub,
                                                                             .controller = box_.get()});
    pages_ = std::make_unique<TSocketPages>(*window_.form, *view_, *socketActions_, *switching_, *window_.hub,
                                            window_.programLogging);
    socketActions_->SetOnToggle([this](int n) { box_->Multi_Action_Steckdose_ToggleExecute(n); });
    socketActions_->SetOnButtonToggle([this](int n) { box_->Multi_Action_Steckdose_BTN_ToggleExecute(n); });
    boxSession_ = std::make_unique<TBoxSession>(TBoxSession::TParts{.window = window_.window,
                                                                    .view = view_.get(),
                                                                    .pages = pages_.get(),
                                                                    .switching = switching_.get(),
                                                                    .controller = box_.get(),
                                                                    .settings = std::move(inputs.settings)});
    box_->SetView(boxSession_.get());
}

void TWindowParts::BuildCommands(TCommandInputs inputs) {
    silentStart_ = std::make_unique<TSilentStart>(TSilentStart::TLinks{
        .window = *window_.window,
        .hub = *window_.hub,
        .actions = *programActions_,
        .session = *boxSession_,
        .setInitStart = std::move(inputs.setInitStart),
        .enableCloseTimer =
            [this](bool on) {
                TmCloseTimer* timer = windowPlacement_ ? windowPlacement_->mCloseTimer_15min() : nullptr;
                if (timer) timer->SetEnabled(on);
            },
        .programLogging = window_.programLogging});
    socketEditor_ = std::make_unique<TSocketEditor>(
        TSocketEditor::TParts{.window = *window_.window,
                              .form = *window_.form,
                              .actions = *socketActions_,
                              .pages = *pages_,
                              .hub = *window_.hub},
        TSocketEditor::THooks{.programLogging = window_.programLogging,
                              .dialog = std::move(inputs.editDialog),
                              .locked = [this] { return DialogFrame::MainWindowLocked(mainMenus_.get()); }});
    emergencyOff_ = std::make_unique<TEmergencyOff>(
        TEmergencyOff::TParts{.controller = box_.get(), .dangerOff = programActions_->Action_DangerOFF()});
}
