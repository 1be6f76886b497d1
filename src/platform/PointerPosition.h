#pragma once

#include <QPoint>
#include <QRect>

#include <optional>

class QWidget;

namespace roteka {

// Responsibilities: where the mouse pointer is and where a widget lies, both in screen
// pixels, so that a click can be measured from a widget's outer corner.
class PointerPosition {
public:
    virtual ~PointerPosition() = default;
    // Told by the map widget where the click now being handled happened (screen pixels).
    virtual void setClickPosition(std::optional<QPoint> globalPos) = 0;
    virtual QPoint cursorPos() = 0;
    // The widget's outer rectangle (its border included); none when it cannot be had.
    virtual std::optional<QRect> windowRect(const QWidget& widget) = 0;
};

// Works on X11 and Wayland alike: the position of the click being handled (set by the
// widget that received it) is preferred to the global cursor, which Wayland does not give.
class QtPointerPosition : public PointerPosition {
public:
    void setClickPosition(std::optional<QPoint> globalPos) override { click_ = globalPos; }
    QPoint cursorPos() override;
    std::optional<QRect> windowRect(const QWidget& widget) override;

private:
    std::optional<QPoint> click_;
};

} // namespace roteka
