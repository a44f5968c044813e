#include "app/SingleInstance.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/ControlChannel.h"
#include "control/ControlProtocol.h"
#include "control/RuntimeFolder.h"

namespace {

const QByteArray kRequest = ControlProtocol::kRaise;
const QByteArray kAnswer = ControlProtocol::kRaiseAnswer;

}  // namespace

void BringWindowForward(QWidget* window) {
    if (!window || window->isHidden()) return;
    if (window->isMinimized()) {
        window->showNormal();
    } else {
        window->raise();
        window->activateWindow();
    }
}

TSingleInstance::TSingleInstance(const QString& key, const QString& folder)
    : key_(key), folder_(folder.isEmpty() ? DefaultFolder() : folder), channel_(new TControlChannel(this)) {}

TSingleInstance::~TSingleInstance() {
    if (server_) server_->close();  // removes the socket file
}

QString TSingleInstance::DefaultFolder() { return QString::fromStdString(RuntimeFolder::Default()); }

QString TSingleInstance::LockPath() const {
    return QString::fromStdString(RuntimeFolder::LockPath(folder_.toStdString(), key_.toStdString()));
}

QString TSingleInstance::ServerPath() const {
    return QString::fromStdString(RuntimeFolder::SocketPath(folder_.toStdString(), key_.toStdString()));
}

TSingleInstance::Outcome TSingleInstance::Claim(int waitMs) {
    if (lock_.Holding()) return Outcome::First;
    if (folder_.isEmpty()) {
        Report(QStringLiteral("kein privater Ordner für die Sperre (XDG_RUNTIME_DIR, ~/.cache/tavrin)"));
        return Outcome::Failed;
    }
    const TInstanceLock::TOutcome outcome = lock_.Take(LockPath().toStdString());
    if (outcome == TInstanceLock::TOutcome::Taken) return Outcome::First;
    if (outcome != TInstanceLock::TOutcome::Held) {
        const QString reason = outcome == TInstanceLock::TOutcome::CannotOpen
                                   ? QStringLiteral("die Sperre %1 kann nicht angelegt werden: %2")
                                   : QStringLiteral("die Sperre %1 kann nicht genommen werden: %2");
        Report(reason.arg(LockPath(), QString::fromLocal8Bit(std::strerror(lock_.Error()))));
        return Outcome::Failed;
    }
    // Another instance runs. It may still be starting (not listening yet)
    // or busy; the request is a courtesy, the answer is the lock.
    AskRunning(ServerPath(), waitMs);
    return Outcome::OtherRunning;
}

void TSingleInstance::Report(const QString& reason) {
    lastError_ = reason;
    // The program starts all the same; the user learns why a second start
    // may not find this one.
    std::fprintf(stderr, "Tavrin: %s; ein weiterer Start wird nicht erkannt.\n",
                 reason.toLocal8Bit().constData());
}

bool TSingleInstance::AskRunning(const QString& serverPath, int waitMs) {
    QElapsedTimer clock;
    clock.start();
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(serverPath);
        const int left = waitMs - static_cast<int>(clock.elapsed());
        if (socket.waitForConnected(qMax(left, 1))) {
            socket.write(kRequest);
            socket.waitForBytesWritten(qMax(waitMs - static_cast<int>(clock.elapsed()), 1));
            // The answer only shows the request arrived; a busy instance
            // serves it later from its pending connection.
            while (socket.bytesAvailable() < kAnswer.size() && clock.elapsed() < waitMs)
                if (!socket.waitForReadyRead(qMax(waitMs - static_cast<int>(clock.elapsed()), 1))) break;
            return socket.readAll().startsWith(kAnswer);
        }
        if (clock.elapsed() >= waitMs) return false;
        ::usleep(20 * 1000);  // the instance has the lock but is not listening yet
    }
}

bool TSingleInstance::Listen(std::function<void()> onRequest) {
    if (!lock_.Holding()) return false;
    channel_->SetOnRaise(std::move(onRequest));
    if (!server_) {
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        connect(server_, &QLocalServer::newConnection, this, &TSingleInstance::OnNewConnection);
    }
    if (server_->isListening()) return true;
    // Holding the lock means that no live instance owns the socket: a file
    // left there is stale.
    QLocalServer::removeServer(ServerPath());
    return server_->listen(ServerPath());
}

void TSingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) channel_->Accept(socket);
}
