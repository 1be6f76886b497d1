#include "app/Form1.h"
#include "app/RunTimeError.h"
#include "commands/CommandRules.h"
#include "map/Module1.h"
#include "map/PointerPosition.h"
#include "ui/PictureBox.h"

#include <QLabel>
#include <QLineEdit>

namespace roteka {

void Form1::Picture1_Click() {
    const QPoint pointer = pointer_.cursorPos();
    const auto rect = pointer_.windowRect(*Picture1);
    if (rect)
        TurnToBearing(clickedBearing(pointer.x() - rect->left(), pointer.y() - rect->top()));
}

// The map target rule turns a bearing into the last-commanded angle and sends the go-to command.
// A target beyond 16 bits (absurd offset) is ignored: sending the previous one would be wrong.
RemoteRotator::Outcome Form1::TurnToBearing(double bearing) {
    const auto target = mapTarget(bearing, Text5->text());
    if (!target)
        return Refused;
    Label5->setText(QString::number(*target));
    ReceiveBuffer.clear();
    if (!PortIsOpen()) {
        ReportPortClosed(true);
        return IoError;
    }
    bool sent = false;
    if (!ignoreErrors([&] { sent = SendGoTo(); }) || !PortIsOpen())
        return IoError;
    return sent ? Done : Refused;
}

} // namespace roteka
