#include "app/Form1.h"
#include "commands/Numbers.h"
#include "ui/CaptionLabel.h"

#include <QLabel>
#include <QLineEdit>

#include <cmath>

// The requests of network clients, carried out by the window's own handlers.

namespace roteka {

RemoteRotator::Outcome Form1::turnTo(double bearing) {
    return TurnToBearing(bearing);
}

RemoteRotator::Outcome Form1::stop() {
    Command2_Click();
    return PortIsOpen() ? Done : IoError;
}

RemoteRotator::Outcome Form1::turn(bool clockwise) {
    clockwise ? Command3_Click() : Command1_Click();
    return PortIsOpen() ? Done : IoError;
}

std::optional<double> Form1::azimuth() {
    if (!PortIsOpen())
        return std::nullopt;
    const double azimuth =
        std::fmod(leadingNumber(Label4->text()) - leadingNumber(Text5->text()), 360.0);
    return azimuth < 0 ? azimuth + 360 : azimuth;
}

} // namespace roteka
