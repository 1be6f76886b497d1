#include "net/RotatorServer.h"

#include "control/RotatorControl.h"
#include "platform/MessageBoxes.h"

#include <QHostInfo>
#include <QTcpSocket>

#include <algorithm>

namespace roteka {

namespace {

const char* const SkippingLine = "skippingLine";

QString twoDecimals(double value) {
    return QString::number(value, 'f', 2);
}

} // namespace

RotatorServer::RotatorServer(RotatorControl& rotator, QObject* parent)
    : QObject(parent), rotator_(rotator) {
    connect(&server_, &QTcpServer::newConnection, this, &RotatorServer::accept);
}

void RotatorServer::accept() {
    while (QTcpSocket* client = server_.nextPendingConnection()) {
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        if (connectedClients() > MaxClients) {
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
            if (!skipping)
                replies = "RPRT " + QByteArray::number(NetInvalid) + '\n';
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
        if (client->bytesToWrite() > MaxPending)
            client->abort();
    }
}

QByteArray RotatorServer::answer(const NetCommand& command) {
    const auto done = [&](RotatorControl::Outcome outcome) {
        return netReply(command, outcome == RotatorControl::Done      ? NetOk
                                 : outcome == RotatorControl::Refused ? NetInvalid
                                                                      : NetIoError);
    };
    // Stop and the free turns are the window's buttons, which tell nothing but the port's state.
    const auto portState = [&] {
        return done(rotator_.portIsOpen() ? RotatorControl::Done : RotatorControl::PortClosed);
    };
    switch (command.kind) {
    case NetCommand::GetPos:
        if (const auto azimuth = rotator_.azimuthLessOffset())
            return netReply(command, NetOk,
                            {{"Azimuth", twoDecimals(*azimuth)}, {"Elevation", twoDecimals(0)}});
        return netReply(command, NetIoError);
    case NetCommand::SetPos:
        if (const auto position = netPosition(command.arguments))
            return done(rotator_.turnToBearing(position->first));
        return netReply(command, NetInvalid);
    case NetCommand::Stop:
        rotator_.stop();
        return portState();
    case NetCommand::Move:
        if (const auto direction = netDirection(command.arguments)) {
            if (*direction == 0)
                return netReply(command, NetUnavailable);
            *direction > 0 ? rotator_.turnRight() : rotator_.turnLeft();
            return portState();
        }
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

std::unique_ptr<RotatorServer> listenFor(RotatorControl& rotator, const QString& hostName,
                                         quint16 port, MessageBoxes& messages) {
    QHostAddress host(hostName);
    if (host.isNull()) {
        const QList<QHostAddress> found = QHostInfo::fromName(hostName).addresses();
        host = found.value(0);
    }
    auto server = std::make_unique<RotatorServer>(rotator);
    if (!host.isNull() && server->listen(host, port))
        return server;
    // The common reasons in the window's language, with the system's words after them.
    QString reason = QStringLiteral("ホスト名が見つかりません。");
    if (!host.isNull()) {
        const QAbstractSocket::SocketError error = server->serverError();
        reason = error == QAbstractSocket::AddressInUseError
                     ? QStringLiteral("ほかのプログラムが使用中です。")
                 : error == QAbstractSocket::SocketAddressNotAvailableError
                     ? QStringLiteral("このパソコンのアドレスではありません。")
                 : error == QAbstractSocket::SocketAccessError
                     ? QStringLiteral("使用する権限がありません。")
                     : QString();
        reason += QStringLiteral("（%1）").arg(server->errorString());
    }
    messages.show(messageLines({
        QStringLiteral("ネットワークからの制御を開始できませんでした。"),
        QString(),
        QStringLiteral("アドレス：%1　ポート：%2").arg(hostName).arg(port),
        QStringLiteral("理由：%1").arg(reason),
        QString(),
        QStringLiteral("ネットワークからの制御なしで動作を続けます。"),
    }));
    return nullptr;
}

} // namespace roteka
