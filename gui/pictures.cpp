#include "gui/pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <map>

#include "res/resource_ids.h"

namespace torvane::gui {
namespace {

// Ids of the minimize button's icons (active, idle).
constexpr int kMinimizeIdleIcon = 130;
constexpr int kMinimizeActiveIcon = 131;

QPixmap Canvas(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A white letter i on a light blue disc.
QPixmap Information() {
    QPixmap p = Canvas(36);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(90, 170, 235));
    g.drawEllipse(QRectF(1, 1, 34, 34));
    g.setBrush(Qt::white);
    g.drawEllipse(QRectF(15.5, 7, 5, 5));
    g.drawRoundedRect(QRectF(15.5, 14, 5, 15), 1.5, 1.5);
    return p;
}

// A white check mark on a green disc.
QPixmap CheckMark() {
    QPixmap p = Canvas(31);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(40, 170, 70));
    g.drawEllipse(QRectF(0.5, 0.5, 30, 30));
    QPen pen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    g.setPen(pen);
    QPainterPath tick;
    tick.moveTo(8, 16);
    tick.lineTo(13.5, 21.5);
    tick.lineTo(23, 10);
    g.drawPath(tick);
    return p;
}

// A cross, on a dark red square when active.
QPixmap CloseIcon(bool active) {
    QPixmap p = Canvas(16);
    QPainter g(&p);
    if (active) g.fillRect(0, 0, 16, 16, QColor(170, 30, 30));
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(active ? QColor(220, 220, 220) : Qt::white, 1.8));
    g.drawLine(QPointF(4, 4), QPointF(12, 12));
    g.drawLine(QPointF(12, 4), QPointF(4, 12));
    return p;
}

// A bar near the bottom, on a lighter square when active.
QPixmap MinimizeIcon(bool active) {
    QPixmap p = Canvas(16);
    QPainter g(&p);
    if (active) g.fillRect(0, 0, 16, 16, QColor(70, 170, 240));
    g.fillRect(3, 10, 10, 2, Qt::white);
    return p;
}

// The program's icon: an 8 by 8 grid of crossing signal lines in a blue tile.
QPixmap ProgramIcon() {
    QPixmap p = Canvas(32);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(30, 144, 225));
    g.drawRoundedRect(QRectF(1, 1, 30, 30), 5, 5);
    g.setPen(QPen(QColor(255, 255, 255, 170), 1));
    for (int k = 0; k < 4; ++k) {
        g.drawLine(QPointF(7 + 6 * k, 6), QPointF(7 + 6 * k, 26));
        g.drawLine(QPointF(6, 7 + 6 * k), QPointF(26, 7 + 6 * k));
    }
    g.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
    g.drawLine(QPointF(7, 7), QPointF(25, 25));
    g.setBrush(Qt::white);
    g.drawEllipse(QPointF(7, 7), 2.5, 2.5);
    g.drawEllipse(QPointF(25, 25), 2.5, 2.5);
    return p;
}

QPixmap Draw(int id) {
    switch (id) {
        case res::kInfoBitmap:
            return Information();
        case res::kCheckMarkBitmap:
            return CheckMark();
        case res::kCloseIdleIcon:
            return CloseIcon(false);
        case res::kCloseActiveIcon:
            return CloseIcon(true);
        case kMinimizeIdleIcon:
            return MinimizeIcon(false);
        case kMinimizeActiveIcon:
            return MinimizeIcon(true);
        case res::kMainIcon:
            return ProgramIcon();
        default:
            return {};
    }
}

}  // namespace

const QPixmap& Picture(int resourceId) {
    static std::map<int, QPixmap> drawn;
    auto it = drawn.find(resourceId);
    if (it == drawn.end()) it = drawn.emplace(resourceId, Draw(resourceId)).first;
    return it->second;
}

}  // namespace torvane::gui
