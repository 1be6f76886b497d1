#include "net/N1mmListener.h"

#include "control/RemoteRequests.h"
#include "net/Logging.h"
#include "rules/RotorPackets.h"

#include <QNetworkDatagram>

namespace roteka {

N1mmListener::N1mmListener(RemoteRequests& requests, std::optional<QString> rotorName,
                           quint16 statusPort, QObject* parent)
    : UdpListener("N1MM rotor packets", requests, parent), rotorName_(std::move(rotorName)),
      statusPort_(statusPort) {
    soon_.setSingleShot(true);
    soon_.setTimerType(Qt::PreciseTimer);
    connect(&soon_, &QTimer::timeout, this, &N1mmListener::sendStatus);
    every_.setInterval(StatusEveryMs);
    connect(&every_, &QTimer::timeout, this, &N1mmListener::sendStatus);
    connect(&requests_, &RemoteRequests::azimuthChanged, this, &N1mmListener::azimuthChanged);
}

void N1mmListener::handle(const QNetworkDatagram& datagram) {
    const N1mmCommand command = readN1mmPacket(datagram.data());
    if (command.kind == N1mmCommand::Invalid)
        return refuse(datagram, command.problem);
    if (rotorName_ && command.rotor != *rotorName_) {
        qCDebug(lcNet).noquote() << "a packet for rotor" << command.rotor << "left alone";
        return;
    }
    lastName_ = command.rotor;
    const bool first = statusHost_.isNull();
    statusHost_ = datagram.senderAddress();
    if (command.kind == N1mmCommand::Stop)
        requests_.stop();
    else
        requests_.turnSoon(command.bearing);
    if (first) {
        every_.start();
        sendStatus();
    }
}

void N1mmListener::azimuthChanged() {
    if (statusHost_.isNull() || soon_.isActive())
        return;
    const qint64 since = sinceStatus_.isValid() ? sinceStatus_.elapsed() : StatusMinIntervalMs;
    if (since >= StatusMinIntervalMs)
        return sendStatus();
    soon_.start(int(StatusMinIntervalMs - since));
}

void N1mmListener::sendStatus() {
    const auto bearing = requests_.azimuthLessOffset();
    if (!bearing || statusHost_.isNull())
        return;
    soon_.stop();
    every_.start();
    sinceStatus_.start();
    send(n1mmStatus(rotorName_.value_or(lastName_), *bearing), statusHost_, statusPort_);
}

} // namespace roteka
