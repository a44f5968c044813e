#include "app/SessionEnd.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QThread>
#include <array>
#include <cerrno>
#include <csignal>

namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGHUP, SIGINT};
int gPipe[2] = {-1, -1};
struct sigaction gPrevious[kSignals.size()];

void OnSignal(int signal) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    // Non-blocking: when the pipe is full, an end is pending anyway.
    [[maybe_unused]] const ssize_t n = ::write(gPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

TSessionEnd::TSessionEnd(QObject* parent) : QObject(parent) {
    // Only a running loop is ended: an exit without one would leave the
    // application quitting, and every later dialog or message of the end
    // would return at once without waiting for its answer. The request is
    // kept either way (Requested), so a loop is not entered afterwards.
    onEnd_ = [] {
        if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
    };

    if (gPipe[0] < 0 && ::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        notifier_ = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &TSessionEnd::ReadSignal);
        for (size_t i = 0; i < kSignals.size(); ++i) {
            struct sigaction sa {};
            sa.sa_handler = OnSignal;
            sigemptyset(&sa.sa_mask);
            sa.sa_flags = SA_RESTART;
            ::sigaction(kSignals[i], &sa, &gPrevious[i]);
        }
    }

    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(gui, &QGuiApplication::commitDataRequest, this, &TSessionEnd::CommitData,
                Qt::DirectConnection);
        // A loop ended from outside (the session manager) counts as an end
        // of the session as well.
        connect(gui, &QCoreApplication::aboutToQuit, this, [this] { requested_ = true; });
    }
}

TSessionEnd::~TSessionEnd() {
    if (!notifier_) return;
    for (size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &gPrevious[i], nullptr);
    delete notifier_;
    ::close(gPipe[0]);
    ::close(gPipe[1]);
    gPipe[0] = gPipe[1] = -1;
}

void TSessionEnd::ReadSignal() {
    unsigned char byte = 0;
    int last = 0;
    while (::read(gPipe[0], &byte, 1) == 1) last = byte;
    if (last) Request(last);
}

void TSessionEnd::Request(int signal) {
    if (handled_) return;  // already on the way out
    handled_ = true;
    requested_ = true;
    signal_ = signal;
    if (auto handler = onEnd_) handler();
}

void TSessionEnd::CommitData(QSessionManager& manager) {
    // The query whether the program may end is always agreed to: nothing is
    // cancelled, no interaction is asked for. The program starts through
    // its autostart entry, not through the session's restore.
    manager.setRestartHint(QSessionManager::RestartNever);
}
