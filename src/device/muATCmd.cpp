#include "device/muATCmd.h"

#include <algorithm>
#include <exception>

#include "device/ComPortMap.h"
#include "device/PosixSerialPort.h"
#include "device/SerialPort.h"
#include "hub/mVedadAzaro.h"
#include "toolkit/Platform.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"
#include "toolkit/muStringTools.h"
#include "toolkit/muTraceScope.h"

namespace {

using Kind = TmTraceScope::Kind;

// "ERROR" somewhere after the first character of the text (the first
// occurrence decides, as a text search would report it).
bool ErrorAfterFirst(const std::string& raw) {
    const auto p = raw.find("ERROR");
    return p != std::string::npos && p > 0;
}

}  // namespace

TmuATCmd::TmuATCmd(TComponent* owner) : TComponent(owner) {
    CreateLogging(this, log_, "muATCmd", "LOG_STD", false, true);
    const int h = log_->addCall({"addCls", "Create", "None", "Klasse " + log_->CompoName() + " erstellen"});
    hub_ = new TmVedadAzaro(this);
    log_->exitCls(h);
}

TmuATCmd::~TmuATCmd() {
    const int h = log_->addCall({"addCls", "Destroy", "None", "Klasse " + log_->CompoName() + " vernichten"});
    log_->exitCls(h);
    delete hub_;
    hub_ = nullptr;
    delete log_;
    log_ = nullptr;
}

void TmuATCmd::setApplication(Application* app) { hub_->setApplication(app); }

Application* TmuATCmd::getApplication() const { return hub_->getApplication(); }

void TmuATCmd::ProcessMessages(int count) { hub_->OperationSystem()->SetProcessMessages(count); }

std::string TmuATCmd::GetReplyText(const std::string& raw) const {
    return hub_->StringTools()->getTextBetween(raw, ">", "\r");
}

int TmuATCmd::GetTimeout() {
    TmTraceScope trace(log_, Kind::Function, "GetTimeout");
    log_->addVarInteger("r_iresult", timeout_);
    return timeout_;
}

void TmuATCmd::SetTimeout(int value) {
    TmTraceScope trace(log_, Kind::Procedure, "SetTimeout");
    log_->addVarInteger("i_iTimeout", value);
    timeout_ = value;
}

int TmuATCmd::COMPortNo() const {
    if (comPos_ < 1 || comPos_ > static_cast<int>(comPortList_.size())) return 0;
    const mComPort& entry = comPortList_[static_cast<std::size_t>(comPos_ - 1)];
    return entry.Opened ? entry.PortNo : 0;
}

int TmuATCmd::GetCOMPortCount() {
    TmTraceScope trace(log_, Kind::Function, "GetCOMPortCount");
    const int count = port_ ? static_cast<int>(comPortList_.size()) : 0;
    log_->addVarInteger("r_iresult", count);
    return count;
}

void TmuATCmd::set_COMIdent(int position, const std::string& text) {
    TmTraceScope trace(log_, Kind::Procedure, "set_COMIdent");
    log_->addVarInteger("i_iPosition", position);
    log_->addVarString("i_sIdent", text);
    // Positions outside the list are ignored (an empty list included).
    if (position < 1 || position > static_cast<int>(comPortList_.size())) return;
    comPortList_[static_cast<std::size_t>(position - 1)].Ident = text;
}

void TmuATCmd::add_COMPort(std::int32_t portNo, bool opened, const std::string& ident, bool responds) {
    TmTraceScope trace(log_, Kind::Procedure, "add_COMPort");
    log_->addVarInteger("i_iPortNo", portNo);
    log_->addVarBoolean("i_bOpened", opened);
    log_->addVarString("i_sIdent", ident);
    log_->addVarBoolean("i_bResponds", responds);
    comPortList_.push_back({portNo, opened, responds, ident});
}

void TmuATCmd::CheckATMultiCmd(const std::string& cmd, std::string& raw) {
    TmTraceScope trace(log_, Kind::Procedure, "CheckATMultiCmd");
    log_->addVarString("i_sCmd", cmd);
    raw.clear();
    if (!port_) {
        log_->addVarString("r_sresult", raw);
        return;
    }
    const std::string line = cmd + "\r";
    log_->addVarString("> Set Cmd: ", line);
    const int k = ATCMDandResponsInputCount(line);
    if (k <= 0) {
        log_->addVarInteger("> AT-Error", k);
    } else {
        // Everything waiting now, also what arrived after the wait ended.
        raw = port_->ReadText(port_->GetInputCount());
        log_->addVarString("> Get Cmd: ", raw);
    }
    log_->addVarString("r_sresult", raw);
}

int TmuATCmd::ATCMDandResponsInputCount(const std::string& line) {
    TmTraceScope trace(log_, Kind::Function, "ATCMDandResponsInputCount");
    log_->addVarString("i_sLine", line);
    if (!port_) {
        log_->addVarInteger("r_iresult", -1);
        return -1;
    }
    port_->ClearInput();
    port_->WriteText(line);
    const int k = ATResponseAndAppProcessMessages();
    log_->addVarInteger("r_iresult", k);
    return k;
}

int TmuATCmd::ATResponseAndAppProcessMessages() {
    TmTraceScope trace(log_, Kind::Function, "ATResponseAndAppProcessMessages");
    if (!port_) {
        log_->addVarInteger("r_iresult", -1);
        return -1;
    }
    // The box needs its time: no message is served during this sleep.
    GetPlatform().SleepMs(kResponseSleepMs);
    ProcessMessages(10);

    int polls = timeout_;
    int k = 0;
    do {
        k = port_->GetInputCount();
        if (k == 0 || k == 1) {
            // A single byte is not an answer yet.
            k = 0;
            log_->addVarInteger("iInputCount", 0);
            ProcessMessages(10);
        }
        --polls;
        if (k == 0 && Cancelled()) polls = 0;
        // A Timeout of 0 or less still polls once and then gives up.
    } while (!(k > 0 || polls <= 0));

    if (polls <= 0) log_->addText("Error Timeout");
    if (k == 0 && polls <= 0 && Cancelled()) {
        log_->addText("> Abgebrochen");
        k = -1;
    } else if (k == 0 && polls <= 0) {
        log_->addText("> Error iresult");
        GetPlatform().Beep();
        k = -1;
    }
    log_->addVarInteger("r_iresult", k);
    return k;
}

bool TmuATCmd::CheckATCmd() {
    TmTraceScope trace(log_, Kind::Function, "CheckATCmd");
    std::string raw;
    CheckATMultiCmd("at", raw);
    log_->addVarString("sRXBuf", raw);
    bool gaveUp = false;
    if (ErrorAfterFirst(raw)) {
        // The box is still busy with something: ask again while it answers
        // "ERROR", but not for ever.
        int repeats = 0;
        do {
            CheckATMultiCmd("at", raw);
            log_->addVarString("sRXBuf", raw);
            ++repeats;
        } while (raw.find("ERROR") != std::string::npos && repeats < kMaxErrorRepeats && !Cancelled());
        gaveUp = raw.find("ERROR") != std::string::npos;
        if (gaveUp) log_->addErr("ERROR nach " + std::to_string(repeats) + " Wiederholungen");
    }
    const bool result = !gaveUp && AsciiUpper(GetReplyText(raw)) == "OK";
    log_->addVarBoolean("r_bresult", result);
    return result;
}

bool TmuATCmd::CheckATICmd(std::string& ident) {
    TmTraceScope trace(log_, Kind::Function, "CheckATICmd");
    std::string raw;
    CheckATMultiCmd("ati", raw);
    const bool result = !raw.empty();
    ident = result ? GetReplyText(raw) : std::string();
    log_->addVarString("soValueCmd", ident);
    log_->addVarBoolean("r_bresult", result);
    return result;
}

bool TmuATCmd::SendFixed(const std::string& name, const std::string& cmd, std::string& answer) {
    TmTraceScope trace(log_, Kind::Function, name);
    return SendAnswer(cmd, answer);
}

bool TmuATCmd::SendAnswer(const std::string& cmd, std::string& answer) {
    std::string raw;
    CheckATMultiCmd(cmd, raw);
    answer = raw;
    const bool result = !raw.empty();
    log_->addVarString("soValueCmd", answer);
    log_->addVarBoolean("r_bresult", result);
    return result;
}

bool TmuATCmd::SetATBONCmd(std::string& answer) { return SendFixed("SetATBONCmd", "atbon", answer); }

bool TmuATCmd::SetATBOffCmd(std::string& answer) { return SendFixed("SetATBOffCmd", "atboff", answer); }

bool TmuATCmd::SetATRSCmd(std::string& answer) { return SendFixed("SetATRSCmd", "atrs", answer); }

bool TmuATCmd::SetATSNCmd(std::string& answer) { return SendFixed("SetATSNCmd", "atsn", answer); }

bool TmuATCmd::SetATTCmd(const std::string& delay, std::string& answer) {
    TmTraceScope trace(log_, Kind::Function, "SetATTCmd");
    log_->addVarString("i_sDelay", delay);
    return SendAnswer("att" + delay, answer);
}

bool TmuATCmd::SearchCOMPorts() {
    TmTraceScope trace(log_, Kind::Function, "SearchCOMPorts");
    if (!port_) {
        log_->addVarBoolean("r_bresult", false);
        return false;
    }
    SetTimeout(kSearchTimeout);
    // The machine's console ports have no COM name; the trace names them.
    if (dynamic_cast<PosixSerialPort*>(port_) != nullptr)
        for (const TLeftOutPort& left : TComPortMap::LeftOutPorts())
            log_->addText("COM-Port " + left.device + " übergangen: " + left.reason);
    for (int n = 1; n <= kSearchPorts && !Cancelled(); ++n) {
        const std::string name = PortName(n);
        const std::string t = "Open " + name + " Status";
        try {
            // Naming an open port reopens it under the new name, so the
            // renaming belongs inside the guard as well.
            port_->SetPort(name);
            if (!port_->Connected()) port_->SetConnected(true);
            if (port_->Connected()) {
                log_->addVarBoolean(t, true);
                add_COMPort(n, true, "", false);
                port_->SetConnected(false);
            }
        } catch (const std::exception&) {
            log_->addVarBoolean("Error " + t, port_->Connected());
            ProcessMessages(1);
        }
    }
    log_->addVarBoolean("r_bresult", true);
    return true;
}

void TmuATCmd::OpenListed(std::int32_t portNo) {
    port_->SetPort(PortName(portNo));
    if (!port_->Connected()) port_->SetConnected(true);
}

bool TmuATCmd::TestPorts(const std::string& name, bool strict) {
    TmTraceScope trace(log_, Kind::Function, name);
    if (!port_) {
        log_->addVarBoolean("bresult", false);
        log_->addVarBoolean("r_bresult", false);
        return false;
    }
    SetTimeout(kSearchTimeout);
    // By position: the waits serve messages, and a handler may add entries.
    for (std::size_t i = 0; i < comPortList_.size() && !Cancelled(); ++i) {
        if (!comPortList_[i].Opened) continue;
        const std::int32_t portNo = comPortList_[i].PortNo;
        OpenListed(portNo);
        comPortList_[i].Responds = false;
        bool ok = false;
        if (strict) {
            for (int a = 0; a < kStrictFirst && !Cancelled(); ++a) ok = CheckATCmd();
            for (int a = 0; ok && a < kStrictFollow && !Cancelled(); ++a) ok = CheckATCmd();
        } else {
            for (int a = 0; a < kAutostartAttempts && !ok && !Cancelled(); ++a) ok = CheckATCmd();
        }
        // A search cut short by the end of the program finds no box here.
        if (Cancelled()) ok = false;
        if (ok) {
            comPortList_[i].Responds = true;
            log_->addVarBoolean(PortName(portNo), true);
        }
        ProcessMessages(1);
    }
    log_->addVarBoolean("r_bresult", true);
    return true;
}

bool TmuATCmd::SearchATCmdAtAutostart() { return TestPorts("SearchATCmdAtAutostart", false); }

bool TmuATCmd::SearchATCmd() { return TestPorts("SearchATCmd", true); }

bool TmuATCmd::SearchATICmd() {
    TmTraceScope trace(log_, Kind::Function, "SearchATICmd");
    if (!port_) {
        log_->addVarBoolean("r_bresult", false);
        return false;
    }
    SetTimeout(kSearchTimeout);
    for (std::size_t i = 0; i < comPortList_.size() && !Cancelled(); ++i) {
        if (comPortList_[i].Opened && comPortList_[i].Responds) {
            const std::int32_t portNo = comPortList_[i].PortNo;
            OpenListed(portNo);
            if (port_->Connected()) {
                comPortList_[i].Ident.clear();
                std::string first;
                std::string second;
                bool ok = CheckATICmd(first);
                if (ok) ok = CheckATICmd(second);
                if (ok) {
                    comPortList_[i].Ident = second;
                    log_->addVarString("> sCMD: ", second);
                }
            } else {
                log_->addText(PortName(portNo) + " not open or no response");
            }
            ProcessMessages(1);
        } else {
            log_->addText("Error Open " + port_->Port() + " not open or no response");
        }
    }
    log_->addVarBoolean("r_bresult", true);
    return true;
}

int TmuATCmd::SetNELTA(std::string& f1, std::string& f2, std::string& f3, std::string& f4) {
    TmTraceScope trace(log_, Kind::Function, "SetNELTA");
    f1.clear();
    f2.clear();
    f3.clear();
    f4.clear();
    int position = 0;
    if (port_) {
        for (std::size_t i = 0; i < comPortList_.size(); ++i) {
            const mComPort& entry = comPortList_[i];
            if (!entry.Opened || !entry.Responds) continue;
            TmuStringTools* tools = hub_->StringTools();
            tools->splitTokens(entry.Ident, "-");
            f1 = tools->getToken(1);
            f2 = tools->getToken(2);
            f3 = tools->getToken(3);
            f4 = tools->getToken(4);
            position = static_cast<int>(i) + 1;
            log_->addVarInteger("iresult", position);
            break;
        }
    }
    log_->addVarString("o_sField1", f1);
    log_->addVarString("o_sField2", f2);
    log_->addVarString("o_sField3", f3);
    log_->addVarString("o_sField4", f4);
    log_->addVarInteger("r_iresult", position);
    return position;
}
