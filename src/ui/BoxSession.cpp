#include "ui/BoxSession.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QTabBar>
#include <QWidget>

#include "device/SerialPort.h"
#include "device/muATCmd.h"
#include "store/muDataConvert.h"
#include "store/muDataHolder.h"
#include "store/muTraceScope.h"
#include "toolkit/mVedadAzaro.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"
#include "toolkit/muStringTools.h"
#include "ui/AC_Prg_Einstellung.h"
#include "ui/CommandExchange.h"
#include "ui/ProgramView.h"
#include "ui/SocketActions.h"
#include "ui/SocketPages.h"
#include "ui/SocketSwitching.h"

namespace {

using Kind = TmTraceScope::Kind;

constexpr int kAllSockets = 24;
constexpr int kSlots = 4;

std::string Blanks(int count) { return std::string(static_cast<std::size_t>(count), ' '); }

std::string TwoDigits(int n) { return TSocketActions::TwoDigits(n).toStdString(); }

// The default context of the box's socket values, cleared on every way out.
class TBoxContext {
public:
    explicit TBoxContext(TmuDataholder* holder) : holder_(holder) {
        holder_->UseIndex = "AC01";
        holder_->UseSection = "AC";
    }
    ~TBoxContext() { holder_->clearUseIndexSection(); }
    TBoxContext(const TBoxContext&) = delete;
    TBoxContext& operator=(const TBoxContext&) = delete;

private:
    TmuDataholder* holder_;
};

}  // namespace

const char* const TBoxSession::kStatusNoBox = "Status: Keine AC-Steckdosen vorhanden.";

const std::vector<TBoxModel>& TBoxSession::BoxModels() {
    static const std::vector<TBoxModel> models = [] {
        const std::vector<std::string> twelve = {"   1-4   ", "   5-8   ", "   9-12  "};
        std::vector<std::string> sixteen = twelve;
        sixteen.push_back("  13-16  ");
        std::vector<std::string> twenty = sixteen;
        twenty.push_back("  17-20  ");
        std::vector<std::string> twentyFour = twenty;
        twentyFour.push_back("  21-24  ");
        return std::vector<TBoxModel>{
            {"USB-NELTA4", 4, {Blanks(18) + "1 - 4" + Blanks(18)}},
            {"USB-NELTA8", 8, {Blanks(20) + "1 - 4" + Blanks(20), Blanks(20) + "5 - 8" + Blanks(20)}},
            {"USB-NELTA12", 12, twelve},
            {"USB-NELTA16", 16, sixteen},
            {"USB-NELTA20", 20, twenty},
            {"USB-NELTA24", 24, twentyFour},
        };
    }();
    return models;
}

const std::vector<TControllerType>& TBoxSession::ControllerTypes() {
    static const std::vector<TControllerType> types = {
        {"BOX4", 4}, {"BOX8", 8}, {"BOX12", 12}, {"BOX16", 16}, {"BOX20", 20}, {"BOX24", 24},
    };
    return types;
}

int TBoxSession::ControllerSockets(const std::string& controllerType) {
    for (const TControllerType& type : ControllerTypes())
        if (controllerType == type.name) return type.sockets;
    return 0;
}

std::string TBoxSession::StatusPortPresent(const std::string& port) {
    return "Status: Schnittstelle " + port + " vorhanden.";
}

std::string TBoxSession::StatusSetAT(const std::string& port) { return port + " > Status: Set AT commands"; }

std::string TBoxSession::StatusTimeout(const std::string& port) { return port + " > Status: Timeout"; }

std::string TBoxSession::StatusDelay(const std::string& port, int seconds) {
    return port + " > Set NELTA delaytime: " + std::to_string(seconds) + " sec.";
}

TBoxSession::TBoxSession(TParts parts, TState state) : parts_(parts), state_(std::move(state)) {}

TmuLogging* TBoxSession::Log() const { return state_.programLogging ? state_.programLogging() : nullptr; }

void TBoxSession::ServeMessagesOnce() { parts_.hub.OperationSystem()->SetProcessMessages(1); }

void TBoxSession::set_Combobox_Status(const std::string& text) {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.set_Combobox_Status");
    if (TmuLogging* log = Log()) log->addVarString("i_sStatus", text);
    QComboBox* combo = parts_.view.ComboBox_AC_Steckdosen();
    if (combo == nullptr) return;
    combo->clear();
    combo->addItem(QString::fromStdString(text));
    combo->setCurrentIndex(0);
    combo->repaint();
}

void TBoxSession::HideSocketControls() {
    TSocketPages& pages = parts_.pages;
    pages.set_Visible_Index_MenuItems("ItemSteckdose", kAllSockets, false);
    pages.set_Visible_Index_MenuItems("Tray_Steckdose", kAllSockets, false);
    pages.set_Enable_Index_Speedbutton("SpeedButton_ACX", kSlots, false);
    pages.set_Enable_Index_Speedbutton("SpeedButton_EditX", kSlots, false);
}

void TBoxSession::Init_AC_Active() {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.Init_AC_Active");
    // Switching actions of the user wait until the box is set up.
    const TSocketSwitching::TExchangeScope exchangeScope(parts_.switching);
    TCommandExchange& exchange = parts_.exchange;
    TmuATCmd* at = exchange.ATCmd();
    SerialPort* port = exchange.Port();

    // 1. Nothing of a socket can be reached before the box is identified.
    HideSocketControls();
    ServeMessagesOnce();

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
    if (TmuLogging* log = Log()) log->addVarInteger("i_iCOMPos", position);

    // 4.
    set_Combobox_Status(StatusPortPresent(exchange.PortName()));
    ServeMessagesOnce();

    // 5.
    if (exchange.PortOpen()) {
        set_Combobox_Status(StatusSetAT(exchange.PortName()));
        Identify();
        set_Init_Status();
        if (!state_.InitStart) SendStoredStates();
    }

    // 6. Whatever is still waiting at the port belongs to no exchange.
    if (exchange.PortOpen()) port->ReadText(port->GetInputCount());

    // 7.
    if (exchange.PortOpen() && !CheckAndBuild()) return;

    // 8. and 9.
    state_.InitStart = false;
    set_Init_Status();
}

void TBoxSession::Identify() {
    TCommandExchange& exchange = parts_.exchange;
    TmuATCmd* at = exchange.ATCmd();
    SerialPort* port = exchange.Port();
    TmuDataholder* holder = parts_.hub.Dataholder();

    exchange.SendCommand("at");
    const std::string ident = exchange.ReplyText(exchange.SendCommand("ati"));
    std::string f1, f2, f3, f4;
    if (at != nullptr) {
        at->set_COMIdent(at->COMPos(), ident);
        at->SetNELTA(f1, f2, f3, f4);
    }

    if (!exchange.PortOpen()) {
        set_Combobox_Status(StatusTimeout(exchange.PortName()));
        exchange.set_COMPort_Lines("RECV: Timeout");
        return;
    }

    const std::string joined = f1 + "-" + f2 + "-" + f3 + "-" + f4;
    TmuDataConvert* convert = parts_.hub.DataConvert();
    holder->setValueList("AC01", "COM",
                         {"Port", port->Port(),                                                    //
                          "Baudrate", convert->BaudRateToStr(static_cast<int>(port->BaudRate())),  //
                          "Stopbit", convert->StopBitsToStr(static_cast<int>(port->StopBits())),   //
                          "Parity", convert->ParityToStr(static_cast<int>(port->Parity())),        //
                          "Flowcontrol", convert->FlowControlToStr(static_cast<int>(port->FlowControl()))});
    if (holder->getValueString("AC01|AC|AC_Controller") != joined)
        holder->setValueString("AC01|AC|AC_Controller", joined);

    if (const int sockets = ControllerSockets(f3); sockets > 0) state_.ACDosenCount = sockets;
    if (TmuLogging* log = Log()) {
        log->addVarString("i_sIdent", ident);
        log->addVarInteger("i_iACDosenCount", state_.ACDosenCount);
    }
}

void TBoxSession::SendStoredStates() {
    TCommandExchange& exchange = parts_.exchange;
    TmuDataholder* holder = parts_.hub.Dataholder();
    TBoxContext context(holder);
    for (int n = 1; n <= state_.ACDosenCount; ++n) {
        // The full path: a handler that runs during a wait may clear the
        // default context.
        if (holder->getValueBoolean("AC01|AC|ACPower" + TwoDigits(n))) {
            const std::string command = "atn" + std::to_string(n);
            exchange.set_COMPort_Lines("SEND: " + command);
            const std::string reply =
                TCommandExchange::UpperCase(exchange.ReplyText(exchange.SendCommand(command)));
            if (!reply.empty())
                exchange.get_PortInput(reply, TCommandExchange::kWaitMarker, TCommandExchange::kEndSetPort);
            else
                exchange.set_COMPort_Lines("RECV: Timeout");
        } else {
            exchange.set_port_ato(n);
        }
    }
}

bool TBoxSession::CheckAndBuild() {
    TCommandExchange& exchange = parts_.exchange;
    const std::string port = exchange.PortName();
    auto check = [&exchange] {
        exchange.set_COMPort_Lines("SEND: at");
        return TCommandExchange::UpperCase(exchange.ReplyText(exchange.SendCommand("at")));
    };

    std::string reply = check();
    if (!reply.empty()) {
        exchange.set_COMPort_Lines("RECV: " + reply);
        // An answer that is not "OK" ends the initialisation here.
        if (reply != "OK") return false;
        reply = check();
        exchange.set_COMPort_Lines(reply.empty() ? std::string("RECV: Timeout") : "RECV: " + reply);
    } else {
        set_Combobox_Status(StatusTimeout(port));
        exchange.set_COMPort_Lines("RECV: Timeout");
    }

    std::string status = StatusPortPresent(port);
    if (reply != "OK") {
        status = kStatusNoBox;
    } else {
        exchange.set_COMPort_Lines("SEND: ati");
        const std::string ident =
            TCommandExchange::UpperCase(exchange.ReplyText(exchange.SendCommand("ati")));
        if (!ident.empty()) {
            status = port + " > " + ident;
            exchange.set_COMPort_Lines("RECV: " + ident);
            exchange.set_COMPort_Lines("RECV: " + status);
        } else {
            exchange.set_COMPort_Lines("RECV: Timeout");
        }

        state_.ACDosenCount = kAllSockets;
        const bool known = ApplyModel(ident);
        parts_.pages.Init_AC_DosenChange();
        // Binding the page's actions enables the slot buttons; without a
        // known model they stay disabled.
        if (!known) {
            parts_.pages.set_Enable_Index_Speedbutton("SpeedButton_ACX", kSlots, false);
            parts_.pages.set_Enable_Index_Speedbutton("SpeedButton_EditX", kSlots, false);
        }
        parts_.window.repaint();
        LogVersionReport();
    }

    if (status != kStatusNoBox) RestoreSockets();
    set_Combobox_Status(status);
    return true;
}

bool TBoxSession::ApplyModel(const std::string& identUpper) {
    TSocketPages& pages = parts_.pages;
    bool known = false;
    for (const TBoxModel& model : BoxModels()) {
        if (identUpper.find(model.name) == std::string::npos) continue;
        pages.set_Visible_Index_MenuItems("ItemSteckdose", model.sockets, true);
        pages.set_Visible_Index_MenuItems("Tray_Steckdose", model.sockets, true);
        pages.set_Enable_Index_Speedbutton("SpeedButton_ACX", kSlots, true);
        pages.set_Enable_Index_Speedbutton("SpeedButton_EditX", kSlots, true);
        if (QTabBar* tabs = parts_.view.TabControl_AC_Dosen()) {
            // The page is bound explicitly afterwards; the tab changes made
            // here are no page change of the user.
            const QSignalBlocker blocker(tabs);
            while (tabs->count() > 0) tabs->removeTab(tabs->count() - 1);
            for (const std::string& caption : model.tabs) tabs->addTab(QString::fromStdString(caption));
            tabs->setCurrentIndex(0);
        }
        state_.ACDosenCount = model.sockets;
        known = true;
    }
    if (TmuLogging* log = Log()) log->addVarInteger("r_iACDosenCount", state_.ACDosenCount);
    return known;
}

void TBoxSession::LogVersionReport() {
    TCommandExchange& exchange = parts_.exchange;
    // This line goes to the memo whatever COMPortLogging says.
    exchange.AddMemoLine("SEND: atv");
    const std::string raw = exchange.SendCommand("atv");
    if (exchange.ReplyText(raw).empty()) {
        exchange.set_COMPort_Lines("RECV: Timeout");
        return;
    }
    TmuStringTools* tools = parts_.hub.StringTools();
    tools->splitTokens(raw, "\r");
    const int count = tools->getTokenCount();
    for (int i = 1; i <= count; ++i) {
        std::string piece = tools->getToken(i);
        std::erase(piece, '\n');
        if (!piece.empty()) exchange.set_COMPort_Lines("RECV: " + piece);
    }
}

void TBoxSession::RestoreSockets() {
    QTabBar* tabs = parts_.view.TabControl_AC_Dosen();
    for (int n = 1; n <= state_.ACDosenCount; ++n) {
        const int k = (n - 1) % kSlots + 1;
        const int tabIndex = tabs ? tabs->currentIndex() : -1;
        parts_.switching.MultiAction_Steckdose_Init(parts_.actions.Toggle(n), parts_.view.SpeedButton_ACX(k),
                                                    tabIndex, n);
    }
}

void TBoxSession::set_Init_Status() {
    TmTraceScope trace(Log(), Kind::Procedure, "TTavrin1.set_Init_Status");
    TCommandExchange& exchange = parts_.exchange;
    TmuDataholder* holder = parts_.hub.Dataholder();
    if (TmuLogging* log = Log()) log->addVarBoolean("i_bInitStart", state_.InitStart);

    {
        TBoxContext context(holder);
        if (holder->getValueBoolean("AC01|AC|AC_DELAY")) {
            const int seconds = holder->getValueInteger("AC01|AC|AC_DELAYTIME");
            if (AC_Einstellung != nullptr) {
                // Ticking the box is a change of the option: it runs the
                // delay action as a click would.
                AC_Einstellung->SelectDelay(seconds);
                AC_Einstellung->SetDelayActive(true);
                AC_Einstellung->repaint();
            }
            if (state_.InitStart) set_Combobox_Status(StatusDelay(exchange.PortName(), seconds));
        }
    }

    if (!state_.InitStart) {
        if (AC_Einstellung != nullptr) AC_Einstellung->Action_NELTA_PULSTIMEExecute();
    } else if (exchange.PortOpen()) {
        exchange.set_COMPort_Lines("PROG: Init-Status");
        exchange.set_COMPort_Lines("SEND: att0");
        const std::string reply = exchange.ReplyText(exchange.SendCommand("att0"));
        if (!reply.empty()) exchange.set_COMPort_Lines("RECV: " + reply);
    }
}
