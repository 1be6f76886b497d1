#include "ui/TabControl.h"

#include <QFrame>
#include <QStackedWidget>
#include <QTabBar>

namespace roteka {

TabControl::TabControl(QWidget* parent) : QWidget(parent) {
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

void TabControl::resizeEvent(QResizeEvent* event) {
    tabBar_->setGeometry(0, 0, width(), TabRowHeight);
    stack_->setGeometry(0, TabRowHeight, width(), height() - TabRowHeight);
    QWidget::resizeEvent(event);
}

} // namespace roteka
