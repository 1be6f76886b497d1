#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>

class QNetworkDatagram;

namespace roteka {

class RemoteRequests;

// Responsibilities: a UDP port on which other programs send requests for the rotator, in the
// window's thread. It binds so that other programs may listen on the same port too (broadcasts
// reach every one of them), reads each datagram whole (a longer one than the readers take is
// cut there and so refused), hands it to the protocol, and logs what the protocol refused: each
// refusal up to LoggedPerSecond a second, then how many more there were.
class UdpListener : public QObject {
    Q_OBJECT
public:
    static constexpr int LoggedPerSecond = 10;

    explicit UdpListener(const char* protocol, RemoteRequests& requests, QObject* parent = nullptr);

    bool bind(const QHostAddress& address, quint16 port);
    quint16 port() const { return socket_.localPort(); }
    QAbstractSocket::SocketError error() const { return socket_.error(); }
    QString errorString() const { return socket_.errorString(); }

protected:
    virtual void handle(const QNetworkDatagram& datagram) = 0;
    // A datagram the protocol refused, and why.
    void refuse(const QNetworkDatagram& datagram, const QString& problem);
    // Sends bytes to an address; a failure is logged.
    void send(const QByteArray& bytes, const QHostAddress& to, quint16 port);

    RemoteRequests& requests_;

private:
    void readDatagrams();

    const char* protocol_;
    QUdpSocket socket_;
    QElapsedTimer logSecond_;
    int loggedThisSecond_ = 0;
    int unlogged_ = 0;
};

} // namespace roteka
