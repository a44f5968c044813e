#pragma once
// One running Tavrin per user. The running instance holds an exclusive lock
// for its whole life and listens on a local socket, both named after the
// title "Tavrin" and the user. A second start finds the lock taken, asks the
// running instance over the socket to bring its main window forward, and
// ends; it touches none of the program's files.
//
// The lock and the socket live in a folder that only the user can change:
// $XDG_RUNTIME_DIR when it is such a folder, else $XDG_CACHE_HOME/tavrin
// (~/.cache/tavrin, made with mode 0700); never in the shared temporary
// folder, where another user could take the lock first. When the lock
// cannot be taken the reason goes to the standard error and the program
// starts without the single-instance rule. The kernel frees the lock when a process dies, so a
// crashed instance never blocks the next start; its stale socket is removed
// by the next instance that takes the lock.
#include <QObject>
#include <QString>
#include <functional>

#include "control/RuntimeFolder.h"

class QLocalServer;
class QWidget;
class TControlChannel;

// What a later start asks of the running instance: a minimised window is
// restored, a visible one is raised and activated, a hidden one (in the
// tray) stays hidden.
void BringWindowForward(QWidget* window);

class TSingleInstance : public QObject {
public:
    // `key` names the lock and the socket ("Tavrin"); `folder` overrides
    // the runtime folder (tests).
    explicit TSingleInstance(const QString& key = QStringLiteral("Tavrin"),
                             const QString& folder = QString());
    ~TSingleInstance() override;

    enum class Outcome {
        First,         // no instance ran: this one holds the lock now
        OtherRunning,  // another instance runs and has been asked to come forward
        Failed         // the lock could not be tried (folder missing, ...)
    };

    // Takes the lock or, when another instance holds it, sends it the
    // request to come forward (waiting at most `waitMs` for its answer).
    // Needs no application object.
    Outcome Claim(int waitMs = 500);

    // After Claim gave First: listens for later starts and for the requests
    // of scripts (the channel). A later start's request runs `onRequest` on
    // the user-interface thread. False when the socket cannot be set up
    // (the instance still runs and keeps its lock).
    bool Listen(std::function<void()> onRequest);
    // The connections of later starts and scripts.
    TControlChannel& Channel() { return *channel_; }

    bool Holding() const { return lock_.Holding(); }
    QString LockPath() const;
    QString ServerPath() const;

    // The private folder of the lock; empty when there is none.
    static QString DefaultFolder();
    // Why the last Claim failed (empty when it did not).
    QString LastError() const { return lastError_; }

private:
    void OnNewConnection();
    static bool AskRunning(const QString& serverPath, int waitMs);
    void Report(const QString& reason);

    QString key_;
    QString folder_;
    TInstanceLock lock_;
    QString lastError_;
    QLocalServer* server_ = nullptr;
    TControlChannel* channel_ = nullptr;
};
