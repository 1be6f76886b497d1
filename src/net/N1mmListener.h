#pragma once

#include "net/UdpListener.h"

#include <QTimer>

#include <optional>

namespace roteka {

// Responsibilities: the rotor packets of N1MM Logger+ and of the programs that send the same:
// a turn or a stop for this rotor (every rotor name, or only the one given) goes to the remote
// requests. Once a packet came, the antenna's bearing (less the offset) goes back as status to
// StatusPort of the host the last packet came from, under the given name or else the last
// packet's: when the reported azimuth changes, at most once each StatusMinIntervalMs, and once
// each StatusEveryMs otherwise; never while the port is closed.
class N1mmListener : public UdpListener {
    Q_OBJECT
public:
    static constexpr quint16 StatusPort = 13010;
    static constexpr int StatusMinIntervalMs = 200;
    static constexpr int StatusEveryMs = 2000;

    N1mmListener(RemoteRequests& requests, std::optional<QString> rotorName,
                 quint16 statusPort = StatusPort, QObject* parent = nullptr);

private:
    void handle(const QNetworkDatagram& datagram) override;
    void azimuthChanged();
    void sendStatus();

    std::optional<QString> rotorName_;
    quint16 statusPort_;
    QString lastName_;
    QHostAddress statusHost_;
    QTimer soon_;
    QTimer every_;
    QElapsedTimer sinceStatus_;
};

} // namespace roteka
