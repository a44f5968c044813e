#include "ui/CommandExchange.h"

#include <QPlainTextEdit>
#include <QStringDecoder>
#include <cctype>

#include "device/SerialPort.h"
#include "device/muATCmd.h"
#include "store/muTraceScope.h"
#include "toolkit/Platform.h"
#include "toolkit/mVedadAzaro.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"
#include "ui/AC_Prg_Einstellung.h"

namespace {

using Kind = TmTraceScope::Kind;

// The memo shows program texts (UTF-8) and port bytes (one character per
// byte); a line that is no valid UTF-8 carries port bytes and is shown with
// one character per byte.
QString MemoText(const std::string& text) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError()) return decoded;
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The marker at a position after the first character, the first occurrence
// deciding.
bool FoundAfterFirst(const std::string& text, const std::string& marker) {
    const auto p = text.find(marker);
    return p != std::string::npos && p > 0;
}

}  // namespace

TCommandExchange::TCommandExchange(TmVedadAzaro& hub, const bool& comPortLogging, TLinks links)
    : hub_(hub), comPortLogging_(comPortLogging), links_(std::move(links)) {}

TmuLogging* TCommandExchange::ProgramLog() const {
    return links_.programLogging ? links_.programLogging() : nullptr;
}

SerialPort* TCommandExchange::Port() const { return links_.port ? links_.port() : nullptr; }

TmuATCmd* TCommandExchange::ATCmd() const { return links_.atCmd ? links_.atCmd() : nullptr; }

bool TCommandExchange::PortOpen() const {
    SerialPort* port = Port();
    return port != nullptr && port->Connected();
}

std::string TCommandExchange::PortName() const {
    SerialPort* port = Port();
    return port ? port->Port() : std::string();
}

std::string TCommandExchange::UpperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

void TCommandExchange::SetStatus(const std::string& text) {
    if (links_.status) links_.status(text);
}

std::string TCommandExchange::ReplyText(const std::string& raw) const {
    TmuATCmd* at = ATCmd();
    return at ? at->GetReplyText(raw) : std::string();
}

std::string TCommandExchange::SendCommand(const std::string& command) {
    std::string raw;
    if (TmuATCmd* at = ATCmd()) at->CheckATMultiCmd(command, raw);
    return raw;
}

void TCommandExchange::set_COMPort_Lines(const std::string& text) {
    if (!comPortLogging_) return;
    AddMemoLine(text);
}

void TCommandExchange::AddMemoLine(const std::string& text) {
    if (AC_Einstellung == nullptr) return;
    if (QPlainTextEdit* memo = AC_Einstellung->Memo_COMPort()) memo->appendPlainText(MemoText(text));
}

int TCommandExchange::set_AppProcessMessages() {
    TmTraceScope trace(ProgramLog(), Kind::Function, "TTavrin1.set_AppProcessMessages");
    SerialPort* port = Port();
    int polls = kInputPolls;
    int k = 0;
    do {
        k = port ? port->GetInputCount() : 0;
        // A single byte is no answer yet.
        if (k <= 1) {
            k = 0;
            hub_.OperationSystem()->SetProcessMessages(10);
        }
        --polls;
    } while (k <= 0 && polls != 0);
    if (k == 0 && polls == 0) {
        GetPlatform().Beep();
        k = -1;
    }
    if (TmuLogging* log = ProgramLog()) log->addVarInteger("r_iresult", k);
    return k;
}

int TCommandExchange::set_CMD_and_Respons_InputCount(const std::string& text) {
    TmTraceScope trace(ProgramLog(), Kind::Function, "TTavrin1.set_CMD_and_Respons_InputCount");
    SerialPort* port = Port();
    if (port == nullptr) return -1;
    port->ClearInput();
    port->WriteText(text);
    return set_AppProcessMessages();
}

void TCommandExchange::get_PortInput(std::string reply, const std::string& wait, const std::string& end) {
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
        const int k = set_CMD_and_Respons_InputCount("\r");
        if (k > 0) {
            SerialPort* port = Port();
            const std::string raw = port->ReadText(port->GetInputCount());
            reply = ReplyText(raw);
            if (!reply.empty()) set_COMPort_Lines("RECV: " + reply);
        }
        --attempts;
    } while (reply.find(end) == std::string::npos && attempts != 0);
    if (attempts == 0) set_COMPort_Lines("RECV: Timeout: get_PortInput");
}

void TCommandExchange::set_port_ato(int n) {
    TmTraceScope trace(ProgramLog(), Kind::Procedure, "TTavrin1.set_port_ato");
    if (TmuLogging* log = ProgramLog()) log->addVarInteger("i_iSocket", n);
    const std::string command = "ato" + std::to_string(n);
    set_COMPort_Lines("SEND: " + command);
    const std::string reply = ReplyText(SendCommand(command));
    if (!reply.empty()) {
        get_PortInput(reply, kWaitMarker, kEndSetPort);
    } else {
        SetStatus(PortName() + " > Status: Timeout");
        set_COMPort_Lines("RECV: Timeout");
    }
}
