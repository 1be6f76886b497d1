#pragma once

#include "control/OperatorControl.h"
#include "rules/Locator.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <optional>

namespace roteka {

// Responsibilities: the one place where other programs' requests reach the rotator, whatever
// protocol carried them: turn to a bearing as a click on the map at that bearing would, turn to a
// place's Maidenhead locator along the great circle from the station, stop and the free turns as
// the buttons do, and where the antenna points, less the offset. Each request tells how it went.
// Turns that come faster than a controller can use them (a logger's key held down, a flood of
// packets) are thinned: one goes out at once, then at most one a MinTurnInterval, always the
// newest.
class RemoteRequests : public QObject {
    Q_OBJECT
public:
    using Outcome = OperatorControl::Outcome;
    static constexpr int MinTurnIntervalMs = 100;

    explicit RemoteRequests(OperatorControl& control, QObject* parent = nullptr);

    Outcome turnTo(double bearing);
    // A turn that may wait for the end of the interval; a newer one replaces it.
    void turnSoon(double bearing);
    // turnSoon() to the short-path bearing from the station to the locator's centre; false, and
    // logged, for a locator that is not one or when the station is not known.
    bool turnSoonToLocator(const QString& locator);
    // Where the station is: the centre of its map, when the map records it.
    void setStation(std::optional<GeoPoint> station) { station_ = station; }
    std::optional<GeoPoint> station() const { return station_; }
    Outcome stop();
    // -1 counter-clockwise, 1 clockwise, as the turn buttons.
    Outcome turn(int direction);
    // The reported azimuth less the offset, in [0, 360) (0 less the offset before the first
    // report); none with the port closed.
    std::optional<double> azimuthLessOffset() const;
    bool portIsOpen() const;

signals:
    // The reported azimuth changed.
    void azimuthChanged();

private:
    void turnPending();

    OperatorControl& control_;
    std::optional<GeoPoint> station_;
    std::optional<double> pendingBearing_;
    QTimer pendingTimer_;
    QElapsedTimer sinceTurn_;
};

} // namespace roteka
