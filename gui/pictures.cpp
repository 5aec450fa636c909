#include "gui/pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <map>

#include "res/resource_ids.h"

namespace torvane::gui {
namespace {

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

// A white cross with strokes two pixels wide over 9 by 8 pixels; active, in
// light gray on a dark red square of 15 by 14.
QPixmap CloseIcon(bool active) {
    QPixmap p = Canvas(16);
    QPainter g(&p);
    if (active) g.fillRect(0, 1, 15, 14, QColor(128, 0, 0));
    const QColor ink = active ? QColor(192, 192, 192) : QColor(Qt::white);
    // Two diagonals of 8 rows each, two pixels wide, in the 9 by 8 box at
    // (3, 4).
    for (int row = 0; row < 8; ++row) {
        g.fillRect(3 + row, 4 + row, 2, 1, ink);
        g.fillRect(10 - row, 4 + row, 2, 1, ink);
    }
    return p;
}

// A bar of 9 by 2 pixels in rows 10 and 11: white when idle, navy when
// active.
QPixmap MinimizeIcon(bool active) {
    QPixmap p = Canvas(16);
    QPainter g(&p);
    g.fillRect(3, 10, 9, 2, active ? QColor(0, 0, 128) : QColor(Qt::white));
    return p;
}

// A black triangle of 7 by 14 pixels in the middle of a 32 by 32 icon.
QPixmap StepTriangle(bool pointsRight) {
    QPixmap p = Canvas(32);
    QPainter g(&p);
    // Row by row, so the edges are crisp at any scale of the platform.
    for (int row = 0; row < 14; ++row) {
        const int half = row < 7 ? row : 13 - row;  // 0..6..0
        const int length = half + 1;
        const int x = pointsRight ? 13 : 19 - length;
        g.fillRect(x, 9 + row, length, 1, Qt::black);
    }
    return p;
}

// The square of an input picture: black inside a dark grey frame. Without a
// digit it says that the output's input is not known yet.
QPixmap InputSquare() {
    QPixmap p(80, 80);
    p.fill(Qt::black);
    QPainter g(&p);
    g.setPen(QColor(16, 16, 16));
    g.drawRect(0, 0, 79, 79);
    return p;
}

// A digit of an input picture: green on the square.
QPixmap Digit(int digit) {
    QPixmap p = InputSquare();
    QPainter g(&p);
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(60);
    font.setBold(true);
    g.setFont(font);
    g.setPen(QColor(0, 156, 32));
    g.drawText(QRect(0, 0, 80, 80), Qt::AlignCenter, QString::number(digit));
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
        case res::kNextInputIcon:
            return StepTriangle(true);
        case res::kPreviousInputIcon:
            return StepTriangle(false);
        case res::kUnknownInputBitmap:
            return InputSquare();
        default:
            for (int k = 0; k < 8; ++k)
                if (id == res::kDigitBitmaps[k]) return Digit(k + 1);
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
