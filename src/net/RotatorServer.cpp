#include "net/RotatorServer.h"

#include "control/RemoteRequests.h"
#include "net/Listening.h"
#include "net/Logging.h"

#include <QTcpSocket>

#include <algorithm>

namespace roteka {

namespace {

const char* const SkippingLine = "skippingLine";

QString twoDecimals(double value) {
    return QString::number(value, 'f', 2);
}

} // namespace

RotatorServer::RotatorServer(RemoteRequests& requests, QObject* parent)
    : QObject(parent), requests_(requests) {
    connect(&server_, &QTcpServer::newConnection, this, &RotatorServer::accept);
}

void RotatorServer::accept() {
    while (QTcpSocket* client = server_.nextPendingConnection()) {
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        if (connectedClients() > MaxClients) {
            qCWarning(lcNet).noquote() << QStringLiteral("refused %1: %2 clients already")
                                              .arg(client->peerAddress().toString())
                                              .arg(MaxClients);
            client->abort();
            continue;
        }
        connect(client, &QTcpSocket::readyRead, this, [this, client] { read(client); });
    }
}

// A client that has hung up counts no more, though its socket lives until the next turn of the
// event loop.
qsizetype RotatorServer::connectedClients() const {
    const QList<QTcpSocket*> clients = server_.findChildren<QTcpSocket*>();
    return std::count_if(clients.cbegin(), clients.cend(), [](const QTcpSocket* client) {
        return client->state() == QAbstractSocket::ConnectedState;
    });
}

void RotatorServer::read(QTcpSocket* client) {
    while (client->state() == QAbstractSocket::ConnectedState &&
           (client->canReadLine() || client->bytesAvailable() > MaxLine)) {
        const QByteArray line = client->readLine(MaxLine + 1);
        const bool whole = line.endsWith('\n');
        const bool skipping = client->property(SkippingLine).toBool();
        client->setProperty(SkippingLine, !whole);
        QByteArray replies;
        if (!whole || skipping) {
            if (!skipping) {
                qCInfo(lcNet) << "refused a line of more than" << MaxLine << "bytes";
                replies = "RPRT " + QByteArray::number(NetInvalid) + '\n';
            }
        } else {
            for (const QByteArray& part : line.split('\r')) {
                for (const NetCommand& command : parseNetLine(QString::fromLatin1(part))) {
                    if (command.kind == NetCommand::Quit) {
                        client->write(replies);
                        client->disconnectFromHost();
                        return;
                    }
                    replies += answer(command);
                }
            }
        }
        client->write(replies);
        if (client->bytesToWrite() > MaxPending) {
            qCWarning(lcNet).noquote()
                << QStringLiteral("dropped %1: more than %2 bytes of replies unread")
                       .arg(client->peerAddress().toString())
                       .arg(MaxPending);
            client->abort();
        }
    }
}

QByteArray RotatorServer::answer(const NetCommand& command) {
    const auto done = [&](RemoteRequests::Outcome outcome) {
        return netReply(command, outcome == RemoteRequests::Outcome::Done      ? NetOk
                                 : outcome == RemoteRequests::Outcome::Refused ? NetInvalid
                                                                               : NetIoError);
    };
    switch (command.kind) {
    case NetCommand::GetPos:
        if (const auto azimuth = requests_.azimuthLessOffset())
            return netReply(command, NetOk,
                            {{"Azimuth", twoDecimals(*azimuth)}, {"Elevation", twoDecimals(0)}});
        return netReply(command, NetIoError);
    case NetCommand::SetPos:
        if (const auto position = netPosition(command.arguments))
            return done(requests_.turnTo(position->first));
        return netReply(command, NetInvalid);
    case NetCommand::Stop:
        return done(requests_.stop());
    case NetCommand::Move:
        if (const auto direction = netDirection(command.arguments))
            return *direction == 0 ? netReply(command, NetUnavailable)
                                   : done(requests_.turn(*direction));
        return netReply(command, NetInvalid);
    case NetCommand::GetInfo:
        return netReply(command, NetOk, {{"Info", QStringLiteral("ROTEKA " ROTEKA_VERSION)}});
    case NetCommand::DumpState:
        // Protocol version 1, a model number clients ignore, the limits of set_pos, done.
        return netReply(command, NetOk,
                        {{"", "1"},
                         {"", "2"},
                         {"", "min_az=-180.000000"},
                         {"", "max_az=450.000000"},
                         {"", "min_el=0.000000"},
                         {"", "max_el=90.000000"},
                         {"", "south_zero=0"},
                         {"", "rot_type=Az"},
                         {"", "done"}});
    case NetCommand::Park:
    case NetCommand::Unavailable:
        return netReply(command, NetUnavailable);
    default:
        return netReply(command, NetInvalid);
    }
}

std::unique_ptr<RotatorServer> listenFor(RemoteRequests& requests, const QString& host,
                                         quint16 port, MessageBoxes& messages) {
    const QHostAddress address = hostAddress(host);
    auto server = std::make_unique<RotatorServer>(requests);
    if (address.isNull()) {
        reportCannotListen(messages, host, port, QAbstractSocket::HostNotFoundError, QString());
        return nullptr;
    }
    if (!server->listen(address, port)) {
        reportCannotListen(messages, host, port, server->serverError(), server->errorString());
        return nullptr;
    }
    qCDebug(lcNet).noquote() << QStringLiteral("serving the rotator protocol on %1 port %2")
                                    .arg(host)
                                    .arg(server->port());
    return server;
}

} // namespace roteka
