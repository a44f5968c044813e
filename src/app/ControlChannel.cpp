#include "app/ControlChannel.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QLocalSocket>
#include <QTimer>
#include <memory>

#include "control/ControlProtocol.h"

struct TControlChannel::TConnection : QObject {
    QPointer<QLocalSocket> socket;
    QTimer idle{this};
    // A request is being served; later lines wait.
    bool busy = false;
    // The reply of the request in service still reaches this connection.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

namespace {

// The peer runs as this process's user.
bool SameUser(QLocalSocket* socket) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    const auto fd = static_cast<int>(socket->socketDescriptor());
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 &&
           credentials.uid == ::getuid();
}

std::string Refusal(TControlCode code, const std::string& why) {
    return ControlProtocol::FormatResult(TControlResult::Failure(code, why));
}

// The answer to a request that is not read on; the connection ends.
void Refuse(QLocalSocket* socket, const std::string& why) {
    const std::string answer = Refusal(TControlCode::Usage, why);
    socket->write(answer.data(), static_cast<qint64>(answer.size()));
    socket->flush();
    socket->disconnectFromServer();
}

}  // namespace

TControlChannel::TControlChannel(QObject* parent) : QObject(parent) {}

TControlChannel::~TControlChannel() = default;

void TControlChannel::Accept(QLocalSocket* socket) {
    if (!SameUser(socket)) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        socket->write(Refusal(TControlCode::Unreachable, "nur für den Benutzer des Programms").c_str());
        socket->flush();
        socket->disconnectFromServer();
        return;
    }
    if (connections_ >= kMaxConnections) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++connections_;
    auto* connection = new TConnection;
    connection->socket = socket;
    connection->idle.setSingleShot(true);
    connection->idle.setInterval(idleMs_);
    connect(&connection->idle, &QTimer::timeout, connection, [socket] { socket->abort(); });
    connect(socket, &QLocalSocket::readyRead, connection, [this, connection] { Serve(connection); });
    connect(socket, &QLocalSocket::disconnected, connection, [this, connection] { Close(connection); });
    connection->idle.start();
    if (socket->bytesAvailable() > 0) Serve(connection);
}

void TControlChannel::Close(TConnection* connection) {
    if (!*connection->alive) return;
    *connection->alive = false;
    --connections_;
    connection->idle.stop();
    if (connection->socket) connection->socket->deleteLater();
    // Not at once: the signal that ends it may come from its own timer.
    connection->deleteLater();
}

void TControlChannel::Serve(TConnection* connection) {
    QLocalSocket* socket = connection->socket;
    if (socket == nullptr || connection->busy) return;
    while (socket->canReadLine()) {
        const QByteArray raw = socket->readLine(ControlProtocol::kMaxRequest + 2);
        if (!raw.endsWith('\n')) {
            Refuse(socket, "Anfrage zu lang");
            return;
        }
        if (raw == ControlProtocol::kRaise) {
            socket->write(ControlProtocol::kRaiseAnswer);
            socket->flush();
            socket->disconnectFromServer();
            if (onRaise_) onRaise_();
            return;
        }
        connection->idle.stop();
        connection->busy = true;
        const std::string line(raw.constData(), static_cast<std::size_t>(raw.size() - 1));
        std::shared_ptr<bool> alive = connection->alive;
        TReply reply = [this, connection, alive](const std::string& answer) {
            if (!*alive) return;
            if (connection->socket) {
                connection->socket->write(answer.data(), static_cast<qint64>(answer.size()));
                connection->socket->flush();
            }
            connection->busy = false;
            connection->idle.start();
            // Lines that came meanwhile, once this reply is on its way.
            QTimer::singleShot(0, this, [this, connection, alive] {
                if (*alive) Serve(connection);
            });
        };
        // Served from the event loop, not from inside the socket's signal: a
        // switch waits for the box and serves messages meanwhile, and the
        // socket may end (and be deleted) during that wait. A request whose
        // client has gone before its turn is not carried out.
        QTimer::singleShot(0, this, [this, line, alive, reply = std::move(reply)] {
            if (!*alive) return;
            if (handler_)
                handler_(line, reply);
            else
                reply(Refusal(TControlCode::NotReady, "Tavrin ist nicht bereit"));
        });
        return;
    }
    if (socket->bytesAvailable() > static_cast<qint64>(ControlProtocol::kMaxRequest))
        Refuse(socket, "Anfrage zu lang");
}
