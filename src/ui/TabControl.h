#pragma once

#include <QRect>
#include <QWidget>

#include <array>

class QTabBar;
class QStackedWidget;

namespace roteka {

// Responsibilities: a tab control with a single row of tabs and fixed-size pages whose
// children are placed in the tab control's own coordinates (its top-left corner, tab row
// included), so that a page's layout does not depend on the style's tab height. Only the
// current page is shown. It keeps the system's colours whatever its parent's colours are,
// and draws a frame around the page area.
class TabControl : public QWidget {
    Q_OBJECT
public:
    static constexpr int TabRowHeight = 20;
    static constexpr int PageCount = 2;

    explicit TabControl(QWidget* parent = nullptr);

    void setTabCaption(int index, const QString& caption);
    QWidget* page(int index) const { return pages_.at(static_cast<size_t>(index)); }
    void setCurrentIndex(int index);
    int currentIndex() const;
    QTabBar* tabBar() const { return tabBar_; }

    // Places a child of a page at a rectangle given in the tab control's coordinates.
    static void place(QWidget* child, const QRect& inTabControl);

    // The page area, in the tab control's coordinates.
    QRect pageRect() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QTabBar* tabBar_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    std::array<QWidget*, PageCount> pages_{};
};

} // namespace roteka
