#include "gui/button_st.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "gui/pictures.h"
#include "gui/skin.h"
#include "res/resource_ids.h"

namespace torvane::gui {
namespace {

// A button at (10, 10) in a shown window, as a dialog holds one.
struct Placed {
    explicit Placed(CButtonST* b, QSize size = {25, 25}) : button(b) {
        button->setParent(&window);
        button->setGeometry(QRect(QPoint(10, 10), size));
        window.resize(120, 80);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QImage Face() { return button->grab().toImage(); }
    QWidget window;
    CButtonST* button;
};

TEST(CButtonST, TitleButtonShowsItsActiveIconOnlyWhileHoveredOrPressed) {
    Placed p(MakeTitleButton(res::kCloseActiveIcon, res::kCloseIdleIcon, "Close"));
    CButtonST& b = *p.button;
    const QPoint icon = b.IconPosition();
    EXPECT_EQ(icon, QPoint(4, 4));
    // Header blue all over, the idle icon's white cross on it.
    QImage idle = p.Face();
    EXPECT_EQ(idle.pixelColor(0, 0), kHeaderBlue);
    EXPECT_EQ(idle.pixelColor(24, 24), kHeaderBlue);
    EXPECT_EQ(idle.pixelColor(icon + QPoint(0, 1)), kHeaderBlue);
    EXPECT_EQ(b.ShownIcon()->cacheKey(), Picture(res::kCloseIdleIcon).cacheKey());

    QTest::mouseMove(&b, {12, 12});
    ASSERT_TRUE(b.Hovering());
    // The active icon's dark red square; no border on a title button.
    QImage hovered = p.Face();
    EXPECT_EQ(hovered.pixelColor(icon + QPoint(0, 1)), QColor(128, 0, 0));
    EXPECT_EQ(hovered.pixelColor(0, 0), kHeaderBlue);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&b, &leave);
    EXPECT_FALSE(b.Hovering());
    EXPECT_EQ(p.Face().pixelColor(icon + QPoint(0, 1)), kHeaderBlue);

    // Pressed: the active icon, one pixel lower right.
    QTest::mousePress(&b, Qt::LeftButton, Qt::NoModifier, {12, 12});
    EXPECT_EQ(b.IconPosition(), icon + QPoint(1, 1));
    QImage pressed = p.Face();
    EXPECT_EQ(pressed.pixelColor(icon + QPoint(1, 2)), QColor(128, 0, 0));
    EXPECT_EQ(pressed.pixelColor(icon + QPoint(0, 1)), kHeaderBlue);
    QTest::mouseRelease(&b, Qt::LeftButton, Qt::NoModifier, {12, 12});
}

TEST(CButtonST, HoverNeedsAFlatButtonAndNoButtonHeldOnEntry) {
    Placed flat(MakeTitleButton(res::kCloseActiveIcon, res::kCloseIdleIcon, "Close"));
    QMouseEvent held(QEvent::MouseMove, QPointF(12, 12), QPointF(12, 12), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(flat.button, &held);
    EXPECT_FALSE(flat.button->Hovering());

    Placed raised(MakeIconButton(res::kNextInputIcon), {28, 24});
    QTest::mouseMove(raised.button, {12, 12});
    EXPECT_FALSE(raised.button->Hovering());
}

TEST(CButtonST, StepButtonIsRaisedAndShowsFocusAfterAClick) {
    Placed p(MakeIconButton(res::kNextInputIcon), {28, 24});
    CButtonST& b = *p.button;
    const QColor face = b.palette().color(QPalette::Button);
    b.clearFocus();
    QImage before = p.Face();
    // Raised edge: highlight at the top left, dark shadow at the bottom right.
    EXPECT_EQ(before.pixel(0, 0), b.palette().color(QPalette::Light).rgb());
    EXPECT_EQ(before.pixel(27, 23), b.palette().color(QPalette::Shadow).rgb());
    // A 32 x 32 icon on a smaller button is cut evenly: it starts left of and
    // above the face.
    EXPECT_EQ(b.IconPosition(), QPoint(-2, -4));
    // The triangle's first row sits 9 rows into the icon, its tip column 13.
    EXPECT_EQ(before.pixelColor(-2 + 13, -4 + 9 + 6), QColor(Qt::black));
    EXPECT_EQ(before.pixel(3, 3), face.rgb());

    QTest::mouseClick(&b, Qt::LeftButton, Qt::NoModifier, {12, 12});
    ASSERT_TRUE(b.hasFocus());
    QImage focused = p.Face();
    EXPECT_EQ(focused.pixelColor(0, 0), QColor(Qt::black));    // the black frame
    EXPECT_EQ(focused.pixelColor(27, 23), QColor(Qt::black));  // all round
    EXPECT_EQ(focused.pixelColor(3, 3), QColor(Qt::black));    // the focus rectangle's corner
    EXPECT_FALSE(b.Hovering());
}

TEST(CButtonST, ADoubleClickActsAsTwoClicks) {
    Placed p(MakeIconButton(res::kNextInputIcon), {28, 24});
    QSignalSpy clicks(p.button, &QAbstractButton::clicked);
    // What the window system delivers for a double click: a press and a
    // release, then the double click in place of the second press, and its
    // release.
    const QPoint at(12, 12);
    QTest::mouseClick(p.button, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(p.button, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(p.button, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(clicks.count(), 2);
}

TEST(CButtonST, AssignColorRefusesIndexesAboveFiveAndKeepsItsStatusNumbers) {
    CButtonST b;
    const QColor before = b.Colour(CButtonST::kIdleBackground);
    EXPECT_EQ(b.AssignColor(6, Qt::red, true), CButtonST::kInvalidIndex);
    // The index is taken as 8 bits: 258 is 2.
    EXPECT_EQ(b.AssignColor(258, Qt::green, false), CButtonST::kDone);
    EXPECT_EQ(b.Colour(CButtonST::kIdleBackground), QColor(Qt::green));
    for (int i = 0; i < 6; ++i) EXPECT_NE(b.Colour(i), QColor(Qt::red)) << i;
    b.AssignDefaultColors(false);
    EXPECT_EQ(b.Colour(CButtonST::kIdleBackground), before);
    // A missing picture leaves the button without an icon.
    EXPECT_EQ(b.AssignIcons(99999, 0), CButtonST::kDone);
    EXPECT_EQ(b.ShownIcon(), nullptr);
}

TEST(CButtonST, GrayIdleIconAndCheckBoxMode) {
    Placed p(new CButtonST);
    CButtonST& b = *p.button;
    b.AssignIcons(res::kCloseActiveIcon, CButtonST::kGrayIdleIcon);
    // Idle: the gray copy of the active icon; dark red becomes its luminance.
    const QImage idle = b.ShownIcon()->toImage();
    const int gray = static_cast<int>(0.299 * 128);
    EXPECT_EQ(idle.pixelColor(0, 1), QColor(gray, gray, gray));

    b.SetCheckBoxMode(true);
    QSignalSpy clicks(&b, &QAbstractButton::clicked);
    QTest::mouseClick(&b, Qt::LeftButton, Qt::NoModifier, {12, 12});
    EXPECT_EQ(b.GetCheck(), 1);
    EXPECT_EQ(b.ShownIcon()->toImage().pixelColor(0, 1), QColor(128, 0, 0));
    QTest::mouseClick(&b, Qt::LeftButton, Qt::NoModifier, {12, 12});
    EXPECT_EQ(b.GetCheck(), 0);
    EXPECT_EQ(clicks.count(), 2);  // the owner still hears each click
    b.SetCheck(2);
    EXPECT_EQ(b.GetCheck(), 1);
}

}  // namespace
}  // namespace torvane::gui
