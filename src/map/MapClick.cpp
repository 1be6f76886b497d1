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
    if (!rect)
        return;
    const double bearing = clickedBearing(pointer.x() - rect->left(), pointer.y() - rect->top());
    const auto target = mapTarget(bearing, Text5->text());
    // A target beyond 16 bits (absurd offset) is ignored: sending the previous one would be wrong.
    if (!target)
        return;
    Label5->setText(QString::number(*target));
    ReceiveBuffer.clear();
    if (!PortIsOpen()) {
        ReportPortClosed(true);
        return;
    }
    ignoreErrors([this] { SendGoTo(); });
}

} // namespace roteka
