#pragma once
// The one queue of every exchange with the box. An exchange is a unit of
// work that talks to the box (switch a socket, the start's identification,
// an option of the settings dialog, the emergency off) and runs to its end
// before the next one starts: two exchanges never interleave, so none reads
// another's answers.
//
// The waits for the box serve the window system's message queue, so user
// actions run in the middle of an exchange. The queue tells them apart
// through the application it hands out (`Pump`): every message served
// through it counts as "inside a wait". An exchange submitted from inside a
// wait joins the end of the queue; one submitted by the running exchange's
// own steps (outside any wait) is one of its steps and runs at once; one
// submitted while nothing runs runs at once and then every exchange that
// joined meanwhile, in order.
//
// Rules on top of the order:
// - A switch of a socket that is still queued is not queued again: the
//   queued one sends the socket's stored state when its turn comes.
// - The emergency off drops every queued switch and goes first; the running
//   exchange is asked to end its waits (`CutWaits`).
// - The end of the program (`RequestEnd`) drops everything queued but an
//   emergency off, cuts the running exchange's waits, and bounds every later
//   wait by a deadline.
// - An exception (a port error) ends only the exchange that raised it; it is
//   reported once through the error report and the queue goes on.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "toolkit/Application.h"

class TExchangeQueue {
public:
    enum class TKind {
        Switch,        // one socket to its stored state
        Box,           // any other exchange (start, settings dialog)
        EmergencyOff,  // "att0" and "atoff"
    };
    using TRun = std::function<void()>;

    // Time the end of the program leaves the waits for the box.
    static constexpr std::int64_t kEndBudgetMs = 2000;

    TExchangeQueue();
    ~TExchangeQueue();

    TExchangeQueue(const TExchangeQueue&) = delete;
    TExchangeQueue& operator=(const TExchangeQueue&) = delete;

    // The window system's application; `Pump` forwards to it.
    void SetApplication(Application* application) { pump_.inner = application; }
    // The application to hand to everything that serves the message queue
    // during a wait for the box.
    Application& Pump() { return pump_; }
    // How a port error is shown (a message); called once per failed exchange.
    void SetErrorReport(std::function<void(const std::string&)> report) { report_ = std::move(report); }
    // The program's log line for a failed exchange.
    void SetErrorLog(std::function<void(const std::string&)> log) { errorLog_ = std::move(log); }

    void Submit(TKind kind, int socket, TRun run);
    // A switch of socket n is waiting for its turn.
    bool SwitchQueued(int socket) const;
    // The emergency off: the queued switches dropped, the exchange first in
    // the queue (after an emergency off that is queued already), the running
    // exchange's waits cut.
    void SubmitEmergencyOff(TRun run);

    // The program ends.
    void RequestEnd();
    bool Ending() const { return ending_; }
    // The end's deadline has passed (always false before the end).
    bool PastEndDeadline() const;

    // The waits of the running exchange shall end at their next poll: an
    // emergency off is waiting, or the program ends and its time is up.
    bool CutWaits() const;
    // A running exchange of several steps shall stop before its next step:
    // an emergency off waits or the program ends.
    bool Preempted() const { return cut_ || ending_; }

    bool Running() const { return running_; }
    int Pending() const { return static_cast<int>(queue_.size()); }

    // While a hold lives, what is submitted to an idle queue waits, and the
    // queue runs when the last hold ends. A request that submits a switch
    // and then its answer holds the queue, so that both are queued before
    // the first runs: otherwise the answer would join only once the queue
    // ran dry, which the exchanges of other requests arriving meanwhile
    // could put off without end.
    class THold {
    public:
        explicit THold(TExchangeQueue& queue) : queue_(queue) { ++queue_.held_; }
        ~THold() { queue_.Release(); }
        THold(const THold&) = delete;
        THold& operator=(const THold&) = delete;

    private:
        TExchangeQueue& queue_;
    };

private:
    struct TEntry {
        TKind kind;
        int socket;
        TRun run;
    };
    // The application handed out by Pump.
    class TPump : public Application {
    public:
        explicit TPump(int& serving) : serving_(serving) {}
        void ProcessMessages() override;
        std::string Title() const override { return inner ? inner->Title() : std::string(); }
        void SetTitle(const std::string& title) override {
            if (inner) inner->SetTitle(title);
        }
        Application* inner = nullptr;

    private:
        int& serving_;
    };

    void Drain();
    void RunGuarded(const TRun& run);

    int serving_ = 0;
    TPump pump_{serving_};
    std::deque<TEntry> queue_;
    bool running_ = false;
    int held_ = 0;
    void Release();
    bool cut_ = false;
    bool ending_ = false;
    std::int64_t endDeadline_ = 0;
    std::function<void(const std::string&)> report_;
    std::function<void(const std::string&)> errorLog_;
};
