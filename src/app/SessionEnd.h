#pragma once
// The end of the user's session (log-off, shutdown) and the termination
// signals SIGTERM, SIGHUP and SIGINT: the program agrees to end, the message
// loop ends at once (a wait for the box that serves the loop returns too),
// and the program then ends the orderly way: the windows are destroyed and
// the main window saves in its destruction. The `NoExit` flag is not
// consulted.
//
// Signals reach the user-interface thread through a pipe that the signal
// handler writes one byte into and a socket notifier reads. Only one
// TSessionEnd may exist at a time; it restores the previous signal handlers
// when it goes.
#include <QObject>
#include <functional>

class QSessionManager;
class QSocketNotifier;

class TSessionEnd : public QObject {
public:
    explicit TSessionEnd(QObject* parent = nullptr);
    ~TSessionEnd() override;

    // True once the session's end or a termination signal arrived.
    bool Requested() const { return requested_; }
    // The signal number that ended the session (0 for the session manager).
    int Signal() const { return signal_; }

    // What runs when the end is requested, on the user-interface thread
    // (default: QCoreApplication::exit(0) while a loop runs, which ends every
    // running loop).
    void SetOnEnd(std::function<void()> handler) { onEnd_ = std::move(handler); }

private:
    void ReadSignal();
    void Request(int signal);
    void CommitData(QSessionManager& manager);

    QSocketNotifier* notifier_ = nullptr;
    bool requested_ = false;
    bool handled_ = false;
    int signal_ = 0;
    std::function<void()> onEnd_;
};
