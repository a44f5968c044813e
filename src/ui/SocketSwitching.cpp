#include "ui/SocketSwitching.h"

#include <QAction>
#include <QObject>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <exception>

#include "store/muDataHolder.h"
#include "store/muTraceScope.h"
#include "toolkit/Platform.h"
#include "toolkit/mVedadAzaro.h"
#include "toolkit/muLogging.h"
#include "toolkit/qt/QtForm.h"
#include "ui/CommandExchange.h"
#include "ui/ImageList.h"
#include "ui/ProgramView.h"
#include "ui/SocketActions.h"

namespace {

using Kind = TmTraceScope::Kind;

const char* const kWait = "WAIT";
const char* const kEndPort = "PORT";

std::string TwoDigits(int n) { return TSocketActions::TwoDigits(n).toStdString(); }
std::string PowerPath(int n) { return "AC01|AC|ACPower" + TwoDigits(n); }

bool ValidSocket(int n) { return n >= 1 && n <= TSocketActions::SocketCount; }

// The default context of the data holder for the box's socket values, set
// for the duration of one operation and cleared on every way out. The
// operations address their values by full path all the same: a handler that
// runs inside a box exchange may clear the context in between.
class TSocketContext {
public:
    explicit TSocketContext(TmuDataholder& holder) : holder_(holder) {
        holder_.UseIndex = "AC01";
        holder_.UseSection = "AC";
    }
    ~TSocketContext() { holder_.clearUseIndexSection(); }
    TSocketContext(const TSocketContext&) = delete;
    TSocketContext& operator=(const TSocketContext&) = delete;

private:
    TmuDataholder& holder_;
};

void Message(TmuLogging* log, const std::string& text) {
    if (log) log->addText(text);
}

std::string AdjustMessage(int n) {
    return "Images, Namen vom Speedbutton und dem Menü anpassen für Steckdose " + std::to_string(n);
}

}  // namespace

// ---------------------------------------------------------------------------
// Exchange scope

TSocketSwitching::TExchangeScope::TExchangeScope(TSocketSwitching& switching) : switching_(switching) {
    ++switching_.busy_;
}

TSocketSwitching::TExchangeScope::~TExchangeScope() {
    if (--switching_.busy_ == 0 && !switching_.pending_.empty()) switching_.ScheduleRunPending();
}

// ---------------------------------------------------------------------------

TSocketSwitching::TSocketSwitching(TParts parts, THooks hooks) : parts_(parts), hooks_(std::move(hooks)) {}

TSocketSwitching::~TSocketSwitching() = default;

TmuLogging* TSocketSwitching::Log() const {
    return hooks_.programLogging ? hooks_.programLogging() : nullptr;
}

TmuDataholder& TSocketSwitching::Holder() const { return *parts_.hub.Dataholder(); }

void TSocketSwitching::ReportError(const std::string& text) {
    if (hooks_.reportError) {
        hooks_.reportError(text);
        return;
    }
    GetPlatform().MessageBox(text, "Tavrin", MsgButtons::Ok, MsgIcon::Error);
}

bool TSocketSwitching::OnPage(int n, int tabIndex) {
    return tabIndex >= 0 && tabIndex < PageCount && (n - 1) / SlotCount == tabIndex;
}

// ---- User entry points --------------------------------------------------------

void TSocketSwitching::Multi_Action_Steckdose_ToggleExecute(int n) {
    TmTraceScope trace(Log(), Kind::Procedure, "Action_Steckdose" + std::to_string(n) + "_ToggleExecute");
    Message(Log(), "Toggle ausführen für Steckdose" + std::to_string(n) + " ...");
    if (!ValidSocket(n)) return;
    if (hooks_.restartAutoHide) hooks_.restartAutoHide();
    Switch(TEntry::Menu, n);
}

void TSocketSwitching::Multi_Action_Steckdose_BTN_ToggleExecute(int n) {
    TmTraceScope trace(Log(), Kind::Procedure, "Action_Steckdose" + std::to_string(n) + "_BTN_ToggleExecute");
    Message(Log(), "BTN-Toggle ausführen für Steckdose" + std::to_string(n) + "...");
    if (!ValidSocket(n)) return;
    if (hooks_.restartAutoHide) hooks_.restartAutoHide();
    Switch(TEntry::Button, n);
}

void TSocketSwitching::Switch(TEntry entry, int n) {
    // While an exchange waits for the box, or earlier actions still wait
    // their turn, the action joins the end of the queue.
    if (busy_ > 0 || running_ || !pending_.empty())
        Message(Log(), "Steckdose " + std::to_string(n) +
                           ": Schalten wartet, bis der laufende Austausch mit der Box beendet ist");
    pending_.push_back({entry, n});
    RunPending();
}

void TSocketSwitching::RunPending() {
    if (busy_ > 0 || running_) return;
    running_ = true;
    struct TReset {
        bool& flag;
        ~TReset() { flag = false; }
    } reset{running_};
    while (busy_ == 0 && !pending_.empty()) {
        const TPending next = pending_.front();
        pending_.pop_front();
        try {
            RunToggle(next.n);
        } catch (const std::exception& e) {
            // A port error ends this switching action; the ones waiting
            // behind it still get their turn.
            if (TmuLogging* log = Log()) log->addErr(e.what());
            ReportError(e.what());
        }
    }
}

void TSocketSwitching::RunToggle(int n) {
    TProgramView& view = parts_.view;
    QTabBar* tabs = view.TabControl_AC_Dosen();
    const int tabIndex = tabs ? tabs->currentIndex() : -1;
    const int k = (n - 1) % SlotCount + 1;
    // The menu action, also when the page button was pressed.
    MultiAction_Steckdose_Toggle(parts_.actions.Toggle(n), view.SpeedButton_ACX(k), tabIndex, n);
}

void TSocketSwitching::ScheduleRunPending() {
    if (runScheduled_) return;
    runScheduled_ = true;
    if (!context_) context_ = std::make_unique<QObject>();
    QTimer::singleShot(0, context_.get(), [this] {
        runScheduled_ = false;
        RunPending();
    });
}

// ---- Operations on one socket -------------------------------------------------

void TSocketSwitching::SetButtonHelpContext(QToolButton* button) {
    if (!button) return;
    // The socket topic of the help table.
    const int context = Holder().getValueInteger("HLP|HelpIndex|hlp_steckdosen");
    if (context <= 0) return;
    if (QtControl* control = parts_.form.ControlOf(button)) control->SetHelpContext(context);
}

void TSocketSwitching::ShowState(QAction* action, QToolButton* button, int tabIndex, int n, bool on) {
    if (action) {
        action->setIcon(TImageList::Icon(on ? TImageList::SocketOn : TImageList::SocketOff));
        action->setText(TSocketActions::ToggleCaption(n, on));
    }
    if (button && OnPage(n, tabIndex)) {
        if (on)
            SetSpeedButtonGreen(button);
        else
            SetSpeedButtonGray(button);
    }
}

std::string TSocketSwitching::SendLogged(const std::string& command) {
    parts_.exchange.AddMemoLine("SEND: " + command);
    return parts_.exchange.ReplyText(parts_.exchange.SendCommand(command));
}

void TSocketSwitching::MultiAction_Steckdose_Toggle(QAction* action, QToolButton* button, int tabIndex,
                                                    int n) {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.MultiAction_Steckdose_Toggle");
    Message(Log(), AdjustMessage(n));
    if (!ValidSocket(n)) return;
    TExchangeScope exchange(*this);
    TmuDataholder& holder = Holder();
    TSocketContext context(holder);
    const bool on = holder.getValueBoolean(PowerPath(n));
    SetButtonHelpContext(button);
    const std::string number = std::to_string(n);

    if (on) {
        ShowState(action, button, tabIndex, n, false);
        holder.setValueBoolean(PowerPath(n), false);
        if (parts_.exchange.PortOpen()) {
            const std::string reply = SendLogged("ato" + number);
            if (!reply.empty()) parts_.exchange.AddMemoLine("RECV: " + reply);
        }
    } else {
        ShowState(action, button, tabIndex, n, true);
        holder.setValueBoolean(PowerPath(n), true);
        if (parts_.exchange.PortOpen()) {
            const std::string reply = SendLogged("atn" + number);
            if (!reply.empty()) parts_.exchange.get_PortInput(reply, kWait, kEndPort);
        }
    }
}

void TSocketSwitching::MultiAction_Steckdose_Init(QAction* action, QToolButton* button, int tabIndex, int n) {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.MultiAction_Steckdose_Init");
    Message(Log(), AdjustMessage(n));
    if (!ValidSocket(n)) return;
    TExchangeScope exchange(*this);
    TmuDataholder& holder = Holder();
    TSocketContext context(holder);
    const bool on = holder.getValueBoolean(PowerPath(n));
    SetButtonHelpContext(button);
    const std::string number = std::to_string(n);

    ShowState(action, button, tabIndex, n, on);
    holder.setValueBoolean(PowerPath(n), on);
    if (!parts_.exchange.PortOpen()) return;

    if (on) {
        // Switching delay 0 first, so the socket follows at once.
        const std::string delayReply = SendLogged("att0");
        if (!delayReply.empty()) parts_.exchange.AddMemoLine("RECV: " + delayReply);
    }
    const std::string reply = SendLogged((on ? "atn" : "ato") + number);
    if (!reply.empty())
        parts_.exchange.get_PortInput(reply, kWait, kEndPort);
    else
        parts_.exchange.AddMemoLine("RECV: Timeout");
}

void TSocketSwitching::MultiAction_Steckdose_OFF(QAction* action, QToolButton* button, int tabIndex, int n) {
    TmTraceScope trace(Log(), Kind::Procedure, "TAC_Program.MultiAction_Steckdose_OFF");
    Message(Log(), AdjustMessage(n));
    if (!ValidSocket(n)) return;
    TmuDataholder& holder = Holder();
    TSocketContext context(holder);
    SetButtonHelpContext(button);
    ShowState(action, button, tabIndex, n, false);
    holder.setValueBoolean(PowerPath(n), false);
}

// ---- Glyphs -------------------------------------------------------------------

void TSocketSwitching::LoadGlyphs() {
    if (gray_.isNull()) {
        grayPixmap_ = TImageList::Glyph(TImageList::GlyphGray);
        greenPixmap_ = TImageList::Glyph(TImageList::GlyphGreen);
        redPixmap_ = TImageList::Glyph(TImageList::GlyphRed);
        gray_ = QIcon(grayPixmap_);
        green_ = QIcon(greenPixmap_);
        red_ = QIcon(redPixmap_);
    }
    TProgramView& view = parts_.view;
    for (int k = 1; k <= SlotCount; ++k)
        if (QToolButton* button = view.SpeedButton_ACX(k)) button->setIcon(gray_);
}

void TSocketSwitching::FreeGlyphs() {
    gray_ = QIcon();
    green_ = QIcon();
    red_ = QIcon();
    grayPixmap_ = QPixmap();
    greenPixmap_ = QPixmap();
    redPixmap_ = QPixmap();
}

void TSocketSwitching::SetSpeedButtonGreen(QToolButton* button) {
    if (!button) return;
    if (green_.isNull()) {
        greenPixmap_ = TImageList::Glyph(TImageList::GlyphGreen);
        green_ = QIcon(greenPixmap_);
    }
    button->setIcon(green_);
}

void TSocketSwitching::SetSpeedButtonGray(QToolButton* button) {
    if (!button) return;
    if (gray_.isNull()) {
        grayPixmap_ = TImageList::Glyph(TImageList::GlyphGray);
        gray_ = QIcon(grayPixmap_);
    }
    button->setIcon(gray_);
}
