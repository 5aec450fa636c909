#include "gui/button_st.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include "gui/pictures.h"
#include "gui/skin.h"

namespace torvane::gui {
namespace {

// The pixels of a line from `from` up to but not including `to`; the lines
// of a button's edge are horizontal or vertical.
void LineTo(QPainter& g, QPoint from, QPoint to, const QColor& colour) {
    QRect pixels;
    if (from.y() == to.y()) {
        if (from.x() == to.x()) return;
        const int first = from.x() < to.x() ? from.x() : to.x() + 1;
        const int last = from.x() < to.x() ? to.x() - 1 : from.x();
        pixels = QRect(QPoint(first, from.y()), QPoint(last, from.y()));
    } else {
        const int first = from.y() < to.y() ? from.y() : to.y() + 1;
        const int last = from.y() < to.y() ? to.y() - 1 : from.y();
        pixels = QRect(QPoint(from.x(), first), QPoint(from.x(), last));
    }
    g.fillRect(pixels, colour);
}

// A one-pixel frame along the inside of `r`.
void FrameRect(QPainter& g, const QRect& r, const QColor& colour) {
    g.fillRect(r.left(), r.top(), r.width(), 1, colour);
    g.fillRect(r.left(), r.bottom(), r.width(), 1, colour);
    g.fillRect(r.left(), r.top(), 1, r.height(), colour);
    g.fillRect(r.right(), r.top(), 1, r.height(), colour);
}

// A frame whose top and left edges are `topLeft` and bottom and right edges
// `bottomRight`.
void Frame3d(QPainter& g, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    g.fillRect(r.left(), r.top(), r.width() - 1, 1, topLeft);
    g.fillRect(r.left(), r.top(), 1, r.height() - 1, topLeft);
    g.fillRect(r.right(), r.top(), 1, r.height(), bottomRight);
    g.fillRect(r.left(), r.bottom(), r.width(), 1, bottomRight);
}

// A dotted rectangle along the inside of `r`, every other pixel from its
// top-left corner.
void DrawFocusRect(QPainter& g, const QRect& r) {
    g.setPen(Qt::black);
    for (int x = r.left(); x <= r.right(); x += 2) {
        g.drawPoint(x, r.top());
        g.drawPoint(x, r.bottom());
    }
    for (int y = r.top(); y <= r.bottom(); y += 2) {
        g.drawPoint(r.left(), y);
        g.drawPoint(r.right(), y);
    }
}

// Non-black pixels become the gray of their luminance; black stays, and so
// does every pixel's transparency.
QPixmap GrayCopy(const QPixmap& icon) {
    QImage image = icon.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if ((p & 0x00FFFFFF) == 0) continue;
            const int gray =
                static_cast<int>(0.299 * qRed(p) + 0.587 * qGreen(p) + 0.114 * qBlue(p));
            image.setPixel(x, y, qRgba(gray, gray, gray, qAlpha(p)));
        }
    return QPixmap::fromImage(image);
}

}  // namespace

CButtonST::CButtonST(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    AssignDefaultColors(false);
    // Before any other receiver of the click: the owner sees the click after
    // the button has taken the focus and toggled its check.
    connect(this, &QAbstractButton::clicked, this, [this] { OnOwnClick(); });
}

int CButtonST::AssignIcons(int activeId, int idleId) {
    icons_ = {};
    // A missing picture leaves its icon empty.
    icons_[0].image = Picture(activeId);
    if (idleId == kGrayIdleIcon)
        icons_[1].image = icons_[0].held() ? GrayCopy(icons_[0].image) : QPixmap();
    else if (idleId != 0)
        icons_[1].image = Picture(idleId);
    update();
    return kDone;
}

int CButtonST::AssignColor(int index, const QColor& colour, bool repaint) {
    const auto slot = static_cast<std::uint8_t>(index);
    if (slot > kFocusText) return kInvalidIndex;
    colours_[slot] = colour;
    Repaint(repaint);
    return kDone;
}

void CButtonST::AssignDefaultColors(bool repaint) {
    const QColor face = palette().color(QPalette::Button);
    const QColor text = palette().color(QPalette::ButtonText);
    colours_ = {face, text, face, text, face, text};
    Repaint(repaint);
}

int CButtonST::UseFlatStyle(bool flat, bool repaint) {
    flat_ = flat;
    Repaint(repaint);
    return kDone;
}

int CButtonST::UseBorder(bool draw, bool repaint) {
    drawBorder_ = draw;
    Repaint(repaint);
    return kDone;
}

void CButtonST::AssignTooltip(const QString& text, bool activate) {
    if (text.isEmpty()) return;
    setToolTip(text);
    tooltipActive_ = activate;
}

void CButtonST::SetCheckBoxMode(bool on) {
    checkBoxMode_ = on;
    update();
}

void CButtonST::SetCheck(int value) {
    if (!checkBoxMode_) return;
    checkState_ = (value == 1 || value == 2) ? 1 : 0;
    update();
}

bool CButtonST::Pressed() const { return isDown() || (checkBoxMode_ && checkState_ != 0); }

const QPixmap* CButtonST::ShownIcon() const {
    if (!icons_[0].held()) return nullptr;
    const bool pressed = Pressed();
    const bool active = checkBoxMode_ ? pressed : (pressed || hovering_);
    if (active || !icons_[1].held()) return &icons_[0].image;
    return &icons_[1].image;
}

QPoint CButtonST::IconPosition() const {
    const QPixmap* icon = ShownIcon();
    if (!icon) return {};
    // On the whole item rectangle; the division truncates toward zero, so an
    // icon larger than the button is cut evenly.
    const QSize size = icon->deviceIndependentSize().toSize();
    QPoint at(rect().left() + (width() - size.width()) / 2,
              rect().top() + (height() - size.height()) / 2);
    if (isDown() && !checkBoxMode_) at += QPoint(1, 1);
    return at;
}

void CButtonST::PaintBackground(QPainter& g, const QRect& r) {
    const bool pressed = Pressed();
    QColor face = colours_[kIdleBackground];
    if (hovering_ || pressed)
        face = colours_[kActiveBackground];
    else if (hasFocus())
        face = colours_[kFocusBackground];
    g.fillRect(r, face);
}

void CButtonST::PaintBorder(QPainter& g, const QRect& r) {
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor highlight = palette().color(QPalette::Light);
    if (Pressed())
        Frame3d(g, r, shadow, highlight);
    else
        Frame3d(g, r, highlight, shadow);
}

void CButtonST::paintEvent(QPaintEvent*) {
    QPainter g(this);
    // A raised button with the focus is framed in black, and its face drawn
    // inside the frame.
    const bool framed = !flat_ && hasFocus();
    QRect r = rect();
    if (framed) {
        FrameRect(g, r, Qt::black);
        r.adjust(1, 1, -1, -1);
    }
    PaintBackground(g, r);
    PaintEdge(g, r);
    PaintCaption(g, PaintIcon(g));
    if (framed) DrawFocusRect(g, rect().adjusted(3, 3, -3, -3));
}

void CButtonST::PaintEdge(QPainter& g, const QRect& r) {
    if (Pressed()) {
        if (!flat_)
            FrameRect(g, r, palette().color(QPalette::Dark));
        else if (drawBorder_)
            PaintBorder(g, r);
    } else if (!flat_) {
        PaintRaisedEdge(g, r);
    } else if (hovering_ && drawBorder_) {
        PaintBorder(g, r);
    }
}

void CButtonST::PaintRaisedEdge(QPainter& g, const QRect& r) {
    // Windows-style edge: each line runs up to, not including, its end.
    const QPalette& p = palette();
    const int l = r.left(), t = r.top(), rt = r.left() + r.width(), b = r.top() + r.height();
    const QColor highlight = p.color(QPalette::Light);
    const QColor light = p.color(QPalette::Midlight);
    const QColor darkShadow = p.color(QPalette::Shadow);
    const QColor shadow = p.color(QPalette::Dark);
    LineTo(g, {l, b - 1}, {l, t}, highlight);
    LineTo(g, {l, t}, {rt, t}, highlight);
    LineTo(g, {l + 1, b - 1}, {l + 1, t + 1}, light);
    LineTo(g, {l + 1, t + 1}, {rt, t + 1}, light);
    LineTo(g, {l, b - 1}, {rt - 1, b - 1}, darkShadow);
    LineTo(g, {rt - 1, b - 1}, {rt - 1, t - 1}, darkShadow);
    LineTo(g, {l + 1, b - 2}, {rt - 2, b - 2}, shadow);
    LineTo(g, {rt - 2, b - 2}, {rt - 2, t}, shadow);
}

QRect CButtonST::PaintIcon(QPainter& g) {
    QRect caption = rect();
    const QPixmap* icon = ShownIcon();
    if (!icon) return caption;
    QPixmap shown = *icon;
    if (!isEnabled()) {
        QStyleOption option;
        option.initFrom(this);
        shown = style()->generatedIconPixmap(QIcon::Disabled, shown, &option);
    }
    QPoint at = IconPosition();
    if (!text().isEmpty()) {
        // With a caption the image moves to its left.
        const int shift = (isDown() && !checkBoxMode_) ? 1 : 0;
        at.setX(3 + shift);
        caption.setLeft(3 + icon->deviceIndependentSize().toSize().width() + 3);
    }
    g.drawPixmap(at, shown);
    return caption;
}

void CButtonST::PaintCaption(QPainter& g, QRect caption) {
    if (text().isEmpty()) return;
    if (isDown() && !checkBoxMode_) caption.translate(1, 1);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    const QPalette& p = palette();
    g.setFont(font());
    if (!isEnabled()) {
        g.setPen(p.color(QPalette::Light));
        g.drawText(caption.translated(1, 1), flags, text());
        g.setPen(p.color(QPalette::Dark));
    } else {
        g.setPen(colours_[(hovering_ || Pressed()) ? kActiveText : kIdleText]);
    }
    g.drawText(caption, flags, text());
}

void CButtonST::mouseMoveEvent(QMouseEvent* event) {
    QAbstractButton::mouseMoveEvent(event);
    if ((event->buttons() & Qt::LeftButton) && !hovering_) return;
    // Raised buttons have no hover state.
    if (!flat_) return;
    const QPoint at = event->position().toPoint();
    QWidget* top = window();
    const QWidget* under =
        top == this ? (rect().contains(at) ? this : nullptr) : top->childAt(mapTo(top, at));
    if (under == this) {
        if (!hovering_) {
            hovering_ = true;
            update();
        }
    } else {
        CancelHover();
    }
}

void CButtonST::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click is a second press, so it makes a second click.
    mousePressEvent(event);
}

void CButtonST::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    CancelHover();
}

void CButtonST::focusOutEvent(QFocusEvent* event) {
    QAbstractButton::focusOutEvent(event);
    CancelHover();
}

void CButtonST::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) CancelHover();
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        if (hasFocus()) focusNextChild();
        CancelHover();
    }
}

bool CButtonST::event(QEvent* event) {
    // A tooltip assigned but not activated stays silent.
    if (event->type() == QEvent::ToolTip && !tooltipActive_) {
        event->ignore();
        return true;
    }
    return QAbstractButton::event(event);
}

void CButtonST::CancelHover() {
    if (flat_ && hovering_) {
        hovering_ = false;
        update();
    }
}

void CButtonST::OnOwnClick() {
    setFocus(Qt::MouseFocusReason);
    if (checkBoxMode_) {
        checkState_ = checkState_ ? 0 : 1;
        update();
    }
}

CButtonST* MakeTitleButton(int activeIcon, int idleIcon, const QString& tooltip) {
    auto* button = new CButtonST;
    button->UseBorder(false, true);
    button->AssignIcons(activeIcon, idleIcon);
    button->AssignTooltip(tooltip, true);
    for (int index :
         {CButtonST::kIdleBackground, CButtonST::kFocusBackground, CButtonST::kActiveBackground})
        button->AssignColor(index, kHeaderBlue, true);
    return button;
}

CButtonST* MakeIconButton(int icon) {
    auto* button = new CButtonST;
    button->UseFlatStyle(false, true);
    button->AssignIcons(icon, 0);
    return button;
}

}  // namespace torvane::gui
