// The AT layer's and the box controller's handling of what a box answers,
// through the simulated port on the virtual clock (no real sleeps).
//
// Input: byte 0 picks the operation, byte 1 the reply delay (0 to 315 ms in
// steps of 5 ms, so that answers also come late or after the wait gave up);
// the rest
// are the raw answers to the commands in order, separated by 0x1E. Once the
// answers are used up the box answers every command with its echo and
// ">OK".
//
// Invariants:
// - An exchange never yields more bytes than the box sent, and all
//   exchanges together never more than it sent in all.
// - The reply text is the part after the first ">" up to the carriage
//   return after it, without surrounding control characters and blanks;
//   so it is never longer than the answer and holds no carriage return.
// - "at" while the box answers "ERROR" is repeated at most 10 times.
// - The identification fields of SetNELTA are the first four "-" fields of
//   the identification the port list holds, which is the second "ati"
//   reply.
// - The controller's response wait sends at most 100 bare carriage returns
//   and ends as soon as a reply holds the end marker; every "RECV: " line
//   carries a reply text that is not empty.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "device/BoxController.h"
#include "device/BoxView.h"
#include "device/SimulatedSerialPort.h"
#include "device/muATCmd.h"
#include "hub/mVedadAzaro.h"
#include "support/FakePlatform.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"

namespace {

constexpr int kComNo = 3;
constexpr std::size_t kMaxAnswers = 24;

bool IsControlOrBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// The reply rule, written out plainly.
std::string ExpectedReply(const std::string& raw) {
    const std::size_t gt = raw.find('>');
    if (gt == std::string::npos) return {};
    const std::size_t cr = raw.find('\r', gt + 1);
    if (cr == std::string::npos) return {};
    std::size_t b = gt + 1;
    std::size_t e = cr;
    while (b < e && IsControlOrBlank(raw[b])) ++b;
    while (e > b && IsControlOrBlank(raw[e - 1])) --e;
    return raw.substr(b, e - b);
}

std::vector<std::string> Fields(const std::string& ident) {
    std::vector<std::string> fields(1);
    for (char c : ident) {
        if (c == '-')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    fields.resize(4);  // missing fields are empty, further ones are dropped
    return fields;
}

class NullView : public TBoxView {
public:
    void AddLogLine(const std::string& text) override { log.push_back(text); }
    void ShowStatus(const std::string&) override {}
    void ShowSocket(int, bool) override {}
    void HideSockets() override {}
    void ShowModel(int, const std::vector<std::string>&) override {}
    void ShowPages(bool) override {}
    void ShowAllOff() override {}
    void ShowDelay(int) override {}
    void RunDelayOption() override {}
    std::vector<std::string> log;
};

// The box's answers: taken from the input in order, then echo and ">OK".
struct Answers {
    std::vector<std::string> scripted;
    std::size_t next = 0;
    std::size_t sentBytes = 0;

    std::optional<std::string> For(const std::string& command) {
        std::string raw = next < scripted.size() ? scripted[next++] : command + "\r\n>OK\r\n";
        sentBytes += raw.size();
        return raw;
    }
};

void Quiet(TmuLogging* log) {
    if (log != nullptr) log->SetActiveLog(false);
}

void CheckReply(const TmuATCmd& at, const std::string& raw) {
    const std::string reply = at.GetReplyText(raw);
    FUZZ_CHECK(reply.size() <= raw.size(), "a reply text is longer than its answer");
    FUZZ_CHECK(reply.find('\r') == std::string::npos, "a reply text holds a carriage return");
    FUZZ_CHECK(reply == ExpectedReply(raw), "a reply text breaks the reply rule");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReader in(data, size);
    const std::uint8_t operation = in.Byte();
    const int delayMs = (in.Byte() % 64) * 5;
    Answers answers;
    while (!in.Empty() && answers.scripted.size() < kMaxAnswers) answers.scripted.push_back(in.Until('\x1e'));

    FakePlatform platform;
    platform.currentDir = EmptyFolder();
    FakeApplication application;
    SimulatedSerialPort port;
    TNeltaBoxConfig config;
    config.replyDelayMs = delayMs;
    config.script = [&answers](const std::string& command) { return answers.For(command); };
    TNeltaBox& box = port.AddBox(kComNo, std::move(config));
    port.SetPort("COM" + std::to_string(kComNo));
    port.SetConnected(true);

    auto at = std::make_unique<TmuATCmd>();
    at->setApplication(&application);
    at->SetATComPort(&port);
    at->SetTimeout(TmuATCmd::kSearchTimeout);
    // The traces would only go nowhere, one file check per line.
    Quiet(at->Log());
    Quiet(at->VedadAzaro()->Log());
    Quiet(at->VedadAzaro()->OperationSystem()->Log());

    std::size_t readBytes = 0;
    auto exchange = [&](const std::string& command) {
        std::string raw;
        at->CheckATMultiCmd(command, raw);
        FUZZ_CHECK(raw.size() <= answers.sentBytes, "an exchange yields more bytes than the box sent");
        readBytes += raw.size();
        FUZZ_CHECK(readBytes <= answers.sentBytes, "the exchanges yield more bytes than the box sent");
        CheckReply(*at, raw);
        return raw;
    };

    switch (operation % 5) {
        case 0: {
            // The answer test with its repetitions while the box answers "ERROR".
            at->CheckATCmd();
            int ats = 0;
            for (const auto& c : box.Commands()) ats += c.text == "at";
            FUZZ_CHECK(ats >= 1 && ats <= 1 + TmuATCmd::kMaxErrorRepeats, "\"at\" is repeated without bound");
            break;
        }
        case 1: {
            // Identification and the fields taken from it.
            at->add_COMPort(kComNo, true, "", true);
            at->SearchATICmd();
            const std::string ident = at->ComPortList().front().Ident;
            FUZZ_CHECK(ident.find('\r') == std::string::npos, "an identification holds a carriage return");
            std::string f1, f2, f3, f4;
            const int position = at->SetNELTA(f1, f2, f3, f4);
            FUZZ_CHECK(position == 1, "the answering port is not found");
            FUZZ_CHECK((std::vector<std::string>{f1, f2, f3, f4}) == Fields(ident),
                       "identification fields differ from the identification");
            break;
        }
        case 2: {
            // The fixed commands hand back the raw answer.
            std::string answer;
            const bool ok = at->SetATSNCmd(answer);
            FUZZ_CHECK(ok == !answer.empty(), "a fixed command answers true without an answer");
            FUZZ_CHECK(answer.size() <= answers.sentBytes, "an answer is longer than what the box sent");
            CheckReply(*at, answer);
            break;
        }
        case 3: {
            // A row of exchanges, as many as there are answers.
            const std::size_t n = std::max<std::size_t>(1, answers.scripted.size());
            for (std::size_t i = 0; i < n; ++i) exchange(i % 2 == 0 ? "at" : "ati");
            break;
        }
        default: {
            // The controller's response wait after a switching command.
            TmVedadAzaro hub;
            Quiet(hub.Log());
            Quiet(hub.OperationSystem()->Log());
            NullView view;
            bool initStart = false;
            int sockets = 8;
            bool logging = true;
            TBoxController controller{
                TBoxController::TLinks{.hub = &hub,
                                       .port = &port,
                                       .atCmd = [&at] { return at.get(); },
                                       .programLogging = {},
                                       .activity = {}},
                TBoxController::TState{
                    .InitStart = &initStart, .ACDosenCount = &sockets, .COMPortLogging = &logging}};
            controller.Queue().SetApplication(&application);
            controller.SetView(&view);
            hub.setApplication(&controller.Queue().Pump());
            at->setApplication(&controller.Queue().Pump());

            const std::string raw = exchange("atn5");
            const std::string reply = controller.UpperCase(controller.ReplyText(raw));
            const std::size_t commandsBefore = box.Commands().size();
            controller.get_PortInput(reply, TBoxController::kWaitMarker, TBoxController::kEndPort);
            int returns = 0;
            for (std::size_t i = commandsBefore; i < box.Commands().size(); ++i)
                returns += box.Commands()[i].text.empty();
            FUZZ_CHECK(returns <= TBoxController::kWaitAttempts, "the response wait sends without bound");
            const auto w = reply.find(TBoxController::kWaitMarker);
            const bool waits = w != std::string::npos && w > 0;
            FUZZ_CHECK(waits || returns == 0, "the response wait sends without a wait marker");
            for (const std::string& line : view.log) {
                FUZZ_CHECK(line.rfind("RECV: ", 0) == 0, "the response wait logs another line");
                FUZZ_CHECK(line.size() > 6, "the response wait logs an empty reply");
            }
            if (waits && returns < TBoxController::kWaitAttempts) {
                // It ended early: the last reply logged holds the end marker.
                FUZZ_CHECK(
                    !view.log.empty() && view.log.back().find(TBoxController::kEndPort) != std::string::npos,
                    "the response wait ends before the end marker");
            }
            at->setApplication(&application);
            break;
        }
    }
    return 0;
}
