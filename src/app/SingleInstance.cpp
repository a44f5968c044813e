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
    if (server_) server_->close();       // removes the socket file
    if (lockFd_ >= 0) ::close(lockFd_);  // frees the lock
}

namespace {

// A folder that only this user can change: ours, a folder, no link, no
// write permission for group or others.
bool PrivateFolder(const QByteArray& path) {
    struct stat st {};
    return !path.isEmpty() && ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Makes the folder (mode 0700) with the folders above it where missing.
bool MakePrivateFolder(const QByteArray& path) {
    if (PrivateFolder(path)) return true;
    const int slash = path.lastIndexOf('/');
    if (slash > 0) {
        const QByteArray parent = path.left(slash);
        struct stat st {};
        if (::stat(parent.constData(), &st) != 0 && !MakePrivateFolder(parent)) return false;
    }
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return false;
    return PrivateFolder(path);
}

}  // namespace

QString TSingleInstance::DefaultFolder() {
    // The user's runtime folder, when it is the user's alone.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && PrivateFolder(runtime)) return QString::fromLocal8Bit(runtime);
    // Else a folder of the program in the user's cache, never the shared
    // temporary folder, where another user could take the lock first.
    QByteArray cache = qgetenv("XDG_CACHE_HOME");
    if (!cache.startsWith('/')) {
        QByteArray home = qgetenv("HOME");
        if (!home.startsWith('/')) {
            if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) home = pw->pw_dir;
        }
        if (!home.startsWith('/')) return {};
        cache = home + "/.cache";
    }
    const QByteArray folder = cache + "/tavrin";
    if (!MakePrivateFolder(folder)) return {};
    return QString::fromLocal8Bit(folder);
}

QString TSingleInstance::LockPath() const {
    return folder_ + QStringLiteral("/%1-%2.lock").arg(key_).arg(::getuid());
}

QString TSingleInstance::ServerPath() const {
    return folder_ + QStringLiteral("/%1-%2.socket").arg(key_).arg(::getuid());
}

TSingleInstance::Outcome TSingleInstance::Claim(int waitMs) {
    if (lockFd_ >= 0) return Outcome::First;
    if (folder_.isEmpty()) {
        Report(QStringLiteral("kein privater Ordner für die Sperre (XDG_RUNTIME_DIR, ~/.cache/tavrin)"));
        return Outcome::Failed;
    }
    const QByteArray path = QFile::encodeName(LockPath());
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        Report(QStringLiteral("die Sperre %1 kann nicht angelegt werden: %2")
                   .arg(LockPath(), QString::fromLocal8Bit(std::strerror(errno))));
        return Outcome::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        lockFd_ = fd;
        return Outcome::First;
    }
    const int error = errno;
    ::close(fd);
    if (error != EWOULDBLOCK) {
        Report(QStringLiteral("die Sperre %1 kann nicht genommen werden: %2")
                   .arg(LockPath(), QString::fromLocal8Bit(std::strerror(error))));
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
