#include "ui/EmergencyOff.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <vector>

#include "device/BoxController.h"
#include "toolkit/Platform.h"
#include "toolkit/qt/QtForm.h"

// ---------------------------------------------------------------------------
// Stay-on-top windows lowered for the confirmation

struct TEmergencyOff::TTopMostLowered::TSaved {
    struct TWindow {
        QPointer<QWindow> window;
        Qt::WindowFlags flags;
    };
    std::vector<TWindow> windows;
};

TEmergencyOff::TTopMostLowered::TTopMostLowered() : saved_(std::make_unique<TSaved>()) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible()) continue;
        QWindow* window = widget->windowHandle();
        if (window == nullptr || !window->flags().testFlag(Qt::WindowStaysOnTopHint)) continue;
        // On the native window only: the widget keeps its own flags (the
        // lock on top), is neither re-created nor hidden, and no show or
        // hide handler runs.
        saved_->windows.push_back({window, window->flags()});
        window->setFlags(window->flags() & ~Qt::WindowStaysOnTopHint);
    }
}

TEmergencyOff::TTopMostLowered::~TTopMostLowered() {
    for (const auto& saved : saved_->windows)
        if (saved.window) saved.window->setFlags(saved.flags);
}

int TEmergencyOff::TTopMostLowered::Count() const { return static_cast<int>(saved_->windows.size()); }

// ---------------------------------------------------------------------------

TEmergencyOff::TEmergencyOff(TParts parts) : parts_(parts) {
    if (parts_.dangerOff == nullptr) return;
    SetActionExecuteHandler(parts_.dangerOff, [this] { Action_DangerOFFExecute(); });
}

TEmergencyOff::~TEmergencyOff() {
    if (parts_.dangerOff != nullptr) SetActionExecuteHandler(parts_.dangerOff, {});
}

bool TEmergencyOff::Confirmed() {
    TTopMostLowered lowered;
    // Cancel is the default button: an accidental Return or Space switches
    // nothing off.
    return GetPlatform().MessageBox(kQuestion, kCaption, MsgButtons::OkCancelDefaultCancel,
                                    MsgIcon::Warning) == MsgResult::Ok;
}

void TEmergencyOff::Action_DangerOFFExecute() {
    // A second emergency off while the question of one is shown has nothing
    // left to do.
    if (running_) return;
    running_ = true;
    struct TReset {
        bool& flag;
        ~TReset() { flag = false; }
    } reset{running_};

    if (!Confirmed() || parts_.controller == nullptr) return;
    parts_.controller->Action_DangerOFF();
}
