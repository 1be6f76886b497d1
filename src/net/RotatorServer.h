#pragma once

#include "rules/NetCommands.h"

#include <QHostAddress>
#include <QTcpServer>

#include <memory>

class QTcpSocket;

namespace roteka {
class MessageBoxes;
class RotatorControl;
} // namespace roteka

namespace roteka {

// Responsibilities: serves the rotator network protocol on a TCP address, in the window's
// thread: accepts clients (up to MaxClients at once), reads their lines (a line over MaxLine
// bytes is refused and skipped), carries out each command on the rotator control as the
// window's own control would, answers a line's commands in one write, and drops a client that lets
// more than MaxPending bytes of replies pile up unread.
class RotatorServer : public QObject {
public:
    static constexpr int MaxClients = 64;
    static constexpr qint64 MaxLine = 1024;
    static constexpr qint64 MaxPending = 64 * 1024;

    explicit RotatorServer(RotatorControl& rotator, QObject* parent = nullptr);
    bool listen(const QHostAddress& address, quint16 port) { return server_.listen(address, port); }
    QString errorString() const { return server_.errorString(); }
    QAbstractSocket::SocketError serverError() const { return server_.serverError(); }
    quint16 port() const { return server_.serverPort(); }

private:
    void accept();
    qsizetype connectedClients() const;
    void read(QTcpSocket* client);
    QByteArray answer(const NetCommand& command);

    RotatorControl& rotator_;
    QTcpServer server_;
};

// A server for the rotator on the host (an address, or a name to look up) and port; when it
// cannot listen, a message naming the address and the reason, and none.
std::unique_ptr<RotatorServer> listenFor(RotatorControl& rotator, const QString& host, quint16 port,
                                         MessageBoxes& messages);

} // namespace roteka
