#include "gui/dialog_skins.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "gui/button_st.h"
#include "gui/window_view.h"
#include "res/resource_ids.h"
#include "ui/modal_dialog.h"

namespace torvane::gui {
namespace {

QColor WithAlpha(QColor colour, int alpha) {
    colour.setAlpha(alpha);
    return colour;
}

QColor ButtonFace(const QWidget& widget) { return widget.palette().color(QPalette::Button); }

// The text an off-screen image draws without a font of its own.
QFont SystemFont() {
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    return font;
}

// The message text's row and the margin kept to the dialog's right edge.
constexpr int kTextTop = 60;
constexpr int kTextBottom = 100;
constexpr int kOtherTextLeft = 100;
constexpr int kRightMargin = 8;
// Where the questions move the picture to make room for their longer text.
const QPoint kQuestionPicture(9, 60);

void DrawCentred(QPainter& g, const QRect& box, const QString& text, const QColor& colour) {
    g.setFont(SystemFont());
    g.setPen(colour);
    g.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text);
}

}  // namespace

void DialogSkin::OnSystemClose(WindowView& view) {
    if (auto* dialog = dynamic_cast<ModalDialog*>(&view.Model())) dialog->CloseBySystem();
}

QWidget* HeaderDialogSkin::MakeControl(WindowView&, const Control& control) {
    if (control.id == closeId_)
        return MakeTitleButton(res::kCloseActiveIcon, res::kCloseIdleIcon, QStringLiteral("Close"));
    return nullptr;
}

void HeaderDialogSkin::Place(WindowView& view) {
    if (QWidget* close = view.ControlWidget(closeId_))
        close->setGeometry(view.width() - 26, 1, 25, 25);
}

void HeaderDialogSkin::PaintBand(WindowView& view, QPainter& g, int frameAlpha) const {
    const int W = view.width();
    const int H = view.height();
    g.fillRect(0, 0, W, H, Qt::white);
    g.setPen(WithAlpha(kFrameGray, frameAlpha));
    g.drawRect(0, 0, W - 1, H - 1);
    g.fillRect(1, 1, W - 2, 25, kHeaderBlue);
}

static void PaintHeaderEdges(QPainter& g, int W) {
    g.setPen(kHeaderEdgeBlue);
    g.drawLine(0, 0, W - 2, 0);
    g.drawLine(0, 0, 0, 25);
    g.drawLine(W - 1, 0, W - 1, 25);
}

MessageSkin::MessageSkin(CMessageDlg& dlg)
    : HeaderDialogSkin(CMessageDlg::kCloseButton), dlg_(dlg) {}

QFont MessageSkin::TextFont() { return SystemFont(); }

QRect MessageSkin::TextRect(const std::string& text, int width) {
    // (left, top, right, bottom) as the layout gives them.
    auto box = [](int l, int r) {
        return QRect(QPoint(l, kTextTop), QPoint(r - 1, kTextBottom - 1));
    };
    switch (CMessageDlg::LayoutOf(text)) {
        case CMessageDlg::Layout::kConnectFailed:
            return box(100, 255);
        case CMessageDlg::Layout::kQuestion:
            return box(50, 320);
        case CMessageDlg::Layout::kOther:
            break;
    }
    const int needed = QFontMetrics(SystemFont()).horizontalAdvance(QString::fromStdString(text));
    return box(kOtherTextLeft, std::max(width - kRightMargin, kOtherTextLeft + needed + 1));
}

bool MessageSkin::Places(int id) const {
    return id == CMessageDlg::kPicture || HeaderDialogSkin::Places(id);
}

void MessageSkin::Place(WindowView& view) {
    const int templateWidth = view.TemplateSize().width();
    const QString text = QString::fromStdString(dlg_.MessageText());
    const QRect box = TextRect(dlg_.MessageText(), templateWidth);
    // The text is centred in its box: the dialog grows only where the
    // words themselves would reach past its right edge.
    const int drawnRight =
        box.center().x() + (QFontMetrics(SystemFont()).horizontalAdvance(text) + 1) / 2;
    // A message of several lines wraps inside the template's width instead.
    const bool wraps = dlg_.MessageText().find('\n') != std::string::npos;
    const int width =
        wraps ? templateWidth : std::max(templateWidth, drawnRight + 1 + kRightMargin);
    if (view.width() != width) view.setFixedWidth(width);
    if (QWidget* picture = view.ControlWidget(CMessageDlg::kPicture)) {
        const QRect table = view.TableRect(CMessageDlg::kPicture);
        const QPoint at = dlg_.TextLayout() == CMessageDlg::Layout::kQuestion ? kQuestionPicture
                                                                              : table.topLeft();
        picture->setGeometry(QRect(at, picture->sizeHint()));
    }
    HeaderDialogSkin::Place(view);
}

bool MessageSkin::Paint(WindowView& view, QPainter& g) {
    const int W = view.width();
    const int H = view.height();
    PaintBand(view, g, 150);
    QColor strip = ButtonFace(view);
    strip.setRgb((strip.red() + 5) % 256, (strip.green() + 10) % 256, strip.blue());
    g.fillRect(1, 120, W - 2, H - 121, strip);
    PaintHeaderEdges(g, W);
    const std::string& text = dlg_.MessageText();
    if (text.find('\n') != std::string::npos) {
        // A message that explains itself ("Bad EDID file!", then the file and
        // why) takes the whole width above the button strip, wrapped even
        // inside a long path.
        g.setFont(SystemFont());
        g.setPen(Qt::black);
        g.drawText(QRect(10, 30, W - 20, 88), Qt::AlignCenter | Qt::TextWrapAnywhere,
                   QString::fromStdString(text));
        return true;
    }
    DrawCentred(g, TextRect(text, W), QString::fromStdString(text), Qt::black);
    return true;
}

bool NetworkConfigSkin::Paint(WindowView& view, QPainter& g) {
    const int W = view.width();
    const int H = view.height();
    PaintBand(view, g, 90);
    g.fillRect(1, 26, W - 2, H - 27, ButtonFace(view));
    PaintHeaderEdges(g, W);
    DrawCentred(g, QRect(QPoint(1, 1), QPoint(89, 29)), QStringLiteral("TCP Config"), Qt::white);
    return true;
}

bool BusySkin::Paint(WindowView& view, QPainter& g) {
    g.fillRect(0, 0, view.width(), view.height(), Qt::white);
    g.setPen(WithAlpha(kHeaderBlue, 150));
    g.drawRect(0, 0, view.width() - 1, view.height() - 1);
    return true;
}

}  // namespace torvane::gui
