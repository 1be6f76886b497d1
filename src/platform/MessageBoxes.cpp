#include "platform/MessageBoxes.h"

#include <QMessageBox>

namespace roteka {

void QtMessageBoxes::show(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ROTEKA"), text, QMessageBox::Ok, parent_);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

QString messageLines(std::initializer_list<QString> lines) {
    QString text;
    bool first = true;
    for (const QString& line : lines) {
        if (!first)
            text += QStringLiteral("\r\n");
        text += line;
        first = false;
    }
    return text;
}

} // namespace roteka
