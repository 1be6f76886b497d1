#include "ui/TabControl.h"

#include <QFrame>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QStackedWidget>
#include <QStylePainter>
#include <QTabBar>

namespace roteka {

namespace {

// The application's palette with every colour marked as set, so that none is inherited.
QPalette systemPalette() {
    QPalette palette = QGuiApplication::palette();
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            if (role == QPalette::NoRole)
                continue;
            const auto g = static_cast<QPalette::ColorGroup>(group);
            const auto r = static_cast<QPalette::ColorRole>(role);
            palette.setBrush(g, r, palette.brush(g, r));
        }
    }
    return palette;
}

} // namespace

TabControl::TabControl(QWidget* parent) : QWidget(parent) {
    setPalette(systemPalette());
    tabBar_ = new QTabBar(this);
    tabBar_->setExpanding(true);
    tabBar_->setDrawBase(false);
    stack_ = new QStackedWidget(this);
    stack_->setFrameStyle(QFrame::NoFrame);
    for (size_t i = 0; i < pages_.size(); ++i) {
        pages_[i] = new QWidget;
        stack_->addWidget(pages_[i]);
        tabBar_->addTab(QString());
    }
    connect(tabBar_, &QTabBar::currentChanged, stack_, &QStackedWidget::setCurrentIndex);
    connect(tabBar_, &QTabBar::currentChanged, this, qOverload<>(&QWidget::update));
}

void TabControl::setTabCaption(int index, const QString& caption) {
    tabBar_->setTabText(index, caption);
}

void TabControl::setCurrentIndex(int index) {
    tabBar_->setCurrentIndex(index);
}

int TabControl::currentIndex() const {
    return tabBar_->currentIndex();
}

void TabControl::place(QWidget* child, const QRect& inTabControl) {
    child->setGeometry(inTabControl.translated(0, -TabRowHeight));
}

QRect TabControl::pageRect() const {
    return {0, TabRowHeight, width(), height() - TabRowHeight};
}

QStyleOptionTabWidgetFrame TabControl::frameOption() const {
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = pageRect();
    frame.shape = QTabBar::RoundedNorth;
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    frame.tabBarSize = tabBar_->size();
    frame.tabBarRect = tabBar_->geometry();
    frame.selectedTabRect = tabBar_->tabRect(tabBar_->currentIndex());
    return frame;
}

void TabControl::resizeEvent(QResizeEvent* event) {
    tabBar_->setGeometry(0, 0, width(), TabRowHeight);
    stack_->setGeometry(pageRect());
    QWidget::resizeEvent(event);
}

// Qt's raster engine hands a fill of 96 spans or more to its thread pool in pieces. A
// translucent line of the frame is a span for each pixel along it, or for each row across it;
// drawn whole, the frame would start the pool's threads at the window's first paint and wake
// them on every repaint. Drawn in tiles of 47 × 47 pixels, no corner of the frame has as many
// spans, and the frame stays on this thread, with the same pixels.
void TabControl::paintEvent(QPaintEvent* event) {
    constexpr int Tile = 47;
    const QStyleOptionTabWidgetFrame frame = frameOption();
    QStylePainter painter(this);
    const QRect dirty = event->rect();
    for (int top = dirty.top(); top <= dirty.bottom(); top += Tile) {
        for (int left = dirty.left(); left <= dirty.right(); left += Tile) {
            painter.setClipRect(QRect(left, top, Tile, Tile) & dirty);
            painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
        }
    }
}

} // namespace roteka
