#pragma once
// The connections to the running program's local socket: later starts of
// the program ("raise") and scripts (tavrinctl's requests). Each connection
// is served line by line, one request at a time, in arrival order.
//
// Bounds, so that no client can disturb the program: only a process of the
// same user is served (the peer's credentials); at most kMaxConnections at
// once (more are closed at once); a connection without a complete request
// for kIdleMs is closed; a line longer than the request limit gets an error
// answer and the connection is closed; a malformed request gets an error
// answer.
#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

class QLocalSocket;

class TControlChannel : public QObject {
public:
    static constexpr int kMaxConnections = 8;
    static constexpr int kIdleMs = 3000;

    using TReply = std::function<void(const std::string& answer)>;
    // Serves one request line (without its line end); replies exactly once.
    using THandler = std::function<void(const std::string& line, TReply reply)>;

    explicit TControlChannel(QObject* parent = nullptr);
    ~TControlChannel() override;

    // A later start's request to come forward.
    void SetOnRaise(std::function<void()> onRaise) { onRaise_ = std::move(onRaise); }
    // Until a handler is set, requests are answered "not ready".
    void SetHandler(THandler handler) { handler_ = std::move(handler); }

    // Takes over a new connection.
    void Accept(QLocalSocket* socket);
    int Connections() const { return connections_; }
    // The idle bound of later connections (kIdleMs unless changed).
    void SetIdleMs(int ms) { idleMs_ = ms; }

private:
    struct TConnection;
    void Serve(TConnection* connection);
    void Close(TConnection* connection);

    std::function<void()> onRaise_;
    THandler handler_;
    int connections_ = 0;
    int idleMs_ = kIdleMs;
};
