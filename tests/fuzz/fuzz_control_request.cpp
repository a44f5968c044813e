// The running program's side of the scripts' socket: arbitrary lines as
// requests, arbitrary bytes as answers.
//
// Invariants:
// - Every request line gets exactly one answer block, and that block reads
//   back whole; a line that is no request gets a usage error.
// - A request that parses is written back to the same line.
// - Switching requests reach the box only for sockets the box has, and the
//   stored state of a socket the box lacks never changes.
// - An answer reader never takes more sockets than its bytes describe and
//   reads back what it accepted.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "control/ControlProtocol.h"
#include "control/ControlService.h"
#include "device/BoxController.h"
#include "device/SimulatedSerialPort.h"
#include "device/muATCmd.h"
#include "hub/mVedadAzaro.h"
#include "store/muDataHolder.h"
#include "support/FakePlatform.h"
#include "toolkit/muLogging.h"
#include "toolkit/muOperationSystem.h"

namespace {

constexpr int kComNo = 3;
constexpr int kSockets = 8;
constexpr std::size_t kMaxLines = 16;

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

void Quiet(TmuLogging* log) {
    if (log != nullptr) log->SetActiveLog(false);
}

void CheckAnswers(const std::string& bytes) {
    ControlProtocol::TResultReader reader;
    if (!reader.Feed(bytes) || !reader.Done()) return;
    const TControlResult& result = reader.Result();
    FUZZ_CHECK(result.sockets.size() <= bytes.size() / 8, "an answer holds more sockets than its bytes");
    ControlProtocol::TResultReader again;
    FUZZ_CHECK(again.Feed(ControlProtocol::FormatResult(result)) && again.Done(),
               "an accepted answer does not read back");
    FUZZ_CHECK(again.Result().sockets.size() == result.sockets.size(),
               "an answer reads back with other sockets");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReader in(data, size);
    const bool asAnswer = (in.Byte() & 1) != 0;
    std::vector<std::string> lines;
    while (!in.Empty() && lines.size() < kMaxLines) lines.push_back(in.Until('\n'));
    if (asAnswer) {
        std::string bytes;
        for (const std::string& line : lines) bytes += line + '\n';
        CheckAnswers(bytes);
        return 0;
    }

    FakePlatform platform;
    FakeApplication application;
    SimulatedSerialPort port;
    TNeltaBoxConfig config;
    config.replyDelayMs = 0;
    TNeltaBox& box = port.AddBox(kComNo, std::move(config));
    port.SetPort("COM" + std::to_string(kComNo));
    port.SetConnected(true);

    TmVedadAzaro hub;
    Quiet(hub.Log());
    Quiet(hub.OperationSystem()->Log());
    TmuDataholder& holder = *hub.Dataholder();
    for (int n = 1; n <= 24; ++n) {
        for (const char* flag : {"ACPower", "AC_Down", "ACWDown"})
            holder.InitValueBoolean("AC01|AC|" + std::string(flag) + TwoDigits(n), false);
        holder.InitValueString("AC01|AC|AC_Name" + TwoDigits(n), n == 2 ? "Lampe Flur" : "Steckdosenname");
    }
    TmuATCmd at;
    Quiet(at.Log());
    bool initStart = false;
    int sockets = kSockets;
    bool logging = false;
    TBoxController controller{
        TBoxController::TLinks{.hub = &hub, .port = &port, .atCmd = [&at] { return &at; }},
        TBoxController::TState{
            .InitStart = &initStart, .ACDosenCount = &sockets, .COMPortLogging = &logging}};
    controller.Queue().SetApplication(&application);
    hub.setApplication(&controller.Queue().Pump());
    at.setApplication(&controller.Queue().Pump());
    at.SetATComPort(&port);
    at.SetTimeout(TmuATCmd::kSearchTimeout);
    TControlService service(controller, holder, {});

    for (const std::string& line : lines) {
        int answers = 0;
        std::string answer;
        service.Handle(line, [&](const std::string& text) {
            ++answers;
            answer = text;
        });
        FUZZ_CHECK(answers == 1, "a request is not answered exactly once");
        ControlProtocol::TResultReader reader;
        FUZZ_CHECK(reader.Feed(answer) && reader.Done(), "an answer does not read back");
        const ControlProtocol::TParsed parsed = ControlProtocol::ParseRequest(line);
        if (parsed.request) {
            FUZZ_CHECK(ControlProtocol::ParseRequest(ControlProtocol::FormatRequest(*parsed.request))
                           .request.has_value(),
                       "a request does not parse again as written");
        } else {
            FUZZ_CHECK(reader.Result().code == TControlCode::Usage,
                       "a malformed request is not a usage error");
        }
    }
    for (const auto& command : box.Commands()) {
        if (command.text.size() < 4 ||
            (command.text.rfind("atn", 0) != 0 && command.text.rfind("ato", 0) != 0) ||
            command.text == "atoff")
            continue;
        const int n = std::atoi(command.text.c_str() + 3);
        FUZZ_CHECK(n >= 1 && n <= kSockets, "a socket the box lacks is switched");
    }
    for (int n = kSockets + 1; n <= 24; ++n)
        FUZZ_CHECK(!holder.getValueBoolean("AC01|AC|ACPower" + TwoDigits(n)),
                   "a socket the box lacks is stored on");
    return 0;
}
