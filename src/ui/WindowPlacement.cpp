#include "ui/WindowPlacement.h"

#include <QAction>
#include <QEvent>
#include <QWidget>

#include "hub/mVedadAzaro.h"
#include "settings/SettingsKeys.h"
#include "store/muDataHolder.h"
#include "toolkit/Form.h"
#include "toolkit/Platform.h"
#include "toolkit/Timer.h"
#include "toolkit/mCloseTimer.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"
#include "toolkit/muTraceScope.h"
#include "toolkit/qt/QtForm.h"
#include "ui/ImageList.h"
#include "ui/ProgramActions.h"
#include "ui/StatusClock.h"

namespace {

constexpr auto Pro = TmTraceScope::Kind::Procedure;

}  // namespace

TWindowPlacement::TWindowPlacement(TLinks links) : links_(std::move(links)) {
    closeTimer_ = new TmCloseTimer(links_.closeTimerOwner);
    closeTimer_->SetName("mCloseTimer_15min");
    closeTimer_->SetTimerValue(TmStringTimer::Min_15);
    closeTimer_->SetEnabled(false);
    closeTimer_->SetOnCloseTimer([this](TComponent*) { mCloseTimer_15minCloseTimer(); });

    if (links_.actions) {
        for (int i = 0; i < PresetCount; ++i) {
            if (QAction* action = links_.actions->Action_Desktop(i))
                SetActionExecuteHandler(action, [this, i] { Set_MulitDesktop_Position(i); });
        }
        if (QAction* lock = links_.actions->Action_Lock_Unlook())
            SetActionExecuteHandler(lock, [this] { Action_Lock_UnlookExecute(); });
    }
    if (links_.window) {
        links_.window->setMouseTracking(true);
        links_.window->installEventFilter(this);
    }
}

TWindowPlacement::~TWindowPlacement() {
    if (links_.window) links_.window->removeEventFilter(this);
    delete closeTimer_;
    closeTimer_ = nullptr;
}

TmuLogging* TWindowPlacement::ProgramLog() const {
    return links_.programLogging ? links_.programLogging() : nullptr;
}

// ---------------------------------------------------------------------------
// Presets

const char* TWindowPlacement::PresetName(int index) {
    if (index < 0 || index >= PresetCount) return "";
    return TProgramActions::DesktopPresets()[index].storedName;
}

QPoint TWindowPlacement::PresetPosition(int index, int dw, int dh, int w, int h) {
    const int left = 10;
    const int center = dw / 2 - w / 2 - 10;
    const int right = dw - w - 10;
    const int top = 10;
    const int middle = dh / 2 - h / 2 - 10;
    const int bottom = dh - h - 35;
    switch (index) {
        case 0:
            return {left, top};
        case 1:
            return {dw / 2 - w / 2, top};  // the top row's middle keeps no margin
        case 2:
            return {right, top};
        case 3:
            return {left, middle};
        case 4:
            return {center, middle};
        case 5:
            return {right, middle};
        case 6:
            return {left, bottom};
        case 7:
            return {center, bottom};
        case 8:
            return {right, bottom};
        default:
            return {};
    }
}

QSize TWindowPlacement::OuterSize() const {
    if (!links_.window) return {FormWidth, FormHeight};
    return links_.window->frameGeometry().size();
}

void TWindowPlacement::set_New_Formpostion(int index) {
    TmTraceScope trace(ProgramLog(), Pro, "TTavrin1.set_New_Formpostion");
    if (trace) trace->addVarInteger("i_iIndex", index);
    if (index < 0 || index >= PresetCount || !links_.window) return;
    const TDesktopRect desktop = GetPlatform().DesktopRect();
    const QSize outer = OuterSize();
    const QPoint at = PresetPosition(index, desktop.right - desktop.left, desktop.bottom - desktop.top,
                                     outer.width(), outer.height());
    links_.window->move(at);
    TmuDataholder* holder = links_.hub->Dataholder();
    Keys::Set(*holder, Keys::PositionX, at.x());
    Keys::Set(*holder, Keys::PositionY, at.y());
}

void TWindowPlacement::Set_MulitDesktop_Position(int index) {
    TmTraceScope trace(ProgramLog(), Pro, "TTavrin1.Set_MulitDesktop_Position");
    if (trace) trace->addVarInteger("i_iIndex", index);
    if (index < 0 || index >= PresetCount) return;
    set_New_Formpostion(index);
    Keys::Set(*links_.hub->Dataholder(), Keys::FormPos, PresetName(index));
}

void TWindowPlacement::FormMouseMove() {
    TmTraceScope trace(ProgramLog(), Pro, "TTavrin1.FormMouseMove");
    if (trace) trace->addMsg("Neue X,Y-Position ermitteln und intern speichern...");
    if (!links_.window) return;
    TmuDataholder* holder = links_.hub->Dataholder();
    Keys::Set(*holder, Keys::PositionX, links_.window->x());
    Keys::Set(*holder, Keys::PositionY, links_.window->y());
}

void TWindowPlacement::FixWindowSize() {
    if (links_.window) links_.window->setFixedSize(links_.window->size());
}

bool TWindowPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched == links_.window && event->type() == QEvent::MouseMove) FormMouseMove();
    return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Auto-hide

void TWindowPlacement::set_Timer_Close_at_15_Minutes_new() {
    TmTraceScope trace(ProgramLog(), Pro, "TForm_AC_Program.set_Timer_Close_at_15_Minutes_new");
    if (closeTimer_->Enabled()) {
        if (trace)
            trace->addMsg(
                "if ...Timer_Close_at_15_Minutes.Enabled then Timmer neu setzen, auf 15 Minuten...");
        closeTimer_->setResetTimer();
        if (links_.clock) links_.clock->ArmDeadline();
        return;
    }
    // The close timer may be off while the countdown runs (after the start's
    // deferred initialisation, or with auto-hide unticked); the countdown
    // hides the window at 00:00 all the same, so switching extends it too.
    const bool shown = links_.window && links_.window->isVisible();
    if (shown && links_.clock && links_.clock->Timer_Datetime()->Enabled()) links_.clock->ArmDeadline();
}

void TWindowPlacement::mCloseTimer_15minCloseTimer() {
    TmTraceScope trace(ProgramLog(), Pro, "TTavrin1.mCloseTimer_15minCloseTimer");
    if (links_.noExit && !links_.noExit() && links_.closeMainWindow) links_.closeMainWindow();
    if (links_.hideMainWindow) links_.hideMainWindow();
    TmuDataholder* holder = links_.hub->Dataholder();
    holder->clearUseIndexSection();
    Keys::Set(*holder, Keys::WindowVisible, false);
}

// ---------------------------------------------------------------------------
// Lock

void TWindowPlacement::SetLockState(int tag) {
    if (!links_.lockItem) return;
    links_.lockItem->setIcon(TImageList::Icon(tag == 1 ? TImageList::Locked : TImageList::Unlocked));
    links_.lockItem->setProperty("tag", tag);
}

void TWindowPlacement::InitLockMenuItem() { SetLockState(0); }

bool TWindowPlacement::Locked() const {
    return links_.lockItem && links_.lockItem->property("tag").toInt() == 1;
}

void TWindowPlacement::Action_Lock_UnlookExecute() {
    TmTraceScope trace(ProgramLog(), Pro, "TTavrin1.Action_Lock_UnlookExecute");
    TmuOperationSystem* os = links_.hub->OperationSystem();
    // The program has no window of its own besides the main window (on
    // Windows the application window takes the top while unlocked); only the
    // main window's band changes.
    changingTop_ = true;
    if (Locked()) {
        os->Delete_WindowOnTheTop(links_.form);
        SetLockState(0);
    } else {
        os->Set_WindowOnTheTop(links_.form);
        SetLockState(1);
    }
    changingTop_ = false;
}

void TWindowPlacement::RepinIfLocked() {
    if (!Locked() || changingTop_ || !links_.window) return;
    // The re-show of a band change (a dialog taking the top from the main
    // window) is no show of the window: it stays off the top.
    if (QtForm::ReshowingForTopBand(links_.window)) return;
    // Still in the top band (shown again after being hidden): nothing to
    // change. Taken off it (a dialog took the top): off and on again.
    if (links_.window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) return;
    changingTop_ = true;
    TmuOperationSystem* os = links_.hub->OperationSystem();
    os->Delete_WindowOnTheTop(links_.form);
    os->Set_WindowOnTheTop(links_.form);
    changingTop_ = false;
}
