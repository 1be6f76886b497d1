#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace roteka {

// Responsibilities: holds back a window's repaints (its update requests) that come within a
// display frame of the last one, and asks for one repaint when that frame ends. A controller
// that reports many times a frame then costs one repaint a frame, not one a report.
class FramePacer : public QObject {
public:
    explicit FramePacer(QObject* parent);

    void pace(QWidget* window);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    QElapsedTimer sinceRepaint_;
    QTimer timer_;
};

} // namespace roteka
