#pragma once

#include <QLabel>

namespace roteka {

// Responsibilities: a label whose caption changes are an event: setCaption() raises
// change() synchronously whenever the new caption differs from the one shown.
class CaptionLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    void setCaption(const QString& caption) {
        if (caption == text())
            return;
        setText(caption);
        emit change();
    }

signals:
    void change();
};

} // namespace roteka
