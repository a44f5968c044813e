#include "control/ControlService.h"

#include <memory>

#include "control/SocketSelection.h"
#include "device/BoxController.h"
#include "settings/SettingsKeys.h"
#include "store/muDataHolder.h"

namespace {

// A reply that is given exactly once: when the answer's exchange is dropped
// (the program ends first), its destruction answers.
class TOnceReply {
public:
    explicit TOnceReply(TControlService::TReply reply) : reply_(std::move(reply)) {}
    ~TOnceReply() {
        if (reply_)
            reply_(ControlProtocol::FormatResult(
                TControlResult::Failure(TControlCode::Unreachable, "Tavrin wird beendet")));
    }
    TOnceReply(const TOnceReply&) = delete;
    TOnceReply& operator=(const TOnceReply&) = delete;

    void Give(const TControlResult& result) {
        if (!reply_) return;
        TControlService::TReply reply = std::move(reply_);
        reply_ = nullptr;
        reply(ControlProtocol::FormatResult(result));
    }

private:
    TControlService::TReply reply_;
};

}  // namespace

TControlService::TControlService(TBoxController& box, TmuDataholder& holder, TControlHooks hooks)
    : box_(box), holder_(holder), hooks_(std::move(hooks)) {}

void TControlService::Handle(const std::string& line, TReply reply) {
    using ControlProtocol::TVerb;
    const ControlProtocol::TParsed parsed = ControlProtocol::ParseRequest(line);
    if (!parsed.request) {
        reply(ControlProtocol::FormatResult(parsed.error));
        return;
    }
    const ControlProtocol::TRequest& request = *parsed.request;
    auto answer = [&reply](const TControlResult& result) { reply(ControlProtocol::FormatResult(result)); };
    switch (request.verb) {
        case TVerb::Show:
        case TVerb::Hide: {
            const std::function<void()>& hook = request.verb == TVerb::Show ? hooks_.show : hooks_.hide;
            if (hook) hook();
            answer(TControlResult());
            return;
        }
        case TVerb::Quit:
            // Answered first: the end closes the channel.
            answer(TControlResult());
            if (hooks_.quit) hooks_.quit();
            return;
        default:
            break;
    }
    if (box_.Starting()) {
        answer(TControlResult::Failure(TControlCode::NotReady, "Tavrin sucht noch die Box"));
        return;
    }
    if (box_.Ending()) {
        answer(TControlResult::Failure(TControlCode::Unreachable, "Tavrin wird beendet"));
        return;
    }
    if (!box_.PortOpen() || box_.SocketCount() <= 0) {
        answer(TControlResult::Failure(TControlCode::Unreachable, "Tavrin ist mit keiner Box verbunden"));
        return;
    }
    switch (request.verb) {
        case TVerb::Status:
            answer(Status());
            return;
        case TVerb::AllOff:
            AllOff(std::move(reply));
            return;
        default:
            Switch(request, std::move(reply));
            return;
    }
}

std::vector<std::string> TControlService::Names() const {
    std::vector<std::string> names;
    for (int n = 1; n <= box_.SocketCount() && n <= TBoxController::kSockets; ++n)
        names.push_back(Keys::Get(holder_, Keys::SocketName(n)));
    return names;
}

TSocketStatus TControlService::Socket(int n) const {
    TSocketStatus socket;
    socket.number = n;
    socket.name = Keys::Get(holder_, Keys::SocketName(n));
    socket.on = Keys::Get(holder_, Keys::SocketPower(n));
    socket.endAction = Keys::Get(holder_, Keys::SocketEndAction(n));
    socket.endOff = Keys::Get(holder_, Keys::SocketEndOff(n));
    return socket;
}

TControlResult TControlService::Status() const {
    TControlResult result;
    result.model = box_.ModelName();
    result.port = box_.PortName();
    for (int n = 1; n <= box_.SocketCount() && n <= TBoxController::kSockets; ++n)
        result.sockets.push_back(Socket(n));
    return result;
}

void TControlService::Switch(const ControlProtocol::TRequest& request, TReply reply) {
    using ControlProtocol::TVerb;
    const TSocketSelection selection = SelectSockets(request.arguments.at(0), Names());
    if (!selection.Ok()) {
        reply(ControlProtocol::FormatResult(TControlResult::Failure(TControlCode::Usage, selection.error)));
        return;
    }
    std::vector<std::pair<int, bool>> wanted;
    for (int n : selection.sockets) {
        const bool on = request.verb == TVerb::On    ? true
                        : request.verb == TVerb::Off ? false
                                                     : !box_.StoredOn(n);
        wanted.emplace_back(n, on);
    }
    // The switches and their answer queued together (see THold).
    TExchangeQueue::THold hold(box_.Queue());
    for (const auto& [n, on] : wanted) box_.SwitchTo(n, on);
    AnswerAfterQueue(
        [this, wanted] {
            TControlResult result;
            result.model = box_.ModelName();
            result.port = box_.PortName();
            for (const auto& [n, on] : wanted) {
                result.sockets.push_back(Socket(n));
                if (!result.Ok()) continue;
                if (box_.StoredOn(n) != on) {
                    result.code = TControlCode::NoAnswer;
                    result.message = "Steckdose " + std::to_string(n) + ": Schalten durch NOTAUS verworfen";
                } else if (!box_.SwitchAnswered(n)) {
                    result.code = TControlCode::NoAnswer;
                    result.message = "Steckdose " + std::to_string(n) + ": keine Antwort der Box";
                }
            }
            return result;
        },
        std::move(reply));
}

void TControlService::AllOff(TReply reply) {
    // The emergency off and its answer queued together (see THold); the
    // emergency off stays first in the queue.
    TExchangeQueue::THold hold(box_.Queue());
    box_.Action_DangerOFF();
    AnswerAfterQueue(
        [this] {
            TControlResult result = Status();
            if (!box_.SwitchAnswered(1)) {
                result.code = TControlCode::NoAnswer;
                result.message = "NOTAUS: keine Antwort der Box";
            }
            return result;
        },
        std::move(reply));
}

void TControlService::AnswerAfterQueue(std::function<TControlResult()> result, TReply reply) {
    auto once = std::make_shared<TOnceReply>(std::move(reply));
    box_.Queue().Submit(TExchangeQueue::TKind::Box, 0,
                        [once, result = std::move(result)] { once->Give(result()); });
}
