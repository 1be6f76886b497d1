// Both UDP rotor packet readers on any bytes, and both answers on a bearing taken from them.
#include "rules/RotorPackets.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace roteka;

namespace {

void check(bool property, const char* what) {
    if (!property) {
        std::fprintf(stderr, "broken property: %s\n", what);
        std::abort();
    }
}

bool isBearing(double bearing) {
    return std::isfinite(bearing) && bearing >= 0 && bearing < 360;
}

// The whole number after the prefix, written plainly (no sign, blank or leading zero); -1 when
// the text is not that.
long plainNumberAfter(const QByteArray& text, const QByteArray& prefix) {
    if (!text.startsWith(prefix))
        return -1;
    const QByteArray digits = text.mid(prefix.size());
    bool ok = false;
    const long number = digits.toLong(&ok);
    return ok && number >= 0 && QByteArray::number(number) == digits ? number : -1;
}

// Whether a whole number of units is the bearing rounded, the full circle of `circle` units
// written as 0.
bool roundedFrom(long units, double bearing, double unitsPerDegree, long circle) {
    const double exact = bearing * unitsPerDegree;
    return units >= 0 && units < circle &&
           (std::fabs(double(units) - exact) <= 0.5 || (units == 0 && exact >= circle - 0.5));
}

void checkAnswers(const QString& rotor, double bearing) {
    const QByteArray name = rotor.toUtf8();
    const long tenths = plainNumberAfter(n1mmStatus(rotor, bearing), name + " @ ");
    check(tenths >= 0 && tenths < 3600, "the status is NAME @ and 0 to 3599");
    const QByteArray answer = pstAzimuthAnswer(bearing);
    check(answer.size() == 7 && answer.startsWith("AZ:") && answer.endsWith('\r'),
          "the answer is AZ:, three digits and CR");
    const QByteArray digits = answer.mid(3, 3);
    bool ok = false;
    const long degrees = digits.toLong(&ok);
    check(ok && digits.front() >= '0' && degrees >= 0 && degrees < 360,
          "the answer's digits are 000 to 359");
    if (isBearing(bearing)) {
        check(roundedFrom(tenths, bearing, 10, 3600), "the status holds the bearing in tenths");
        check(roundedFrom(degrees, bearing, 1, 360), "the answer holds the bearing rounded");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView datagram(data, qsizetype(size));
    const bool tooLong = datagram.size() > MaxRotorDatagram;

    const N1mmCommand n1mm = readN1mmPacket(datagram);
    check((n1mm.kind == N1mmCommand::Invalid) == !n1mm.problem.isEmpty(),
          "an N1MM packet is refused exactly when it says why");
    check(n1mm.kind != N1mmCommand::Turn || isBearing(n1mm.bearing),
          "a turn's bearing is finite and in [0, 360)");
    check(n1mm.kind == N1mmCommand::Turn || n1mm.bearing == 0, "only a turn has a bearing");
    check(n1mm.kind != N1mmCommand::Invalid || n1mm.rotor.isEmpty(), "a refusal names no rotor");
    check(n1mm.rotor == n1mm.rotor.trimmed(), "the rotor's name has no blanks around it");
    check(!tooLong || n1mm.kind == N1mmCommand::Invalid, "a datagram too long is refused");

    const PstPacket pst = readPstPacket(datagram);
    check(pst.problem.isEmpty() || pst.commands.isEmpty(), "a malformed packet has no commands");
    check(!tooLong || !pst.problem.isEmpty(), "a datagram too long is malformed");
    check(pst.commands.size() <= datagram.size(), "no more commands than bytes");
    for (const PstCommand& command : pst.commands) {
        check(command.kind != PstCommand::Azimuth || isBearing(command.bearing),
              "an azimuth is finite and in [0, 360)");
        check(command.kind == PstCommand::Azimuth || command.bearing == 0,
              "only an azimuth has a bearing");
        check(command.locator == command.locator.trimmed(), "the locator has no blanks around it");
    }

    // Any double, and one spread evenly over the circle.
    double anyBearing = double(size);
    std::uint32_t fraction = 0;
    std::memcpy(&anyBearing, data, std::min(size, sizeof anyBearing));
    std::memcpy(&fraction, data, std::min(size, sizeof fraction));
    checkAnswers(n1mm.rotor, anyBearing);
    checkAnswers(QStringLiteral("R"), fraction / 4294967296.0 * 360);
    if (n1mm.kind == N1mmCommand::Turn)
        checkAnswers(n1mm.rotor, n1mm.bearing);
    return 0;
}
