#include "platform/PointerPosition.h"

#include <QCursor>
#include <QWidget>

namespace roteka {

QPoint QtPointerPosition::cursorPos() {
    return click_ ? *click_ : QCursor::pos();
}

std::optional<QRect> QtPointerPosition::windowRect(const QWidget& widget) {
    if (!widget.isVisible())
        return std::nullopt;
    return QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size());
}

} // namespace roteka
