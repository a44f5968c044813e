#include "app/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QByteArray kRequest = "raise\n";
const QByteArray kAnswer = "ok\n";

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
    : key_(key), folder_(folder.isEmpty() ? DefaultFolder() : folder) {}

TSingleInstance::~TSingleInstance() {
    if (server_) server_->close();  // removes the socket file
    if (lockFd_ >= 0) ::close(lockFd_);  // frees the lock
}

QString TSingleInstance::DefaultFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(QString::fromLocal8Bit(runtime)).isDir())
        return QString::fromLocal8Bit(runtime);
    return QDir::tempPath();
}

QString TSingleInstance::LockPath() const {
    return folder_ + QStringLiteral("/%1-%2.lock").arg(key_).arg(::getuid());
}

QString TSingleInstance::ServerPath() const {
    return folder_ + QStringLiteral("/%1-%2.socket").arg(key_).arg(::getuid());
}

TSingleInstance::Outcome TSingleInstance::Claim(int waitMs) {
    if (lockFd_ >= 0) return Outcome::First;
    const QByteArray path = QFile::encodeName(LockPath());
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return Outcome::Failed;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        lockFd_ = fd;
        return Outcome::First;
    }
    const int error = errno;
    ::close(fd);
    if (error != EWOULDBLOCK) return Outcome::Failed;
    // Another instance runs. It may still be starting (not listening yet)
    // or busy; the request is a courtesy, the answer is the lock.
    AskRunning(ServerPath(), waitMs);
    return Outcome::OtherRunning;
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
                if (!socket.waitForReadyRead(qMax(waitMs - static_cast<int>(clock.elapsed()), 1)))
                    break;
            return socket.readAll().startsWith(kAnswer);
        }
        if (clock.elapsed() >= waitMs) return false;
        ::usleep(20 * 1000);  // the instance has the lock but is not listening yet
    }
}

bool TSingleInstance::Listen(std::function<void()> onRequest) {
    if (lockFd_ < 0) return false;
    onRequest_ = std::move(onRequest);
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
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Serve(socket); });
        if (socket->bytesAvailable() > 0) Serve(socket);
    }
}

void TSingleInstance::Serve(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > 64) socket->abort();  // not one of ours
        return;
    }
    const QByteArray line = socket->readLine(64);
    if (line == kRequest) {
        socket->write(kAnswer);
        socket->flush();
        if (onRequest_) onRequest_();
    }
    socket->disconnectFromServer();
}
