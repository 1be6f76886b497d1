#include "ui/FramePacer.h"

#include <QCoreApplication>
#include <QScreen>

#include <algorithm>

namespace roteka {

FramePacer::FramePacer(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (window_)
            QCoreApplication::postEvent(window_, new QEvent(QEvent::UpdateRequest),
                                        Qt::LowEventPriority);
    });
}

void FramePacer::pace(QWidget* window) {
    if (window_)
        window_->removeEventFilter(this);
    window_ = window;
    if (window_)
        window_->installEventFilter(this);
}

bool FramePacer::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_ || event->type() != QEvent::UpdateRequest)
        return false;
    const qreal rate = window_->screen() ? window_->screen()->refreshRate() : 60.0;
    const qint64 frame = std::clamp<qint64>(qRound64(1000.0 / qMax<qreal>(rate, 1.0)), 4, 50);
    if (!sinceRepaint_.isValid() || sinceRepaint_.elapsed() >= frame) {
        sinceRepaint_.start();
        return false;
    }
    if (!timer_.isActive())
        timer_.start(int(frame - sinceRepaint_.elapsed()));
    return true;
}

} // namespace roteka
