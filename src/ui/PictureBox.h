#pragma once

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QPointF>
#include <QPointer>
#include <QWindow>

#include <optional>

namespace roteka {

// Responsibilities: the map box. Shows a picture inside a two-pixel sunken border and lets
// the program draw on it in twips (15 to a pixel, measured from the inside of the border)
// with a pen whose colour and width persist between calls. Drawing made while persistent
// drawing is on becomes part of the persistent picture and survives any repaint; drawing
// made while it is off is shown until the next clear or until the window system shows the
// box anew (shown again or uncovered). Reports a left click with its position in screen pixels.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    static constexpr int BorderWidth = 2;
    static constexpr double TwipsPerPixel = 15.0;

    explicit PictureBox(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);

    void setAutoRedraw(bool on) { autoRedraw_ = on; }
    bool autoRedraw() const { return autoRedraw_; }
    void setDrawWidth(int pixels) { drawWidth_ = qMax(1, pixels); }
    int drawWidth() const { return drawWidth_; }
    void setForeColor(const QColor& color) { foreColor_ = color; }
    QColor foreColor() const { return foreColor_.value_or(defaultForeColor()); }
    QColor defaultForeColor() const;

    void cls();
    void line(QPointF fromTwips, QPointF toTwips);
    void circle(QPointF centreTwips, double radiusTwips);

    // What the box shows inside its border now, and what a repaint would show.
    const QImage& screenImage() const { return screenOnly_ ? screen_ : persistent_; }
    const QImage& persistentImage() const { return persistent_; }

signals:
    void clicked(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window system shows the box anew (shown again, or uncovered): screen-only
    // drawing is gone.
    void dropScreenOnlyDrawing();

    template <class Draw> void draw(Draw&& draw);
    QImage blankSurface() const;

    QImage base_;       // background and picture, no drawing
    QImage persistent_; // base_ plus the persistent drawing
    QImage screen_;     // persistent_ plus screen-only drawing, while screenOnly_
    bool screenOnly_ = false;
    bool autoRedraw_ = false;
    int drawWidth_ = 1;
    std::optional<QColor> foreColor_;
    QPointer<QWindow> exposeSource_;
};

} // namespace roteka
