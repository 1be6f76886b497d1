#include "net/UdpListener.h"

#include "net/Logging.h"
#include "rules/RotorPackets.h"

#include <QNetworkDatagram>

namespace roteka {

UdpListener::UdpListener(const char* protocol, RemoteRequests& requests, QObject* parent)
    : QObject(parent), requests_(requests), protocol_(protocol) {
    connect(&socket_, &QUdpSocket::readyRead, this, &UdpListener::readDatagrams);
}

bool UdpListener::bind(const QHostAddress& address, quint16 port) {
    return socket_.bind(address, port,
                        QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint);
}

void UdpListener::readDatagrams() {
    while (socket_.hasPendingDatagrams())
        handle(socket_.receiveDatagram(MaxRotorDatagram + 1));
}

void UdpListener::refuse(const QNetworkDatagram& datagram, const QString& problem) {
    if (!logSecond_.isValid() || logSecond_.elapsed() >= 1000) {
        if (unlogged_ > 0)
            qCInfo(lcNet).noquote() << QStringLiteral("%1: %2 more datagrams refused")
                                           .arg(QLatin1String(protocol_))
                                           .arg(unlogged_);
        logSecond_.start();
        loggedThisSecond_ = 0;
        unlogged_ = 0;
    }
    if (loggedThisSecond_ == LoggedPerSecond) {
        ++unlogged_;
        return;
    }
    ++loggedThisSecond_;
    qCInfo(lcNet).noquote() << QStringLiteral("%1: refused a datagram from %2: %3")
                                   .arg(QLatin1String(protocol_),
                                        datagram.senderAddress().toString(), problem);
}

void UdpListener::send(const QByteArray& bytes, const QHostAddress& to, quint16 port) {
    if (socket_.writeDatagram(bytes, to, port) != bytes.size())
        qCInfo(lcNet).noquote() << QStringLiteral("%1: nothing sent to %2 port %3: %4")
                                       .arg(QLatin1String(protocol_), to.toString())
                                       .arg(port)
                                       .arg(socket_.errorString());
}

} // namespace roteka
