#include "gui/dialog_units.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

namespace torvane::gui {

QFont TemplateFont(const DialogTemplate& dialog) {
    const int pixels = (dialog.fontPoints * 96 + 36) / 72;
    QFont font;
    if (!dialog.font.empty() && QFontDatabase::hasFamily(QString::fromStdString(dialog.font)))
        font.setFamily(QString::fromStdString(dialog.font));
    else
        font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
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
