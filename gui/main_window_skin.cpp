#include "gui/main_window_skin.h"

#include <QLabel>
#include <QPainter>

#include "app/page_labels.h"
#include "gui/button_st.h"
#include "gui/pictures.h"
#include "gui/window_view.h"
#include "res/resource_ids.h"

namespace torvane::gui {
namespace {

constexpr int kBandBottom = 56;  // the band covers rows 1 to 55

QColor WithAlpha(QColor colour, int alpha) {
    colour.setAlpha(alpha);
    return colour;
}

QColor Body(const QWidget& widget) { return widget.palette().color(QPalette::Button); }

}  // namespace

MainWindowSkin::MainWindowSkin(CTorvaneDlg& dlg) : dlg_(dlg) {}

QFont MainWindowSkin::HeaderFont() {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(16);
    font.setBold(true);
    return font;
}

QWidget* MainWindowSkin::MakeControl(WindowView&, const Control& control) {
    if (control.id == res::kCloseButton)
        return MakeTitleButton(res::kCloseActiveIcon, res::kCloseIdleIcon, QStringLiteral("Close"));
    if (control.id == res::kMinimizeButton)
        return MakeTitleButton(kMinimizeActiveIcon, kMinimizeIdleIcon, QStringLiteral("Minimize"));
    if (control.id == res::kGeneralLabel || control.id == res::kEdidLabel ||
        control.id == res::kMatrixLabel || control.id == res::kUpgradeLabel) {
        auto* label = new QLabel;
        label->setFont(HeaderFont());
        label->setAlignment(Qt::AlignCenter);
        label->setAutoFillBackground(true);
        return label;
    }
    return nullptr;
}

bool MainWindowSkin::Places(int id) const {
    if (id == res::kCloseButton || id == res::kMinimizeButton) return true;
    for (const auto& label : kPageLabels)
        if (label.id == id) return true;
    return false;
}

QSize MainWindowSkin::LabelSize(WindowView& view) const {
    return view.TableRect(res::kGeneralLabel).size();
}

void MainWindowSkin::Place(WindowView& view) {
    const int W = view.width();
    if (QWidget* close = view.ControlWidget(res::kCloseButton))
        close->setGeometry(W - 26, 1, 25, 25);
    if (QWidget* minimize = view.ControlWidget(res::kMinimizeButton))
        minimize->setGeometry(W - 51, 1, 25, 25);
    const QSize label = LabelSize(view);
    for (int i = 0; i < 4; ++i)
        if (QWidget* w = view.ControlWidget(kPageLabels[i].id))
            w->setGeometry(1 + i * (label.width() + 1), kBandBottom - label.height(), label.width(),
                           label.height());
}

bool MainWindowSkin::Paint(WindowView& view, QPainter& g) {
    const int W = view.width();
    const int H = view.height();
    const QSize label = LabelSize(view);
    const int w = label.width();
    const int h = label.height();

    g.fillRect(0, 0, W, H, Body(view));
    g.setPen(WithAlpha(kFrameGray, 50));
    g.drawRect(0, 0, W - 1, H - 1);
    if (dlg_.ActivePage() == PageCode::kGeneral) {
        // The device frame follows the "Device Information" box as the
        // template font converts it, so it neither misses the box nor runs
        // through the captions below it.
        const QRect device = view.TableRect(res::kDeviceInfoGroup);
        if (!device.isEmpty()) {
            g.setPen(WithAlpha(kSeparatorBlue, 50));
            g.drawRect(device.adjusted(0, 0, -1, -1));
        }
    }
    g.fillRect(1, 1, W - 2, 55, kHeaderBlue);
    g.setPen(kHeaderEdgeBlue);
    g.drawLine(0, 0, W - 2, 0);
    g.drawLine(0, 0, 0, 55);
    g.drawLine(W - 1, 0, W - 1, 55);
    g.setPen(kSeparatorBlue);
    for (int k = 1; k <= 3; ++k) g.drawLine(k * (w + 1), 62 - h, k * (w + 1), 76 - h);

    // The title's trailing spaces count in its centring, so the words sit
    // left of the rectangle's centre.
    const QString title = QString::fromStdString(dlg_.TitleText());
    g.setFont(HeaderFont());
    g.setPen(Qt::white);
    const QRect box(QPoint(1, 1), QPoint(289, 29));
    const int advance = g.fontMetrics().horizontalAdvance(title);
    g.drawText(QRect(box.center().x() - advance / 2, box.top(), advance + 1, box.height()),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title);
    return true;
}

void MainWindowSkin::Style(WindowView& view, int id, QWidget* widget) {
    for (const auto& label : kPageLabels) {
        if (label.id != id || !widget) continue;
        const bool active = dlg_.ActivePage() == label.code;
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Window, active ? Body(view) : kHeaderBlue);
        palette.setColor(QPalette::WindowText, active ? Qt::black : Qt::white);
        widget->setPalette(palette);
    }
}

void MainWindowSkin::OnSystemClose(WindowView& view) { view.Model().Click(res::kCloseButton); }

}  // namespace torvane::gui
