// The window's layout as the operator sees it, on every page and dialog:
// captions whole, pictures clear of the controls, pages whole inside the
// main window, the device frame on its box, the message dialog's picture and
// text where they belong, and a window that can be dragged without a window
// manager.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include "demo_rig.h"
#include "gui/dialog_skins.h"
#include "gui/dialog_units.h"

namespace torvane::gui {
namespace {

QString Describe(const QWidget* w) {
    return QStringLiteral("%1 at (%2, %3) %4x%5")
        .arg(QString::fromLatin1(w->metaObject()->className()))
        .arg(w->x())
        .arg(w->y())
        .arg(w->width())
        .arg(w->height());
}

// The controls of `view` whose caption does not fit the control, one a line.
std::string ClippedCaptions(const WindowView& view) {
    QStringList clipped;
    for (QWidget* w : view.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!w->isVisibleTo(&view) || dynamic_cast<WindowView*>(w)) continue;
        const QFontMetrics metrics(w->font());
        QString text;
        int needed = 0;
        auto* box = qobject_cast<QCheckBox*>(w);
        auto* radio = qobject_cast<QRadioButton*>(w);
        if (box || radio) {
            // The caption starts where the style puts it, after the indicator.
            QStyleOptionButton option;
            option.initFrom(w);
            option.text = text = box ? box->text() : radio->text();
            const QRect contents = w->style()->subElementRect(
                box ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents, &option, w);
            needed = contents.left() + metrics.horizontalAdvance(text);
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            text = button->text();
            needed = metrics.horizontalAdvance(text) + 4;  // inside the button's edge
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            text = group->title();
            needed = metrics.horizontalAdvance(text);
        } else if (auto* label = qobject_cast<QLabel*>(w); label && label->pixmap().isNull()) {
            text = label->text();
            needed = metrics.horizontalAdvance(text);
        }
        if (!text.isEmpty() && needed > w->width())
            clipped
                << QStringLiteral("\"%1\" needs %2 px: %3").arg(text).arg(needed).arg(Describe(w));
    }
    return clipped.join('\n').toStdString();
}

// The pictures of `view` that overlap another control or cross a group's
// frame, one a line.
std::string OverlappingPictures(const WindowView& view) {
    QStringList overlaps;
    const auto children = view.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* w : children) {
        auto* picture = qobject_cast<QLabel*>(w);
        if (!picture || picture->pixmap().isNull() || !picture->isVisibleTo(&view)) continue;
        for (QWidget* other : children) {
            if (other == w || !other->isVisibleTo(&view) || dynamic_cast<WindowView*>(other))
                continue;
            if (!other->geometry().intersects(w->geometry())) continue;
            // A picture may lie inside a group's frame, not across it.
            if (qobject_cast<QGroupBox*>(other) && other->geometry().contains(w->geometry()))
                continue;
            overlaps << Describe(w) + " overlaps " + Describe(other);
        }
    }
    return overlaps.join('\n').toStdString();
}

class LayoutTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(rig.Started()); }
    WindowView& Main() { return rig.Front().MainView(); }
    DemoRig rig;
};

TEST(TemplateFont, IsTheTemplatesFaceOrItsStandInWithTheFacesUnits) {
    DialogTemplate dialog;
    dialog.font = "Microsoft YaHei";
    dialog.fontPoints = 9;
    const QFont font = TemplateFont(dialog);
    const QString family = QFontInfo(font).family();
    ASSERT_TRUE(family == "Microsoft YaHei" || family == kTemplateFaceStandIn)
        << family.toStdString() << ": scripts/setup.sh installs fonts-wqy-microhei";
    EXPECT_EQ(font.pixelSize(), 12);
    // A unit is a quarter of the average character width and an eighth of
    // the face's height: 7 and 16 pixels at 9 points.
    const DialogUnits units = TemplateUnits(dialog);
    const QFontMetrics metrics(font);
    EXPECT_EQ(units.BaseX(), DialogUnits(font).BaseX());
    EXPECT_EQ(units.BaseX(), 7);
    EXPECT_EQ(units.BaseY(), 16);
    EXPECT_EQ(units.X(400), 100 * units.BaseX());
    EXPECT_EQ(units.Y(8), units.BaseY());
}

// Every page and dialog, filled as in use: no caption clipped, no picture on
// a control, every page whole inside the main window.
TEST_F(LayoutTest, EveryPageAndDialogShowsWholeCaptionsAndClearPictures) {
    rig.ConnectByTcp();
    DemoRig::Click(rig.Main(res::kStatusButton));
    ASSERT_TRUE(rig.RunUntil(
        [&] { return rig.Quiet() && !rig.LabelText(res::kFirstOutputLabel + 7).isEmpty(); }));
    EXPECT_EQ(ClippedCaptions(Main()), "");
    for (int label : {res::kMatrixLabel, res::kEdidLabel, res::kUpgradeLabel}) {
        rig.VisitPage(label);
        ASSERT_TRUE(rig.RunUntil([&] { return rig.Quiet(); }));
        rig.RunUntil([] { return false; }, 300);  // the page's refresh after the gate opens
        const PageCode code = rig.Dlg().ActivePage();
        WindowView* page = rig.Front().PageView(code);
        ASSERT_NE(page, nullptr);
        SCOPED_TRACE(static_cast<int>(code));
        EXPECT_EQ(ClippedCaptions(*page), "");
        EXPECT_EQ(OverlappingPictures(*page), "");
        EXPECT_TRUE(page->isVisibleTo(&Main()));
        EXPECT_TRUE(Main().rect().contains(page->geometry()))
            << Describe(page).toStdString() << " in " << Describe(&Main()).toStdString();
    }

    rig.Dlg().SystemCommand(res::kAboutCommand);
    EXPECT_EQ(ClippedCaptions(rig.Front().AboutView()), "");
    rig.Dlg().About().Click(res::kAboutOkButton);
    rig.Dlg().Busy().ShowBusy("Getting status");
    EXPECT_EQ(ClippedCaptions(rig.Front().BusyView()), "");
    EXPECT_EQ(OverlappingPictures(rig.Front().BusyView()), "");
    rig.Dlg().Busy().CloseBusy();

    rig.VisitPage(res::kGeneralLabel);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Quiet(); }));
    DemoRig::Click(rig.Main(res::kConfigButton));
    WindowView& config = rig.Front().NetworkConfigView();
    ASSERT_TRUE(config.isVisible());
    EXPECT_EQ(ClippedCaptions(config), "");
    DemoRig::Click(config.ControlWidget(res::kConfigCancelButton));
}

// The device frame is the "Device Information" box's own rectangle: it
// crosses the box's middle row only at the box's edges, and its middle column
// only at the box's top and bottom.
TEST_F(LayoutTest, TheDeviceFrameLiesOnTheDeviceInformationBox) {
    QImage image(Main().size(), QImage::Format_ARGB32);
    Main().render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    const QRect box = rig.Main(res::kDeviceInfoGroup)->geometry();
    const QColor body = Main().palette().color(QPalette::Button);
    QList<int> columns;
    for (int x = 1; x < image.width() - 1; ++x)
        if (image.pixelColor(x, box.center().y()) != body) columns << x;
    EXPECT_EQ(columns, (QList<int>{box.left(), box.right()}));
    QList<int> rows;
    // Down to the link's status line, which lies under the pages.
    const int pagesBottom = rig.Front().StatusLine().geometry().top();
    for (int y = 57; y < pagesBottom - 1; ++y)
        if (image.pixelColor(box.center().x(), y) != body) rows << y;
    EXPECT_EQ(rows, (QList<int>{box.top(), box.bottom()}));
}

TEST_F(LayoutTest, TheMessageDialogsPictureIsWholeAndEveryTextFits) {
    WindowView& view = rig.Front().MessageView();
    const QFontMetrics metrics(MessageSkin::TextFont());
    for (const char* text :
         {"Are you sure you want to power off?", "Do you want to reset to factory settings?",
          "Please use COM Control Mode!", "Connect to Matrix failed!",
          "Connect to Matrix failed! (Connection refused)", "Time out!"}) {
        SCOPED_TRACE(text);
        rig.Dlg().Message().ShowMessage(text);
        ASSERT_TRUE(view.isVisible());
        QWidget* picture = view.ControlWidget(CMessageDlg::kPicture);
        EXPECT_TRUE(view.rect().contains(picture->geometry())) << Describe(picture).toStdString();
        if (rig.Dlg().Message().TextLayout() == CMessageDlg::Layout::kQuestion) {
            EXPECT_EQ(picture->geometry(), QRect(9, 60, 36, 36));  // pixels, as the layout says
        }
        const QRect box = MessageSkin::TextRect(text, view.width());
        const int advance = metrics.horizontalAdvance(QString::fromLatin1(text));
        EXPECT_GE(box.width(), advance);
        const int left = box.center().x() - advance / 2;
        EXPECT_GT(left, picture->geometry().right()) << "the text starts after the picture";
        EXPECT_LT(left + advance, view.width() - 1) << "the text ends inside the frame";
        EXPECT_EQ(ClippedCaptions(view), "");
        DemoRig::Click(rig.Message(CMessageDlg::kOkButton));
    }
}

// Without a window manager (here, offscreen) a press on the header's body
// drags the window itself.
TEST_F(LayoutTest, TheHeaderDragsTheWindowWithoutAWindowManager) {
    const QPoint before = Main().pos();
    const QPoint grip(Main().width() / 2 + 60, 10);
    QTest::mousePress(&Main(), Qt::LeftButton, Qt::NoModifier, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(grip + QPoint(30, 20)),
                     QPointF(Main().mapToGlobal(grip + QPoint(30, 20))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Main(), &move);
    QTest::mouseRelease(&Main(), Qt::LeftButton, Qt::NoModifier, grip + QPoint(30, 20));
    EXPECT_EQ(Main().pos(), before + QPoint(30, 20));
    // Moves without the button held move nothing.
    QMouseEvent hover(QEvent::MouseMove, QPointF(grip), QPointF(Main().mapToGlobal(grip)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&Main(), &hover);
    EXPECT_EQ(Main().pos(), before + QPoint(30, 20));
}

}  // namespace
}  // namespace torvane::gui
