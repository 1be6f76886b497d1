// Both UDP rotor packet readers on any bytes, and both answers on any bearing.
#include "Check.h"
#include "rules/RotorPackets.h"

#include <cmath>
#include <cstdint>
#include <cstring>

using namespace roteka;

namespace {

bool inCircle(double bearing) {
    return bearing >= 0 && bearing < 360;
}

// Both answers are well formed and, for a bearing in the circle, hold it rounded.
void checkAnswers(double bearing) {
    const QByteArray status = n1mmStatus(QStringLiteral("R"), bearing);
    const QByteArray answer = pstAzimuthAnswer(bearing);
    const int tenths = status.mid(4).toInt(), degrees = answer.mid(3, 3).toInt();
    CHECK(status == "R @ " + QByteArray::number(tenths) && tenths >= 0 && tenths < 3600);
    CHECK(answer == "AZ:" + QByteArray::number(degrees).rightJustified(3, '0') + '\r' &&
          degrees < 360);
    if (inCircle(bearing)) {
        CHECK(std::fabs(tenths - bearing * 10) <= 0.5 || (tenths == 0 && bearing >= 359.95));
        CHECK(std::fabs(degrees - bearing) <= 0.5 || (degrees == 0 && bearing >= 359.5));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView datagram(data, qsizetype(size));
    const N1mmCommand n1mm = readN1mmPacket(datagram);
    CHECK((n1mm.kind == N1mmCommand::Invalid) == !n1mm.problem.isEmpty());
    CHECK(n1mm.kind == N1mmCommand::Turn ? inCircle(n1mm.bearing) : n1mm.bearing == 0);
    CHECK(n1mm.kind != N1mmCommand::Invalid || n1mm.rotor.isEmpty());
    const PstPacket pst = readPstPacket(datagram);
    CHECK(pst.problem.isEmpty() || pst.commands.isEmpty());
    for (const PstCommand& c : pst.commands)
        CHECK(c.kind == PstCommand::Azimuth ? inCircle(c.bearing) : c.bearing == 0);

    // Any double, and one spread evenly over the circle.
    double any = 0;
    std::uint32_t spread = 0;
    std::memcpy(&any, data, qMin(size, sizeof any));
    std::memcpy(&spread, data, qMin(size, sizeof spread));
    checkAnswers(any);
    checkAnswers(spread / 4294967296.0 * 360);
    return 0;
}
