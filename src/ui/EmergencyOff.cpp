#include "ui/EmergencyOff.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTabBar>
#include <QToolButton>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <exception>
#include <vector>

#include "store/muDataHolder.h"
#include "store/muTraceScope.h"
#include "toolkit/Platform.h"
#include "toolkit/mVedadAzaro.h"
#include "toolkit/muLogging.h"
#include "toolkit/qt/QtForm.h"
#include "ui/CommandExchange.h"
#include "ui/ProgramView.h"
#include "ui/SocketActions.h"
#include "ui/SocketSwitching.h"

namespace {

using Kind = TmTraceScope::Kind;

constexpr int kSockets = 24;
constexpr int kSlots = 4;
constexpr int kPages = 6;

std::string TwoDigits(int n) { return TSocketActions::TwoDigits(n).toStdString(); }

}  // namespace

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

TEmergencyOff::TEmergencyOff(TParts parts, TState state, QAction* dangerOff)
    : parts_(parts), state_(std::move(state)), dangerOff_(dangerOff) {
    if (dangerOff_ == nullptr) return;
    SetActionExecuteHandler(dangerOff_, [this] { Action_DangerOFFExecute(); });
}

TEmergencyOff::~TEmergencyOff() {
    if (dangerOff_ != nullptr) SetActionExecuteHandler(dangerOff_, {});
}

TmuLogging* TEmergencyOff::Log() const { return state_.programLogging ? state_.programLogging() : nullptr; }

bool TEmergencyOff::Confirmed() {
    TTopMostLowered lowered;
    return GetPlatform().MessageBox(kQuestion, kCaption, MsgButtons::OkCancel, MsgIcon::Warning) == MsgResult::Ok;
}

void TEmergencyOff::Action_DangerOFFExecute() {
    // A second emergency off while one runs (from a handler served during
    // its box exchange) has nothing left to do.
    if (running_) return;
    running_ = true;
    struct TReset {
        bool& flag;
        ~TReset() { flag = false; }
    } reset{running_};

    if (!Confirmed() || !parts_.exchange.PortOpen()) return;

    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.Action_DangerOFFExecute");
    // Switching actions of the user wait until the box has been told.
    TSocketSwitching::TExchangeScope exchange(parts_.switching);
    QTabBar* tabs = parts_.view.TabControl_AC_Dosen();
    const int tabIndex = tabs ? tabs->currentIndex() : -1;
    ClearStates(tabIndex);
    try {
        SendAllOff();
    } catch (const std::exception& e) {
        // The box is gone: everything is shown and stored as off already;
        // the port error is reported as any other.
        if (TmuLogging* log = Log()) log->addErr(e.what());
        GetPlatform().MessageBox(e.what(), "Tavrin", MsgButtons::Ok, MsgIcon::Error);
    }
}

void TEmergencyOff::ClearStates(int tabIndex) {
    TmuDataholder& holder = *parts_.hub.Dataholder();
    holder.UseIndex = "AC01";
    holder.UseSection = "AC";
    for (int n = 1; n <= kSockets; ++n) {
        const std::string NN = TwoDigits(n);
        const std::string name = holder.getValueString("AC01|AC|AC_Name" + NN);
        // The name labels show the page that is shown.
        if (tabIndex >= 0 && tabIndex < kPages && (n - 1) / kSlots == tabIndex) {
            if (QLabel* label = parts_.view.ACNameX((n - 1) % kSlots + 1)) label->setText(QString::fromStdString(name));
        }
        holder.setValueBoolean("AC01|AC|ACPower" + NN, false);
    }

    for (int k = 1; k <= kSlots; ++k) parts_.switching.SetSpeedButtonGray(parts_.view.SpeedButton_ACX(k));

    const int count = std::min(state_.ACDosenCount, kSockets);
    for (int n = 1; n <= count; ++n) {
        const int k = (n - 1) % kSlots + 1;
        parts_.switching.MultiAction_Steckdose_OFF(parts_.actions.Toggle(n), parts_.view.SpeedButton_ACX(k),
                                                  tabIndex, n);
    }
    holder.clearUseIndexSection();
}

void TEmergencyOff::SendAllOff() {
    TCommandExchange& exchange = parts_.exchange;
    exchange.AddMemoLine("SEND: att0");
    const std::string delayReply = exchange.ReplyText(exchange.SendCommand("att0"));
    if (!delayReply.empty()) exchange.AddMemoLine("RECV: " + delayReply);

    exchange.AddMemoLine("SEND: atoff");
    const std::string reply = exchange.ReplyText(exchange.SendCommand("atoff"));
    if (!reply.empty())
        exchange.get_PortInput(reply, TCommandExchange::kWaitMarker, TCommandExchange::kEndPort);
    else
        exchange.AddMemoLine("RECV: Timeout");
}
