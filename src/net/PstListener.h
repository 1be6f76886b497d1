#pragma once

#include "net/UdpListener.h"

namespace roteka {

// Responsibilities: the PstRotator UDP control that loggers and SDR programs send: a turn to a
// bearing or to a locator's centre and a stop go to the remote requests (of the turns in one
// datagram, only the last before a stop or the end counts); the question "AZ?" is answered with
// the antenna's bearing, less the offset, to the sender's address at this port + 1, unless the
// port is closed. Commands ROTEKA has no use for (park, elevation, ...) are left alone.
class PstListener : public UdpListener {
    Q_OBJECT
public:
    explicit PstListener(RemoteRequests& requests, QObject* parent = nullptr);

private:
    void handle(const QNetworkDatagram& datagram) override;
};

} // namespace roteka
