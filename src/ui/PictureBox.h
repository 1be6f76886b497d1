#pragma once

#include <QColor>
#include <QFrame>
#include <QHash>
#include <QImage>
#include <QPointF>
#include <QPointer>
#include <QWindow>

#include <optional>
#include <vector>

namespace roteka {

// Responsibilities: the map box. Shows a picture inside a two-pixel sunken border and lets
// the program draw on it in twips (15 to a pixel, measured from the inside of the border)
// with a pen whose colour and width persist between calls. Drawing made while persistent
// drawing is on becomes part of the persistent picture and survives any repaint; drawing
// made while it is off is shown until the next clear or until the window system shows the
// box anew (shown again or uncovered). Reports a left click with its position in screen pixels,
// and a request for its menu.
// Shapes drawn again and again (the pointers) are kept as the pixels they cover, and a clear
// puts back only the pixels drawing has touched. The box is what changes many times a second
// while the antenna turns, so it also keeps its window to one repaint a display frame:
// repaints asked for within a frame of the last one are made together when the frame ends.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    static constexpr int BorderWidth = 2;
    static constexpr double TwipsPerPixel = 15.0;

    explicit PictureBox(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);

    void setPersistentDrawing(bool on) { persistentDrawing_ = on; }
    void setPenWidth(int pixels) { penWidth_ = qMax(1, pixels); }
    void setPenColor(const QColor& color) { penColor_ = color; }
    QColor penColor() const { return penColor_.value_or(defaultPenColor()); }
    QColor defaultPenColor() const;

    void clearDrawing();
    void line(QPointF fromTwips, QPointF toTwips);
    void circle(QPointF centreTwips, double radiusTwips);

    // What the box shows inside its border now, and what a repaint would show.
    const QImage& screenImage() const { return screenOnly_ ? screen_ : persistent_; }
    const QImage& persistentImage() const { return persistent_; }

signals:
    void clicked(QPoint globalPos);
    // The operator asks for the box's menu: a right click there (its place in screen pixels), or
    // the menu key or Shift+F10 while the box has the focus (the box's centre).
    void menuRequested(QPoint globalPos, bool byKeyboard);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window system shows the box anew (shown again, or uncovered): screen-only
    // drawing is gone.
    void dropScreenOnlyDrawing();

    // A shape as drawn: what, where (in pixels of the surface) and the pen's width.
    struct Shape {
        int kind = 0; // 0 line (a, b) to (c, d); 1 circle centre (a, b), radius c
        double a = 0, b = 0, c = 0, d = 0;
        int width = 1;
        friend bool operator==(const Shape&, const Shape&) = default;
        friend size_t qHash(const Shape& s, size_t seed = 0) {
            return qHashMulti(seed, s.kind, s.a, s.b, s.c, s.d, s.width);
        }
    };
    // The pixels a shape covers on the surface, as runs along rows. Without antialiasing a
    // solid opaque pen sets exactly these pixels to its colour, whatever lies beneath.
    struct Run {
        int y = 0;
        int x = 0;
        int length = 0;
    };
    struct Stamp {
        std::vector<Run> runs;
        QRect bounds;
    };

    // Draws on the surface the persistent-drawing switch chooses; bounds (in pixels of the
    // surface) hold the drawing's geometry, before the pen's width is added.
    template <class Draw> void draw(const Shape& shape, const QRectF& bounds, Draw&& paint);
    template <class Draw> const Stamp& stampOf(const Shape& shape, Draw&& paint);
    QImage blankSurface() const;
    // Puts the picture back into the persistent image wherever drawing has touched it.
    void restorePicture();
    // Repaints the area, given in pixels of the surface.
    void repaintSurface(const QRect& area);

    QImage base_;       // background and picture, no drawing
    QImage persistent_; // base_ plus the persistent drawing
    QImage screen_;     // persistent_ plus screen-only drawing, while screenOnly_
    bool screenOnly_ = false;
    bool persistentDrawing_ = false;
    int penWidth_ = 1;
    std::optional<QColor> penColor_;
    QPointer<QWindow> exposeSource_;

    std::vector<Run> drawnRuns_; // where stamped drawing changed persistent_ since the last clear
    QRect drawnBounds_;          // around drawnRuns_
    QRect paintedArea_;          // where other drawing may have changed it
    QHash<Shape, Stamp> stamps_;
    QImage scratch_; // all black between uses; stamps are made on it
};

} // namespace roteka
