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

// The area cut into tiles of at most width × height, row by row.
QList<QRect> tiles(const QRect& area, int width, int height) {
    QList<QRect> pieces;
    for (int top = area.top(); top <= area.bottom(); top += height) {
        for (int left = area.left(); left <= area.right(); left += width)
            pieces.append(QRect(left, top, width, height) & area);
    }
    return pieces;
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
// them on every repaint. The frame's lines lie along the edges of its area, so the bands along
// the edges are drawn in short pieces and the inside, where no line runs, in one.
QList<QRect> TabControl::framePieces(const QRect& area) {
    constexpr int Edge = FrameEdge;
    constexpr int Run = FramePieceRun;
    // An area too thin to have an inside has lines along both sides of every piece.
    if (area.width() <= 2 * Edge || area.height() <= 2 * Edge)
        return tiles(area, Run / 2, Run / 2);
    const int inner = area.height() - 2 * Edge;
    QList<QRect> pieces = tiles(QRect(area.left(), area.top(), area.width(), Edge), Run, Edge);
    pieces += tiles(QRect(area.left(), area.top() + Edge, Edge, inner), Edge, Run);
    pieces += area.adjusted(Edge, Edge, -Edge, -Edge);
    pieces += tiles(QRect(area.right() - Edge + 1, area.top() + Edge, Edge, inner), Edge, Run);
    pieces += tiles(QRect(area.left(), area.bottom() - Edge + 1, area.width(), Edge), Run, Edge);
    return pieces;
}

void TabControl::paintEvent(QPaintEvent* event) {
    const QStyleOptionTabWidgetFrame frame = frameOption();
    QStylePainter painter(this);
    for (const QRect& piece : framePieces(frame.rect)) {
        const QRect clip = piece & event->rect();
        if (clip.isEmpty())
            continue;
        painter.setClipRect(clip);
        painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
    }
}

} // namespace roteka
