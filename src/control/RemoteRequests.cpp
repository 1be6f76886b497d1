#include "control/RemoteRequests.h"

#include "control/Logging.h"

#include <cmath>
#include <utility>

namespace roteka {

RemoteRequests::RemoteRequests(OperatorControl& control, QObject* parent)
    : QObject(parent), control_(control) {
    pendingTimer_.setSingleShot(true);
    pendingTimer_.setTimerType(Qt::PreciseTimer);
    connect(&pendingTimer_, &QTimer::timeout, this, &RemoteRequests::turnPending);
    connect(&control_, &OperatorControl::azimuthChanged, this, &RemoteRequests::azimuthChanged);
}

RemoteRequests::Outcome RemoteRequests::turnTo(double bearing) {
    pendingBearing_.reset();
    pendingTimer_.stop();
    return control_.turnToBearing(bearing);
}

void RemoteRequests::turnSoon(double bearing) {
    pendingBearing_ = bearing;
    if (pendingTimer_.isActive())
        return;
    const qint64 since = sinceTurn_.isValid() ? sinceTurn_.elapsed() : MinTurnIntervalMs;
    if (since >= MinTurnIntervalMs)
        return turnPending();
    pendingTimer_.start(int(MinTurnIntervalMs - since));
}

bool RemoteRequests::turnSoonToLocator(const QString& locator) {
    const auto place = locatorCentre(locator);
    if (!place || !station_) {
        qCInfo(lcControl).noquote()
            << (place ? QStringLiteral("no turn to %1: the map records no station").arg(locator)
                      : QStringLiteral("no turn to \"%1\": no locator").arg(locator));
        return false;
    }
    turnSoon(greatCircle(*station_, *place).bearing);
    return true;
}

void RemoteRequests::turnPending() {
    if (!pendingBearing_)
        return;
    const double bearing = *std::exchange(pendingBearing_, std::nullopt);
    sinceTurn_.start();
    if (const Outcome outcome = control_.turnToBearing(bearing); outcome != Outcome::Done)
        qCInfo(lcControl) << "a turn to" << bearing << "was not sent:"
                          << (outcome == Outcome::Refused ? "no target" : "the port is closed");
}

RemoteRequests::Outcome RemoteRequests::stop() {
    pendingBearing_.reset();
    pendingTimer_.stop();
    control_.stop();
    return control_.portIsOpen() ? Outcome::Done : Outcome::PortClosed;
}

RemoteRequests::Outcome RemoteRequests::turn(int direction) {
    pendingBearing_.reset();
    pendingTimer_.stop();
    direction > 0 ? control_.turnRight() : control_.turnLeft();
    return control_.portIsOpen() ? Outcome::Done : Outcome::PortClosed;
}

std::optional<double> RemoteRequests::azimuthLessOffset() const {
    if (!control_.portIsOpen())
        return std::nullopt;
    const double azimuth = std::fmod(control_.azimuth().value_or(0) - control_.offset(), 360.0);
    return azimuth < 0 ? azimuth + 360 : azimuth;
}

bool RemoteRequests::portIsOpen() const {
    return control_.portIsOpen();
}

} // namespace roteka
