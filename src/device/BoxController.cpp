#include "device/BoxController.h"

#include <algorithm>

#include "device/BoxView.h"
#include "device/SerialPort.h"
#include "device/muATCmd.h"
#include "hub/mVedadAzaro.h"
#include "settings/SettingsKeys.h"
#include "store/muDataConvert.h"
#include "store/muDataHolder.h"
#include "toolkit/Platform.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"
#include "toolkit/muStringTools.h"
#include "toolkit/muTraceScope.h"

namespace {

using Kind = TmTraceScope::Kind;
using TKind = TExchangeQueue::TKind;

// The default context of the box's socket values for one operation, cleared
// on every way out. Values are addressed by their full paths all the same:
// a handler that runs inside a wait may change the context in between.
class TBoxContext {
public:
    explicit TBoxContext(TmuDataholder& holder) : holder_(holder) { Keys::Use(holder_, Keys::kBoxContext); }
    ~TBoxContext() { holder_.clearUseIndexSection(); }
    TBoxContext(const TBoxContext&) = delete;
    TBoxContext& operator=(const TBoxContext&) = delete;

private:
    TmuDataholder& holder_;
};

// The marker at a position after the first character, the first occurrence
// deciding.
bool FoundAfterFirst(const std::string& text, const std::string& marker) {
    const auto p = text.find(marker);
    return p != std::string::npos && p > 0;
}

std::string AdjustMessage(int n) {
    return "Images, Namen vom Speedbutton und dem Menü anpassen für Steckdose " + std::to_string(n);
}

}  // namespace

TBoxController::TBoxController(TLinks links, TState state) : links_(std::move(links)), state_(state) {
    queue_.SetErrorLog([this](const std::string& text) {
        if (TmuLogging* log = ProgramLog()) log->addErr(text);
    });
}

TBoxController::~TBoxController() = default;

TmuLogging* TBoxController::ProgramLog() const {
    return links_.programLogging ? links_.programLogging() : nullptr;
}

TmuDataholder& TBoxController::Holder() const { return *links_.hub->Dataholder(); }

void TBoxController::ServeMessages(int count) {
    if (links_.hub) links_.hub->OperationSystem()->SetProcessMessages(count);
}

void TBoxController::Message(const std::string& text) {
    if (TmuLogging* log = ProgramLog()) log->addText(text);
}

bool TBoxController::PortOpen() const { return links_.port != nullptr && links_.port->Connected(); }

std::string TBoxController::PortName() const { return links_.port ? links_.port->Port() : std::string(); }

std::string TBoxController::UpperCase(std::string text) { return AsciiUpper(std::move(text)); }

std::string TBoxController::ReplyText(const std::string& raw) const {
    TmuATCmd* at = ATCmd();
    return at ? at->GetReplyText(raw) : std::string();
}

std::string TBoxController::SendCommand(const std::string& command) {
    std::string raw;
    if (TmuATCmd* at = ATCmd()) at->CheckATMultiCmd(command, raw);
    return raw;
}

std::string TBoxController::SendLogged(const std::string& command) {
    AddMemoLine("SEND: " + command);
    return ReplyText(SendCommand(command));
}

// ---------------------------------------------------------------------------
// Command exchange

void TBoxController::set_COMPort_Lines(const std::string& text) {
    if (state_.COMPortLogging == nullptr || !*state_.COMPortLogging) return;
    AddMemoLine(text);
}

void TBoxController::AddMemoLine(const std::string& text) {
    if (view_) view_->AddLogLine(text);
}

void TBoxController::set_Combobox_Status(const std::string& text) {
    TmTraceScope trace(ProgramLog(), Kind::Procedure, "TTavrin1.set_Combobox_Status");
    if (TmuLogging* log = ProgramLog()) log->addVarString("i_sStatus", text);
    if (view_) view_->ShowStatus(text);
}

int TBoxController::set_AppProcessMessages() {
    TmTraceScope trace(ProgramLog(), Kind::Function, "TTavrin1.set_AppProcessMessages");
    SerialPort* port = links_.port;
    int polls = kInputPolls;
    int k = 0;
    do {
        k = port ? port->GetInputCount() : 0;
        // A single byte is no answer yet.
        if (k <= 1) {
            k = 0;
            ServeMessages(10);
        }
        --polls;
        // An emergency off or the end waits for this exchange: no more polls.
        if (k <= 0 && queue_.CutWaits()) polls = 0;
    } while (k <= 0 && polls != 0);
    if (k == 0 && polls == 0) {
        if (!queue_.CutWaits()) GetPlatform().Beep();
        k = -1;
    }
    if (TmuLogging* log = ProgramLog()) log->addVarInteger("r_iresult", k);
    return k;
}

int TBoxController::set_CMD_and_Respons_InputCount(const std::string& text) {
    TmTraceScope trace(ProgramLog(), Kind::Function, "TTavrin1.set_CMD_and_Respons_InputCount");
    SerialPort* port = links_.port;
    if (port == nullptr) return -1;
    port->ClearInput();
    port->WriteText(text);
    return set_AppProcessMessages();
}

void TBoxController::get_PortInput(std::string reply, const std::string& wait, const std::string& end) {
    TmTraceScope trace(ProgramLog(), Kind::Procedure, "TTavrin1.get_PortInput");
    if (TmuLogging* log = ProgramLog()) {
        log->addVarString("i_sReply", reply);
        log->addVarString("i_sWait", wait);
        log->addVarString("i_sEnd", end);
    }
    if (!FoundAfterFirst(reply, wait)) {
        if (!reply.empty()) set_COMPort_Lines("RECV: " + reply);
        return;
    }

    if (!reply.empty()) set_COMPort_Lines("RECV: " + reply);
    int attempts = kWaitAttempts;
    do {
        if (queue_.CutWaits()) {
            Message("Warten auf die Box abgebrochen");
            return;
        }
        const int k = set_CMD_and_Respons_InputCount("\r");
        if (k > 0) {
            SerialPort* port = links_.port;
            const std::string raw = port->ReadText(port->GetInputCount());
            reply = ReplyText(raw);
            if (!reply.empty()) set_COMPort_Lines("RECV: " + reply);
        }
        --attempts;
    } while (reply.find(end) == std::string::npos && attempts != 0);
    if (attempts == 0) set_COMPort_Lines("RECV: Timeout: get_PortInput");
}

void TBoxController::set_port_ato(int n) {
    TmTraceScope trace(ProgramLog(), Kind::Procedure, "TTavrin1.set_port_ato");
    if (TmuLogging* log = ProgramLog()) log->addVarInteger("i_iSocket", n);
    const std::string command = "ato" + std::to_string(n);
    set_COMPort_Lines("SEND: " + command);
    const std::string reply = ReplyText(SendCommand(command));
    if (!reply.empty()) {
        get_PortInput(reply, kWaitMarker, kEndSetPort);
    } else {
        set_Combobox_Status(BoxModels::StatusTimeout(PortName()));
        set_COMPort_Lines("RECV: Timeout");
    }
}

// ---------------------------------------------------------------------------
// Start

void TBoxController::Init_AC_Active() {
    queue_.Submit(TKind::Box, 0, [this] { RunInit(); });
}

void TBoxController::RunInit() {
    TmTraceScope trace(ProgramLog(), Kind::Procedure, "TTavrin1.Init_AC_Active");
    TmuATCmd* at = ATCmd();
    SerialPort* port = links_.port;
    bool& initStart = *state_.InitStart;

    // 1. Nothing of a socket can be reached before the box is identified.
    if (view_) view_->HideSockets();
    ServeMessages(1);
    if (queue_.Ending()) return;

    // 2. and 3. The port of the first answering box.
    int position = 0;
    if (at != nullptr) {
        std::string f1, f2, f3, f4;
        position = at->SetNELTA(f1, f2, f3, f4);
        at->SetCOMPos(position);
        // Without an answering port there is no name to switch to; the port
        // stays as the search left it.
        if (port != nullptr && at->COMPortNo() > 0) port->SetPort("COM" + std::to_string(at->COMPortNo()));
    }
    if (TmuLogging* log = ProgramLog()) log->addVarInteger("i_iCOMPos", position);

    // 4.
    set_Combobox_Status(BoxModels::StatusPortPresent(PortName()));
    ServeMessages(1);
    if (queue_.Ending()) return;

    // 5.
    if (PortOpen()) {
        set_Combobox_Status(BoxModels::StatusSetAT(PortName()));
        Identify();
        set_Init_Status();
        if (!initStart) SendStoredStates();
    }
    if (queue_.Ending()) return;

    // 6. Whatever is still waiting at the port belongs to no exchange.
    if (PortOpen()) port->ReadText(port->GetInputCount());

    // 7.
    if (PortOpen() && !CheckAndBuild()) return;

    // 8. and 9. An emergency off that cut the start short sets the delay
    // itself; the end needs none.
    initStart = false;
    if (!queue_.Preempted()) set_Init_Status();
}

void TBoxController::Identify() {
    TmuATCmd* at = ATCmd();
    SerialPort* port = links_.port;
    TmuDataholder& holder = Holder();

    SendCommand("at");
    const std::string ident = ReplyText(SendCommand("ati"));
    std::string f1, f2, f3, f4;
    if (at != nullptr) {
        at->set_COMIdent(at->COMPos(), ident);
        at->SetNELTA(f1, f2, f3, f4);
    }

    if (!PortOpen()) {
        set_Combobox_Status(BoxModels::StatusTimeout(PortName()));
        set_COMPort_Lines("RECV: Timeout");
        return;
    }

    const std::string joined = f1 + "-" + f2 + "-" + f3 + "-" + f4;
    TmuDataConvert* convert = links_.hub->DataConvert();
    holder.setValueList(Keys::kBoxPortContext.index, Keys::kBoxPortContext.section,
                        {"Port", port->Port(),                                                    //
                         "Baudrate", convert->BaudRateToStr(static_cast<int>(port->BaudRate())),  //
                         "Stopbit", convert->StopBitsToStr(static_cast<int>(port->StopBits())),   //
                         "Parity", convert->ParityToStr(static_cast<int>(port->Parity())),        //
                         "Flowcontrol", convert->FlowControlToStr(static_cast<int>(port->FlowControl()))});
    if (Keys::Get(holder, Keys::Controller) != joined) Keys::Set(holder, Keys::Controller, joined);

    if (const int sockets = BoxModels::ControllerSockets(f3); sockets > 0) *state_.ACDosenCount = sockets;
    if (TmuLogging* log = ProgramLog()) {
        log->addVarString("i_sIdent", ident);
        log->addVarInteger("i_iACDosenCount", *state_.ACDosenCount);
    }
}

void TBoxController::SendStoredStates() {
    TmuDataholder& holder = Holder();
    TBoxContext context(holder);
    for (int n = 1; n <= *state_.ACDosenCount; ++n) {
        if (queue_.Preempted()) return;
        if (Keys::Get(holder, Keys::SocketPower(n))) {
            const std::string command = "atn" + std::to_string(n);
            set_COMPort_Lines("SEND: " + command);
            const std::string reply = UpperCase(ReplyText(SendCommand(command)));
            if (!reply.empty())
                get_PortInput(reply, kWaitMarker, kEndSetPort);
            else
                set_COMPort_Lines("RECV: Timeout");
        } else {
            set_port_ato(n);
        }
    }
}

bool TBoxController::CheckAndBuild() {
    const std::string port = PortName();
    auto check = [this] {
        set_COMPort_Lines("SEND: at");
        return UpperCase(ReplyText(SendCommand("at")));
    };

    std::string reply = check();
    if (!reply.empty()) {
        set_COMPort_Lines("RECV: " + reply);
        // An answer that is not "OK" ends the initialisation here.
        if (reply != "OK") return false;
        reply = check();
        set_COMPort_Lines(reply.empty() ? std::string("RECV: Timeout") : "RECV: " + reply);
    } else {
        set_Combobox_Status(BoxModels::StatusTimeout(port));
        set_COMPort_Lines("RECV: Timeout");
    }

    std::string status = BoxModels::StatusPortPresent(port);
    if (reply != "OK") {
        status = BoxModels::kStatusNoBox;
    } else {
        set_COMPort_Lines("SEND: ati");
        const std::string ident = UpperCase(ReplyText(SendCommand("ati")));
        if (!ident.empty()) {
            status = port + " > " + ident;
            set_COMPort_Lines("RECV: " + ident);
            set_COMPort_Lines("RECV: " + status);
        } else {
            set_COMPort_Lines("RECV: Timeout");
        }

        *state_.ACDosenCount = kSockets;
        const bool known = ApplyModel(ident);
        if (view_) view_->ShowPages(known);
        LogVersionReport();
    }

    if (status != BoxModels::kStatusNoBox) RestoreSockets();
    set_Combobox_Status(status);
    return true;
}

bool TBoxController::ApplyModel(const std::string& identUpper) {
    bool known = false;
    for (const TBoxModel& model : BoxModels::Models()) {
        if (identUpper.find(model.name) == std::string::npos) continue;
        if (view_) view_->ShowModel(model.sockets, model.tabs);
        *state_.ACDosenCount = model.sockets;
        modelName_ = model.name;
        known = true;
    }
    if (TmuLogging* log = ProgramLog()) log->addVarInteger("r_iACDosenCount", *state_.ACDosenCount);
    return known;
}

void TBoxController::LogVersionReport() {
    // This line goes to the memo whatever COMPortLogging says.
    AddMemoLine("SEND: atv");
    const std::string raw = SendCommand("atv");
    if (ReplyText(raw).empty()) {
        set_COMPort_Lines("RECV: Timeout");
        return;
    }
    TmuStringTools* tools = links_.hub->StringTools();
    tools->splitTokens(raw, "\r");
    const int count = tools->getTokenCount();
    for (int i = 1; i <= count; ++i) {
        std::string piece = tools->getToken(i);
        std::erase(piece, '\n');
        if (!piece.empty()) set_COMPort_Lines("RECV: " + piece);
    }
}

void TBoxController::RestoreSockets() {
    for (int n = 1; n <= *state_.ACDosenCount; ++n) {
        // An emergency off or the end waits: the sockets not restored yet
        // keep what the emergency off stored, or what they had.
        if (queue_.Preempted()) return;
        MultiAction_Steckdose_Init(n);
    }
}

void TBoxController::set_Init_Status() {
    TmTraceScope trace(ProgramLog(), Kind::Procedure, "TTavrin1.set_Init_Status");
    TmuDataholder& holder = Holder();
    const bool initStart = *state_.InitStart;
    if (TmuLogging* log = ProgramLog()) log->addVarBoolean("i_bInitStart", initStart);

    {
        TBoxContext context(holder);
        if (Keys::Get(holder, Keys::Delay)) {
            const int seconds = Keys::Get(holder, Keys::DelayTime);
            // Ticking the box is a change of the option: it runs the delay
            // option as a click would.
            if (view_) view_->ShowDelay(seconds);
            if (initStart) set_Combobox_Status(BoxModels::StatusDelay(PortName(), seconds));
        }
    }

    if (!initStart) {
        if (view_) view_->RunDelayOption();
    } else if (PortOpen()) {
        set_COMPort_Lines("PROG: Init-Status");
        set_COMPort_Lines("SEND: att0");
        const std::string reply = ReplyText(SendCommand("att0"));
        if (!reply.empty()) set_COMPort_Lines("RECV: " + reply);
    }
}

// ---------------------------------------------------------------------------
// Switching

void TBoxController::Multi_Action_Steckdose_ToggleExecute(int n) {
    TmTraceScope trace(ProgramLog(), Kind::Procedure,
                       "Action_Steckdose" + std::to_string(n) + "_ToggleExecute");
    Message("Toggle ausführen für Steckdose" + std::to_string(n) + " ...");
    if (!ValidSocket(n)) return;
    if (links_.activity) links_.activity();
    MultiAction_Steckdose_Toggle(n);
}

void TBoxController::Multi_Action_Steckdose_BTN_ToggleExecute(int n) {
    TmTraceScope trace(ProgramLog(), Kind::Procedure,
                       "Action_Steckdose" + std::to_string(n) + "_BTN_ToggleExecute");
    Message("BTN-Toggle ausführen für Steckdose" + std::to_string(n) + "...");
    if (!ValidSocket(n)) return;
    if (links_.activity) links_.activity();
    MultiAction_Steckdose_Toggle(n);
}

void TBoxController::MultiAction_Steckdose_Toggle(int n) {
    TmTraceScope trace(ProgramLog(), Kind::Procedure, "TTavrin1.MultiAction_Steckdose_Toggle");
    Message(AdjustMessage(n));
    if (!ValidSocket(n)) return;
    TmuDataholder& holder = Holder();
    TBoxContext context(holder);
    const bool on = !Keys::Get(holder, Keys::SocketPower(n));
    if (view_) view_->ShowSocket(n, on);
    Keys::Set(holder, Keys::SocketPower(n), on);
    if (!PortOpen() || queue_.Ending()) return;
    const bool queued = queue_.SwitchQueued(n);
    if (queued || queue_.Running())
        Message("Steckdose " + std::to_string(n) +
                ": Schalten wartet, bis der laufende Austausch mit der Box beendet ist");
    // A queued switch sends the state stored when its turn comes.
    if (queued) return;
    answered_[n] = false;
    queue_.Submit(TKind::Switch, n, [this, n] { SendStoredState(n); });
}

bool TBoxController::StoredOn(int n) const {
    return ValidSocket(n) && Keys::Get(Holder(), Keys::SocketPower(n));
}

void TBoxController::SwitchTo(int n, bool on) {
    if (!ValidSocket(n)) return;
    if (StoredOn(n) != on) {
        Multi_Action_Steckdose_ToggleExecute(n);
        return;
    }
    if (links_.activity) links_.activity();
    if (!PortOpen() || queue_.Ending() || queue_.SwitchQueued(n)) return;
    answered_[n] = false;
    queue_.Submit(TKind::Switch, n, [this, n] { SendStoredState(n); });
}

void TBoxController::SendStoredState(int n) {
    if (!PortOpen()) return;
    const bool on = Keys::Get(Holder(), Keys::SocketPower(n));
    const std::string number = std::to_string(n);
    if (on) {
        const std::string reply = SendLogged("atn" + number);
        answered_[n] = !reply.empty();
        if (!reply.empty()) get_PortInput(reply, kWaitMarker, kEndPort);
    } else {
        // No response wait and no timeout line when switching off.
        const std::string reply = SendLogged("ato" + number);
        answered_[n] = !reply.empty();
        if (!reply.empty()) AddMemoLine("RECV: " + reply);
    }
}

void TBoxController::MultiAction_Steckdose_Init(int n) {
    TmTraceScope trace(ProgramLog(), Kind::Procedure, "TTavrin1.MultiAction_Steckdose_Init");
    Message(AdjustMessage(n));
    if (!ValidSocket(n)) return;
    TmuDataholder& holder = Holder();
    TBoxContext context(holder);
    const bool on = Keys::Get(holder, Keys::SocketPower(n));
    if (view_) view_->ShowSocket(n, on);
    Keys::Set(holder, Keys::SocketPower(n), on);
    if (!PortOpen()) return;

    queue_.Submit(TKind::Switch, n, [this, n] {
        const bool isOn = Keys::Get(Holder(), Keys::SocketPower(n));
        if (isOn) {
            // Switching delay 0 first, so the socket follows at once.
            const std::string delayReply = SendLogged("att0");
            if (!delayReply.empty()) AddMemoLine("RECV: " + delayReply);
        }
        const std::string reply = SendLogged((isOn ? "atn" : "ato") + std::to_string(n));
        if (!reply.empty())
            get_PortInput(reply, kWaitMarker, kEndPort);
        else
            AddMemoLine("RECV: Timeout");
    });
}

void TBoxController::MultiAction_Steckdose_OFF(int n) {
    TmTraceScope trace(ProgramLog(), Kind::Procedure, "TAC_Program.MultiAction_Steckdose_OFF");
    Message(AdjustMessage(n));
    if (!ValidSocket(n)) return;
    TmuDataholder& holder = Holder();
    TBoxContext context(holder);
    if (view_) view_->ShowSocket(n, false);
    Keys::Set(holder, Keys::SocketPower(n), false);
}

// ---------------------------------------------------------------------------
// Emergency off

void TBoxController::Action_DangerOFF() {
    if (!PortOpen()) return;
    TmTraceScope trace(ProgramLog(), Kind::Procedure, "TTavrin1.Action_DangerOFFExecute");
    TmuDataholder& holder = Holder();
    {
        TBoxContext context(holder);
        for (int n = 1; n <= kSockets; ++n) Keys::Set(holder, Keys::SocketPower(n), false);
    }
    if (view_) view_->ShowAllOff();
    const int count = std::min(*state_.ACDosenCount, kSockets);
    for (int n = 1; n <= count; ++n) MultiAction_Steckdose_OFF(n);
    for (int n = 1; n <= kSockets; ++n) answered_[n] = false;
    queue_.SubmitEmergencyOff([this] { SendAllOff(); });
}

void TBoxController::SendAllOff() {
    if (!PortOpen()) return;
    const std::string delayReply = SendLogged("att0");
    if (!delayReply.empty()) AddMemoLine("RECV: " + delayReply);

    const std::string reply = SendLogged("atoff");
    for (int n = 1; n <= kSockets; ++n) answered_[n] = !reply.empty();
    if (!reply.empty())
        get_PortInput(reply, kWaitMarker, kEndPort);
    else
        AddMemoLine("RECV: Timeout");
}

// ---------------------------------------------------------------------------
// The settings dialog's box options

bool TBoxController::BoxConnected() {
    TmuATCmd* at = ATCmd();
    return PortOpen() && at != nullptr && at->CheckATCmd();
}

bool TBoxController::BoxAnswers() {
    if (links_.hub == nullptr) return false;
    ServeMessages(1);
    return BoxConnected();
}

void TBoxController::ReadSerialNumber(std::function<void(const std::string& answer)> done) {
    queue_.Submit(TKind::Box, 0, [this, done = std::move(done)] {
        if (!BoxConnected()) return;
        std::string answer;
        AddMemoLine("SEND: atsn");
        ATCmd()->SetATSNCmd(answer);
        AddMemoLine("RECV: " + answer);
        if (done) done(answer);
    });
}

void TBoxController::SetDelay(bool ticked, const std::string& seconds,
                              std::function<void(const std::string& sent)> done) {
    queue_.Submit(TKind::Box, 0, [this, ticked, seconds, done = std::move(done)] {
        TmTraceScope trace(ProgramLog(), Kind::Procedure,
                           "TForm_AC_Einstellung1.Action_NELTA_PULSTIMEExecute");
        if (!BoxAnswers()) return;
        // No entry chosen counts as no delay.
        std::string sent = ticked ? seconds : std::string("0");
        if (sent.empty()) sent = "0";
        TmuDataholder& holder = Holder();
        Keys::Set(holder, Keys::Delay, ticked);
        Keys::Set(holder, Keys::DelayTime, ticked ? std::atoi(sent.c_str()) : 0);
        std::string answer;
        ATCmd()->SetATTCmd(sent, answer);
        AddMemoLine("SEND: ATT" + sent);
        AddMemoLine("RECV: " + answer);
        if (done) done(sent);
    });
}

void TBoxController::SetBeeper(bool on) {
    queue_.Submit(TKind::Box, 0, [this, on] {
        if (!BoxAnswers()) return;
        Keys::Set(Holder(), Keys::Beeper, on);
        std::string answer;
        if (on) {
            AddMemoLine("SEND: Atbon");
            ATCmd()->SetATBONCmd(answer);
        } else {
            AddMemoLine("SEND: Atboff");
            ATCmd()->SetATBOffCmd(answer);
        }
        AddMemoLine("RECV: " + answer);
    });
}

void TBoxController::FactoryReset(std::function<void(const std::string& answer)> done) {
    queue_.Submit(TKind::Box, 0, [this, done = std::move(done)] {
        if (!BoxAnswers()) return;
        std::string answer;
        AddMemoLine("SEND: atrs");
        ATCmd()->SetATRSCmd(answer);
        AddMemoLine("RECV: " + answer);
        if (done) done(answer);
    });
}

// ---------------------------------------------------------------------------
// The end

void TBoxController::RequestEnd() {
    if (!queue_.Ending()) Message("Programmende: Austausch mit der Box wird beendet");
    queue_.RequestEnd();
}

bool TBoxController::AtCancelled() const {
    return queue_.PastEndDeadline() || (queue_.Ending() && !endSwitchOff_);
}

void TBoxController::SwitchOffAtEnd(int n) {
    queue_.RequestEnd();
    // The AT layer's waits run again for the end's own switch-offs, while
    // the end's time lasts.
    endSwitchOff_ = true;
    if (!queue_.PastEndDeadline()) {
        set_port_ato(n);
        return;
    }
    // The end's time is up: the command alone, so that the socket still goes
    // off without holding up the end.
    if (SerialPort* port = links_.port) {
        port->ClearInput();
        port->WriteText("ato" + std::to_string(n) + "\r");
    }
    Message("Steckdose " + std::to_string(n) + " ohne Warten auf die Box ausgeschaltet");
}
