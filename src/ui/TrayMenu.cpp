#include "ui/TrayMenu.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <QWindowStateChangeEvent>

#include "settings/SettingsKeys.h"
#include "store/muDataHolder.h"
#include "toolkit/Timer.h"
#include "toolkit/mCloseTimer.h"
#include "toolkit/muLogging.h"
#include "toolkit/muTraceScope.h"
#include "toolkit/qt/ColumnMenu.h"
#include "toolkit/qt/QtForm.h"
#include "toolkit/qt/mTrayIconPopup.h"
#include "ui/ImageList.h"
#include "ui/ProgramActions.h"
#include "ui/SocketActions.h"
#include "ui/StatusClock.h"
#include "ui/WindowPlacement.h"

namespace {

constexpr auto Pro = TmTraceScope::Kind::Procedure;

int g_trayAvailableForTests = -1;

}  // namespace

// Notes a press delivered to the tray icon's own window (Qt's X11 icon,
// class QSystemTrayIconSys) until the delivery is over.
class TIconPressFilter : public QObject {
public:
    TIconPressFilter(bool* pressOnIcon, QObject* parent) : QObject(parent), pressOnIcon_(pressOnIcon) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) && !*pressOnIcon_ &&
            watched->isWidgetType() &&
            qstrcmp(watched->metaObject()->className(), "QSystemTrayIconSys") == 0) {
            *pressOnIcon_ = true;
            QTimer::singleShot(0, this, [this] { *pressOnIcon_ = false; });
        }
        return false;
    }

private:
    bool* pressOnIcon_;
};

namespace {

// The band fonts of the program's popup: Tahoma, bold, 9 pixels high.
void SetBandFont(TmBandType& band) {
    band.Font = QFont(QStringLiteral("Tahoma"));
    band.Font.setBold(true);
    TmTrayIconPopup::SetFontHeight(band.Font, -9);
    band.FontColor = Qt::white;
    band.Orient = TmOrientation::mLeft;
}

}  // namespace

bool TTrayMenu::TrayAvailable() {
    if (g_trayAvailableForTests >= 0) return g_trayAvailableForTests != 0;
    // The offscreen platform (tests without a display) has no desktop at
    // all; it counts as one with a tray, so the program behaves as usual.
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) return true;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TTrayMenu::SetTrayAvailableForTests(int available) { g_trayAvailableForTests = available; }

TTrayMenu::TTrayMenu(TLinks links) : links_(std::move(links)) {
    QtForm& form = *links_.form;
    TProgramActions& actions = *links_.actions;

    popup_ = new TmTrayIconPopup(links_.window);
    popup_->setObjectName(QStringLiteral("mTrayIconPopup1"));
    popup_->SetName("mTrayIconPopup1");
    popup_->Firm().Name = QString::fromUtf8(kMakerName);
    SetBandFont(popup_->Firm());
    popup_->Firm().BackgroundColor = QColor(128, 128, 128);
    popup_->Prog().Name = QStringLiteral("Tavrin");
    SetBandFont(popup_->Prog());
    popup_->Prog().BackgroundColor = QColor(0, 0, 255);
    popup_->SetPopupHeight(kPopupHeight);
    // The popup is a component of the window, not one of its menu items.
    form.AddControl(popup_, ControlClass::Other)->SetHelpContext(HelpPopup);

    // The socket submenu: three columns of eight, a break before 9 and 17.
    sockets_ = qobject_cast<TColumnMenu*>(links_.sockets->CreateTraySocketMenu(popup_));
    popup_->addMenu(sockets_);
    popup_->SetItemCaption(sockets_->menuAction(), QStringLiteral("Steckdosen"));

    AddEntry("Notaus2", "&Notaus", actions.Action_DangerOFF(), 0);
    popup_->addSeparator();
    AddEntry("Tray_Tavrin_offnen", "Tavrin öff&nen", actions.Action_AC_Prg_Show(), 0);
    AddEntry("Tray_Tavrin_schliesen", "Tavrin &schließen", actions.Action_AC_Prg_Hide(), 220);
    popup_->addSeparator();
    AddEntry("Tray_Einstellungen", "&Einstellungen", actions.Action_AC_Prg_Setup(), 230);
    popup_->addSeparator();
    QAction* update = AddEntry("Tray_Update", "&Updates", nullptr, 240);
    update->setText(QStringLiteral("&Update"));  // no function
    AddEntry("Tray_Info", "&Info", actions.Action_AC_Prg_Info(), 250);
    popup_->addSeparator();
    QAction* quit = AddEntry("Tray_Beenden", "&Beenden", nullptr, 260);
    quit->setText(QStringLiteral("&Beenden"));
    form.ControlOf(quit)->SetOnClick([this] { Action_TrayPrg_CloseExecuteExecute(); });

    SetActionExecuteHandler(actions.Action_AC_Prg_Show(), [this] { Action_AC_Prg_ShowExecute(); });
    SetActionExecuteHandler(actions.Action_AC_Prg_Hide(), [this] { Action_AC_Prg_HideExecute(); });
    SetActionExecuteHandler(actions.Action_TrayPrg_CloseExecute(),
                            [this] { Action_TrayPrg_CloseExecuteExecute(); });

    trayIcon_ = new QSystemTrayIcon(TImageList::ProgramIcon(), this);
    trayIcon_->setObjectName(QStringLiteral("TrayIcon1"));
    trayIcon_->setToolTip(QStringLiteral("Tavrin"));
    trayIcon_->setContextMenu(popup_);
    connect(trayIcon_, &QSystemTrayIcon::messageClicked, this, &TTrayMenu::BalloonClicked);
    connect(trayIcon_, &QSystemTrayIcon::activated, this, [this] { balloonClickPending_ = false; });
    trayIcon_->show();

    if (links_.window) {
        // The title bar offers the system menu and help only. Without a
        // tray the window keeps its minimise button: minimising is then
        // how it is hidden.
        if (TrayAvailable())
            links_.window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                          Qt::WindowContextHelpButtonHint);
        links_.window->installEventFilter(this);
    }
    // Presses on the icon's own window (X11 embedding) are noted, so that
    // the balloon click they report is told apart from one on the balloon.
    iconPresses_ = new TIconPressFilter(&pressOnIcon_, this);
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(iconPresses_);
}

TTrayMenu::~TTrayMenu() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(iconPresses_);
    if (links_.window) links_.window->removeEventFilter(this);
    delete trayIcon_;
    trayIcon_ = nullptr;
}

QAction* TTrayMenu::AddEntry(const char* name, const char* drawnCaption, QAction* action, int helpContext) {
    auto* entry = new QAction(popup_);
    entry->setObjectName(QString::fromLatin1(name));
    popup_->addAction(entry);
    QtControl* control = links_.form->AddControl(entry, ControlClass::MenuItem);
    if (action) control->SetAction(AsAction(action));
    if (helpContext) control->SetHelpContext(helpContext);
    popup_->SetItemCaption(entry, QString::fromUtf8(drawnCaption));
    return entry;
}

QAction* TTrayMenu::Entry(const QString& name) const {
    QtControl* control = links_.form->FindControl(name.toStdString(), ControlClass::MenuItem);
    return control ? control->ItemAction() : nullptr;
}

TmuLogging* TTrayMenu::ProgramLog() const {
    return links_.programLogging ? links_.programLogging() : nullptr;
}

void TTrayMenu::SetACVisible(bool value) {
    TmuDataholder* holder = links_.dataholder ? links_.dataholder() : nullptr;
    if (!holder) return;
    holder->clearUseIndexSection();
    Keys::Set(*holder, Keys::WindowVisible, value);
}

// ---------------------------------------------------------------------------
// Balloon

void TTrayMenu::ShowBalloon(const QString& title, const QString& text, int timeoutMs) {
    if (onBalloon_) onBalloon_(title, text, timeoutMs);
    // The carriage return breaks the line on Windows; notification daemons
    // want a line feed.
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    trayIcon_->showMessage(title, shown, QSystemTrayIcon::NoIcon, timeoutMs);
}

void TTrayMenu::ShowCloseWarning() {
    if (tag_ != 0) return;
    ShowBalloon(QString::fromUtf8(kBalloonTitle), QString::fromUtf8(kBalloonText), kBalloonTimeout);
    tag_ = 1;
}

// ---------------------------------------------------------------------------
// Show, hide, quit

void TTrayMenu::HideMainWindow() {
    QWidget* window = links_.window;
    if (!window) return;
    if (TrayAvailable()) {
        if (window->isVisible()) window->hide();
    } else if (!window->isMinimized()) {
        window->showMinimized();
    }
}

void TTrayMenu::Action_AC_Prg_ShowExecute() {
    if (showing_) return;
    showing_ = true;
    {
        // The guard drops a second show until the exit line is written (its
        // write may serve pending messages).
        TmTraceScope trace(ProgramLog(), Pro, "TTavrin1.Action_AC_Prg_ShowExecute");
        if (links_.setNoExit) links_.setNoExit(true);
        if (links_.clock) {
            links_.clock->ArmDeadline();
            links_.clock->Timer_Datetime()->SetEnabled(true);
        }
        if (links_.placement) links_.placement->mCloseTimer_15min()->SetEnabled(true);
        SetACVisible(true);
        if (QWidget* window = links_.window) {
            if (window->isMinimized()) window->showNormal();
            if (!window->isVisible()) window->show();
            window->raise();
            window->activateWindow();
        }
        if (links_.clearSilentStart) links_.clearSilentStart();
    }
    showing_ = false;
}

void TTrayMenu::Action_AC_Prg_HideExecute() {
    TmTraceScope trace(ProgramLog(), Pro, "TTavrin1.Action_AC_Prg_HideExecute");
    if (links_.setNoExit) links_.setNoExit(true);
    if (links_.clock) links_.clock->Timer_Datetime()->SetEnabled(false);
    if (links_.window && links_.window->isVisible()) HideMainWindow();
    SetACVisible(false);
    if (links_.clearSilentStart) links_.clearSilentStart();
}

void TTrayMenu::Action_TrayPrg_CloseExecuteExecute() {
    if (links_.setNoExit) links_.setNoExit(false);
    if (links_.closeSilentWindow) links_.closeSilentWindow();
    if (links_.window) links_.window->close();
}

void TTrayMenu::BalloonClicked() {
    if (pressOnIcon_) return;
    if (balloonClickPending_) return;
    balloonClickPending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (!balloonClickPending_) return;
        balloonClickPending_ = false;
        Action_TrayPrg_CloseExecuteExecute();
    });
}

bool TTrayMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched != links_.window || TrayAvailable()) return QObject::eventFilter(watched, event);
    // Without a tray the window is never out of reach: its close button
    // minimises it, and bringing it back from the task bar shows it as the
    // show action does.
    if (event->type() == QEvent::Close && event->spontaneous()) {
        event->ignore();
        HideMainWindow();
        return true;
    }
    if (event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if ((change->oldState() & Qt::WindowMinimized) && !links_.window->isMinimized())
            Action_AC_Prg_ShowExecute();
    }
    return QObject::eventFilter(watched, event);
}
