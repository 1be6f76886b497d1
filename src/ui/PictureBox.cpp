#include "ui/PictureBox.h"

#include <QContextMenuEvent>
#include <QKeyEvent>

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstring>

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

QColor PictureBox::defaultPenColor() const {
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
    QPainter(&base_).drawImage(0, 0, picture);
    persistent_ = base_;
    drawnRuns_.clear();
    drawnBounds_ = QRect();
    paintedArea_ = QRect();
    stamps_.clear();
    screenOnly_ = false;
    update();
}

void PictureBox::restorePicture() {
    const QRect area = paintedArea_ & persistent_.rect();
    paintedArea_ = QRect();
    drawnBounds_ = QRect();
    std::vector<Run> runs;
    runs.swap(drawnRuns_);
    if (area.isEmpty() && runs.empty())
        return;
    if (persistent_.size() != base_.size() || persistent_.format() != base_.format()) {
        persistent_ = base_;
        return;
    }
    const int pixelBytes = persistent_.depth() / 8;
    uchar* to = persistent_.bits();
    const uchar* from = base_.constBits();
    const qsizetype toLine = persistent_.bytesPerLine();
    const qsizetype fromLine = base_.bytesPerLine();
    const auto copy = [&](int y, int x, int length) {
        std::memcpy(to + y * toLine + x * pixelBytes, from + y * fromLine + x * pixelBytes,
                    std::size_t(length * pixelBytes));
    };
    for (const Run *run = runs.data(), *end = run + runs.size(); run != end; ++run)
        copy(run->y, run->x, run->length);
    for (int y = area.top(); !area.isEmpty() && y <= area.bottom(); ++y)
        copy(y, area.left(), area.width());
    runs.clear();
    drawnRuns_.swap(runs);
}

void PictureBox::clearDrawing() {
    const QRect changed = paintedArea_ | drawnBounds_;
    restorePicture();
    if (screenOnly_)
        update();
    else if (!changed.isEmpty())
        repaintSurface(changed);
    screenOnly_ = false;
}

template <class Draw>
const PictureBox::Stamp& PictureBox::stampOf(const Shape& shape, Draw&& paint) {
    if (const auto found = stamps_.constFind(shape); found != stamps_.constEnd())
        return *found;
    constexpr qsizetype MostStamps = 2048;
    if (stamps_.size() >= MostStamps)
        stamps_.clear();
    if (scratch_.size() != persistent_.size()) {
        scratch_ = QImage(persistent_.size(), QImage::Format_RGB32);
        scratch_.fill(Qt::black);
    }
    QPainter painter(&scratch_);
    painter.setPen(QPen(Qt::white, shape.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    paint(painter);
    painter.end();

    Stamp stamp;
    const QRgb black = qRgb(0, 0, 0);
    const int width = scratch_.width();
    const int height = scratch_.height();
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(scratch_.scanLine(y));
        for (int x = 0; x < width; ++x) {
            if (row[x] == black)
                continue;
            const int first = x;
            while (x < width && row[x] != black)
                row[x++] = black;
            stamp.runs.push_back({y, first, x - first});
            stamp.bounds |= QRect(first, y, x - first, 1);
        }
    }
    return *stamps_.insert(shape, std::move(stamp));
}

template <class Draw>
void PictureBox::draw(const Shape& shape, const QRectF& bounds, Draw&& paint) {
    bool showsAnotherImage = false;
    QImage* target = &persistent_;
    if (persistentDrawing_) {
        showsAnotherImage = screenOnly_;
        screenOnly_ = false;
    } else {
        if (!screenOnly_) {
            screen_ = persistent_.copy();
            screenOnly_ = true;
        }
        target = &screen_;
    }

    const QColor colour = penColor();
    const QRgba64 exact = colour.rgba64();
    const bool stampable = colour == colour.toRgb() && colour.alpha() == 255 &&
                           exact.red() % 257 == 0 && exact.green() % 257 == 0 &&
                           exact.blue() % 257 == 0 && target->format() == QImage::Format_RGB32;
    QRect changed;
    if (stampable) {
        const Stamp& stamp = stampOf(shape, paint);
        const QRgb pixel = colour.rgb();
        uchar* bits = target->bits();
        const qsizetype line = target->bytesPerLine();
        for (const Run *run = stamp.runs.data(), *end = run + stamp.runs.size(); run != end; ++run)
            std::fill_n(reinterpret_cast<QRgb*>(bits + run->y * line) + run->x, run->length, pixel);
        changed = stamp.bounds;
        if (target == &persistent_ && !stamp.runs.empty()) {
            constexpr std::size_t MostRuns = 1 << 16;
            if (drawnRuns_.size() + stamp.runs.size() > MostRuns) {
                paintedArea_ |= changed;
            } else {
                const std::size_t drawn = drawnRuns_.size();
                drawnRuns_.resize(drawn + stamp.runs.size());
                std::memcpy(drawnRuns_.data() + drawn, stamp.runs.data(),
                            stamp.runs.size() * sizeof(Run));
                drawnBounds_ |= changed;
            }
        }
    } else {
        const int reach = penWidth_ + 2;
        changed = bounds.toAlignedRect().adjusted(-reach, -reach, reach, reach) & target->rect();
        QPainter painter(target);
        painter.setPen(QPen(colour, penWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        paint(painter);
        painter.end();
        if (target == &persistent_)
            paintedArea_ |= changed;
    }
    if (showsAnotherImage)
        update();
    else if (!changed.isEmpty())
        repaintSurface(changed);
}

void PictureBox::line(QPointF fromTwips, QPointF toTwips) {
    const QPoint from = toPixel(fromTwips);
    const QPoint to = toPixel(toTwips);
    Shape shape;
    shape.a = from.x();
    shape.b = from.y();
    shape.c = to.x();
    shape.d = to.y();
    shape.width = penWidth_;
    draw(shape, QRectF(from, to).normalized(),
         [&](QPainter& painter) { painter.drawLine(from, to); });
}

void PictureBox::circle(QPointF centreTwips, double radiusTwips) {
    const double radius = radiusTwips / TwipsPerPixel;
    const QPointF centre(centreTwips.x() / TwipsPerPixel, centreTwips.y() / TwipsPerPixel);
    Shape shape;
    shape.kind = 1;
    shape.a = centre.x();
    shape.b = centre.y();
    shape.c = radius;
    shape.width = penWidth_;
    draw(shape,
         QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius).normalized(),
         [&](QPainter& painter) { painter.drawEllipse(centre, radius, radius); });
}

void PictureBox::repaintSurface(const QRect& area) {
    update(area.translated(contentsRect().topLeft()));
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

// A right click, or the menu key or Shift+F10 while the box has the focus.
void PictureBox::contextMenuEvent(QContextMenuEvent* event) {
    const bool byKeyboard = event->reason() == QContextMenuEvent::Keyboard;
    emit menuRequested(byKeyboard ? mapToGlobal(rect().center()) : event->globalPos(), byKeyboard);
    event->accept();
}

// The keys are taken here, so that the window system makes no menu of its own for them.
void PictureBox::keyPressEvent(QKeyEvent* event) {
    const bool menuKey = event->key() == Qt::Key_Menu && event->modifiers() == Qt::NoModifier;
    const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (!menuKey && !shiftF10)
        return QFrame::keyPressEvent(event);
    event->accept();
    emit menuRequested(mapToGlobal(rect().center()), true);
}

} // namespace roteka
