#include "ui/TabControl.h"

#include <QFrame>
#include <QGuiApplication>
#include <QStackedWidget>
#include <QStyleOptionTabWidgetFrame>
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

void TabControl::resizeEvent(QResizeEvent* event) {
    tabBar_->setGeometry(0, 0, width(), TabRowHeight);
    stack_->setGeometry(pageRect());
    QWidget::resizeEvent(event);
}

void TabControl::paintEvent(QPaintEvent*) {
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = pageRect();
    frame.shape = QTabBar::RoundedNorth;
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    frame.tabBarSize = tabBar_->size();
    frame.tabBarRect = tabBar_->geometry();
    frame.selectedTabRect = tabBar_->tabRect(tabBar_->currentIndex());
    QStylePainter(this).drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}

} // namespace roteka
