#include "gui/title_button.h"

#include <QPainter>

#include "gui/pictures.h"
#include "gui/skin.h"

namespace torvane::gui {

TitleButton::TitleButton(int activeIcon, int idleIcon, QWidget* parent)
    : QAbstractButton(parent), activeIcon_(activeIcon), idleIcon_(idleIcon) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void TitleButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kHeaderBlue);
    const QPixmap& icon = Picture(hovering_ || isDown() ? activeIcon_ : idleIcon_);
    painter.drawPixmap((width() - icon.width()) / 2, (height() - icon.height()) / 2, icon);
}

void TitleButton::enterEvent(QEnterEvent* event) {
    hovering_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TitleButton::leaveEvent(QEvent* event) {
    hovering_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace torvane::gui
