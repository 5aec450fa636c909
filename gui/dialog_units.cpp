#include "gui/dialog_units.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>
#include <algorithm>

namespace torvane::gui {

QFont TemplateFont(const DialogTemplate& dialog) {
    const int pixels = (dialog.fontPoints * 96 + 36) / 72;
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    QStringList families;
    if (!dialog.font.empty()) families << QString::fromStdString(dialog.font);
    // Where the template's face is not installed, its metric-compatible free
    // stand-in keeps every caption inside the box the template gave it.
    if (!dialog.font.empty() || families.isEmpty()) families << kTemplateFaceStandIn;
    QStringList installed;
    for (const QString& family : families)
        if (QFontDatabase::hasFamily(family)) installed << family;
    if (!installed.isEmpty()) font.setFamilies(installed);
    font.setPixelSize(pixels);
    return font;
}

namespace {

// The template face's ascent and descent together, per em: 2703 of its 2048
// font units (16 px at 9 points, where the stand-in has 14 px).
constexpr double kTemplateFaceHeightPerEm = 2703.0 / 2048.0;

}  // namespace

DialogUnits TemplateUnits(const DialogTemplate& dialog) {
    const QFont font = TemplateFont(dialog);
    const DialogUnits own(font);
    const QString face = QString::fromStdString(dialog.font);
    if (face.isEmpty() || QFontInfo(font).family() == face ||
        QFontInfo(font).family() != kTemplateFaceStandIn)
        return own;
    const int height = static_cast<int>(font.pixelSize() * kTemplateFaceHeightPerEm + 0.5);
    return DialogUnits(own.BaseX(), std::max(own.BaseY(), height));
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    static const QString kAlphabet =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseX_ = (metrics.horizontalAdvance(kAlphabet) / 26 + 1) / 2;
    baseY_ = metrics.height();
    if (baseX_ <= 0) baseX_ = 1;
    if (baseY_ <= 0) baseY_ = 1;
}

}  // namespace torvane::gui
