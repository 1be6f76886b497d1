#pragma once

#include "rules/NetCommands.h"

#include <QHostAddress>
#include <QTcpServer>

#include <memory>

class QTcpSocket;

namespace roteka {
class MessageBoxes;
class RemoteRequests;
} // namespace roteka

namespace roteka {

// Responsibilities: serves the rotator network protocol on a TCP address, in the window's
// thread: accepts clients (up to MaxClients at once), reads their lines (a line over MaxLine
// bytes is refused and skipped), passes each command to the remote requests and puts how it went
// into the protocol's words, answers a line's commands in one write, and drops a client that lets
// more than MaxPending bytes of replies pile up unread.
class RotatorServer : public QObject {
public:
    static constexpr int MaxClients = 64;
    static constexpr qint64 MaxLine = 1024;
    static constexpr qint64 MaxPending = 64 * 1024;

    explicit RotatorServer(RemoteRequests& requests, QObject* parent = nullptr);
    bool listen(const QHostAddress& address, quint16 port) { return server_.listen(address, port); }
    QString errorString() const { return server_.errorString(); }
    QAbstractSocket::SocketError serverError() const { return server_.serverError(); }
    quint16 port() const { return server_.serverPort(); }
    qsizetype connectedClients() const;

private:
    void accept();
    void read(QTcpSocket* client);
    QByteArray answer(const NetCommand& command);

    RemoteRequests& requests_;
    QTcpServer server_;
};

// A server for the rotator on the host (an address, or a name to look up) and port; when it
// cannot listen, a message naming the address and the reason, and none.
std::unique_ptr<RotatorServer> listenFor(RemoteRequests& requests, const QString& host,
                                         quint16 port, MessageBoxes& messages);

} // namespace roteka
