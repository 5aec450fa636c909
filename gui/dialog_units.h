#pragma once
// Dialog units to pixels, as a dialog template's font gives them: a
// horizontal unit is a quarter of the font's average character width, a
// vertical unit an eighth of its height.

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>

#include "ui/dialog_template.h"

namespace torvane::gui {

// The face that stands in for the templates' own where that is missing
// (Debian's fonts-wqy-microhei, made with the same metrics).
inline const QString kTemplateFaceStandIn = QStringLiteral("WenQuanYi Micro Hei");

// The template's font at its size where it is installed, else its stand-in,
// else a sans-serif font of the same size. Sizes are taken at 96 dots per inch, so a 9-point
// template lays out the same on every screen and in screenshots.
QFont TemplateFont(const DialogTemplate& dialog);

class DialogUnits;

// The units of `dialog`'s template font (TemplateFont). Where the stand-in
// face replaces the template's own, the stand-in keeps the face's widths but
// not its height, so the vertical unit takes the template face's height at
// that size: the layout was drawn for it.
DialogUnits TemplateUnits(const DialogTemplate& dialog);

class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

    int X(int units) const { return Scale(units, baseX_, 4); }
    int Y(int units) const { return Scale(units, baseY_, 8); }
    QPoint ToPixels(Point p) const { return {X(p.x), Y(p.y)}; }
    QRect ToPixels(const Rect& r) const { return {X(r.x), Y(r.y), X(r.width), Y(r.height)}; }
    // The dialog-unit point a pixel falls in.
    Point ToUnits(QPoint p) const { return {p.x() * 4 / baseX_, p.y() * 8 / baseY_}; }

    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }

  private:
    // Rounds to the nearest pixel, as the platform's conversion does.
    static int Scale(int units, int base, int divisor) {
        return (units * base + divisor / 2) / divisor;
    }
    int baseX_;
    int baseY_;
};

}  // namespace torvane::gui
