#include "ui/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <cmath>

namespace roteka {

namespace {

QPoint toPixel(QPointF twips) {
    return {static_cast<int>(std::lround(twips.x() / PictureBox::TwipsPerPixel)),
            static_cast<int>(std::lround(twips.y() / PictureBox::TwipsPerPixel))};
}

} // namespace

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(BorderWidth);
    base_ = blankSurface();
    persistent_ = base_;
}

QColor PictureBox::defaultForeColor() const {
    return palette().color(QPalette::ButtonText);
}

QImage PictureBox::blankSurface() const {
    const QSize inner = size() - QSize(2 * BorderWidth, 2 * BorderWidth);
    QImage surface(inner.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    surface.fill(palette().color(QPalette::Button));
    return surface;
}

void PictureBox::setPicture(const QImage& picture) {
    base_ = blankSurface();
    QPainter painter(&base_);
    painter.drawImage(0, 0, picture);
    painter.end();
    persistent_ = base_;
    screenOnly_ = false;
    update();
}

void PictureBox::cls() {
    persistent_ = base_;
    screenOnly_ = false;
    update();
}

template <class Draw> void PictureBox::draw(Draw&& draw) {
    QImage* target = &persistent_;
    if (autoRedraw_) {
        screenOnly_ = false;
    } else {
        if (!screenOnly_) {
            screen_ = persistent_.copy();
            screenOnly_ = true;
        }
        target = &screen_;
    }
    QPainter painter(target);
    painter.setPen(QPen(foreColor(), drawWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    draw(painter);
    painter.end();
    update();
}

void PictureBox::line(QPointF fromTwips, QPointF toTwips) {
    draw([&](QPainter& painter) { painter.drawLine(toPixel(fromTwips), toPixel(toTwips)); });
}

void PictureBox::circle(QPointF centreTwips, double radiusTwips) {
    const double radius = radiusTwips / TwipsPerPixel;
    const QPointF centre(centreTwips.x() / TwipsPerPixel, centreTwips.y() / TwipsPerPixel);
    draw([&](QPainter& painter) { painter.drawEllipse(centre, radius, radius); });
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.drawImage(contentsRect().topLeft(), screenImage());
}

void PictureBox::dropScreenOnlyDrawing() {
    if (!screenOnly_)
        return;
    screenOnly_ = false;
    screen_ = QImage();
    update();
}

void PictureBox::showEvent(QShowEvent* event) {
    dropScreenOnlyDrawing();
    if (QWindow* handle = window()->windowHandle(); handle && handle != exposeSource_) {
        if (exposeSource_)
            exposeSource_->removeEventFilter(this);
        exposeSource_ = handle;
        handle->installEventFilter(this);
    }
    QFrame::showEvent(event);
}

bool PictureBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == exposeSource_ && event->type() == QEvent::Expose)
        dropScreenOnlyDrawing();
    return QFrame::eventFilter(watched, event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked(event->globalPosition().toPoint());
    QFrame::mouseReleaseEvent(event);
}

} // namespace roteka
