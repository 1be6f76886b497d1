#include "net/PstListener.h"

#include "control/RemoteRequests.h"
#include "rules/RotorPackets.h"

#include <QNetworkDatagram>

#include <optional>

namespace roteka {

PstListener::PstListener(RemoteRequests& requests, QObject* parent)
    : UdpListener("PstRotator UDP control", requests, parent) {}

void PstListener::handle(const QNetworkDatagram& datagram) {
    const PstPacket packet = readPstPacket(datagram.data());
    if (!packet.problem.isEmpty())
        return refuse(datagram, packet.problem);
    std::optional<PstCommand> turn;
    for (const PstCommand& command : packet.commands) {
        switch (command.kind) {
        case PstCommand::Azimuth:
        case PstCommand::Locator:
            turn = command;
            break;
        case PstCommand::Stop:
            turn.reset();
            requests_.stop();
            break;
        case PstCommand::AskAzimuth:
            if (const auto bearing = requests_.azimuthLessOffset())
                send(pstAzimuthAnswer(*bearing), datagram.senderAddress(), port() + 1);
            break;
        case PstCommand::Ignored:
            break;
        }
    }
    if (!turn)
        return;
    if (turn->kind == PstCommand::Azimuth)
        requests_.turnSoon(turn->bearing);
    else
        requests_.turnSoonToLocator(turn->locator);
}

} // namespace roteka
