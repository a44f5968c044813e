#include "device/ExchangeQueue.h"

#include <algorithm>
#include <exception>

#include "toolkit/Platform.h"

namespace {

// Counts a stretch of served messages, also when a handler throws.
class TServing {
public:
    explicit TServing(int& depth) : depth_(depth) { ++depth_; }
    ~TServing() { --depth_; }
    TServing(const TServing&) = delete;
    TServing& operator=(const TServing&) = delete;

private:
    int& depth_;
};

}  // namespace

TExchangeQueue::TExchangeQueue() = default;
TExchangeQueue::~TExchangeQueue() = default;

void TExchangeQueue::TPump::ProcessMessages() {
    if (inner == nullptr) return;
    TServing serving(serving_);
    inner->ProcessMessages();
}

void TExchangeQueue::Submit(TKind kind, int socket, TRun run) {
    if (running_ && serving_ == 0) {
        // A step of the running exchange itself: a port error ends the whole
        // exchange, not only this step.
        run();
        return;
    }
    if (ending_ && kind != TKind::EmergencyOff) return;
    queue_.push_back({kind, socket, std::move(run)});
    if (!running_ && held_ == 0) Drain();
}

void TExchangeQueue::Release() {
    if (--held_ == 0 && !running_ && !queue_.empty()) Drain();
}

bool TExchangeQueue::SwitchQueued(int socket) const {
    return std::any_of(queue_.begin(), queue_.end(),
                       [socket](const TEntry& e) { return e.kind == TKind::Switch && e.socket == socket; });
}

void TExchangeQueue::SubmitEmergencyOff(TRun run) {
    std::erase_if(queue_, [](const TEntry& e) { return e.kind == TKind::Switch; });
    if (running_ && serving_ == 0) {
        run();
        return;
    }
    const auto first = std::find_if(queue_.begin(), queue_.end(),
                                    [](const TEntry& e) { return e.kind != TKind::EmergencyOff; });
    queue_.insert(first, {TKind::EmergencyOff, 0, std::move(run)});
    if (running_) {
        cut_ = true;
        return;
    }
    if (held_ == 0) Drain();
}

void TExchangeQueue::RequestEnd() {
    if (!ending_) {
        ending_ = true;
        endDeadline_ = GetPlatform().NowMs() + kEndBudgetMs;
    }
    std::erase_if(queue_, [](const TEntry& e) { return e.kind != TKind::EmergencyOff; });
    if (running_) cut_ = true;
}

bool TExchangeQueue::PastEndDeadline() const { return ending_ && GetPlatform().NowMs() >= endDeadline_; }

bool TExchangeQueue::CutWaits() const { return cut_ || PastEndDeadline(); }

void TExchangeQueue::Drain() {
    running_ = true;
    struct TReset {
        bool& flag;
        ~TReset() { flag = false; }
    } reset{running_};
    while (!queue_.empty()) {
        TEntry next = std::move(queue_.front());
        queue_.pop_front();
        // An emergency off (or the end) cut the waits of the exchange before
        // this one; its own waits run normally, within the end's deadline.
        cut_ = false;
        RunGuarded(next.run);
    }
    cut_ = false;
}

void TExchangeQueue::RunGuarded(const TRun& run) {
    try {
        run();
    } catch (const std::exception& e) {
        // The box is gone or the port broke: this exchange ends here, the
        // program goes on. A report shown as a message serves messages, so
        // what the user does meanwhile waits in the queue.
        if (errorLog_) errorLog_(e.what());
        TServing serving(serving_);
        if (report_)
            report_(e.what());
        else
            GetPlatform().MessageBox(e.what(), "Tavrin", MsgButtons::Ok, MsgIcon::Error);
    }
}
