// The Matrix page on screen against the demo switcher: routing by an input
// button, stepping round the inputs, and ARC, each seen in the pictures and
// marks the page draws.

#include <gtest/gtest.h>

#include <QLabel>

#include "demo_rig.h"
#include "gui/button_st.h"
#include "gui/pictures.h"
#include "pages/matrix_dlg.h"

namespace torvane::gui {
namespace {

using res::kMatrixOutputs;

class MatrixPageGuiTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(rig.Started());
        rig.ConnectByTcp();
        rig.VisitPage(res::kMatrixLabel);
        ASSERT_TRUE(rig.RunUntil([&] { return Settled(); }));
    }
    // The page's refresh chain and commands all answered.
    bool Settled() {
        auto& page = dynamic_cast<CMatrixDlg&>(rig.Dlg().PageFor(PageCode::kMatrix));
        return rig.Quiet() && !page.AwaitingSwitcher();
    }
    QWidget* W(int id) { return rig.Page(PageCode::kMatrix, id); }
    auto* Box(int id) { return qobject_cast<QAbstractButton*>(W(id)); }
    // The digit the picture of `output` (0 to 7) shows, or 0.
    int DigitShown(int output) {
        auto* picture = qobject_cast<QLabel*>(W(kMatrixOutputs[output].picture));
        for (int k = 0; k < 8; ++k)
            if (picture->pixmap().cacheKey() == Picture(res::kDigitBitmaps[k]).cacheKey())
                return k + 1;
        return 0;
    }
    // Clicks and waits for the switcher's confirmation to be drawn.
    void ClickAndSettle(QWidget* widget) {
        DemoRig::Click(widget);
        ASSERT_TRUE(rig.RunUntil([&] { return Settled(); }));
    }
    DemoRig rig;
};

TEST_F(MatrixPageGuiTest, AClickOnAnInputRoutesItAndThePictureShowsIt) {
    const auto& b = kMatrixOutputs[1];  // OUTPUT B
    // The visit's refresh drew what the switcher holds.
    EXPECT_EQ(DigitShown(1), 2);
    EXPECT_TRUE(Box(b.inputs[1])->isChecked());

    DemoRig::Click(W(b.inputs[2]));
    // The click's own mark is put back until the switcher confirms.
    EXPECT_FALSE(Box(b.inputs[2])->isChecked());
    ASSERT_TRUE(rig.RunUntil([&] { return Settled(); }));
    EXPECT_EQ(DigitShown(1), 3);
    EXPECT_TRUE(Box(b.inputs[2])->isChecked());
    EXPECT_FALSE(Box(b.inputs[1])->isChecked());
    EXPECT_EQ(rig.Demo().Model().State().routing[1], 3);
    // The other outputs are untouched.
    EXPECT_EQ(DigitShown(0), 1);
}

TEST_F(MatrixPageGuiTest, StepButtonsWrapRoundTheInputsOnScreen) {
    const auto& a = kMatrixOutputs[0];  // OUTPUT A shows IN1
    ASSERT_EQ(DigitShown(0), 1);
    auto* previous = dynamic_cast<CButtonST*>(W(a.previous));
    ASSERT_NE(previous, nullptr) << "step buttons draw themselves";
    EXPECT_FALSE(previous->Flat());
    EXPECT_EQ(previous->ShownIcon()->cacheKey(), Picture(res::kPreviousInputIcon).cacheKey());

    ClickAndSettle(previous);
    EXPECT_EQ(DigitShown(0), 8);
    EXPECT_TRUE(Box(a.inputs[7])->isChecked());
    ClickAndSettle(W(a.next));
    EXPECT_EQ(DigitShown(0), 1);
    ClickAndSettle(W(a.next));
    EXPECT_EQ(DigitShown(0), 2);
    EXPECT_EQ(rig.Demo().Model().State().routing[0], 2);
}

TEST_F(MatrixPageGuiTest, ArcOnIsMarkedOnlyWhenTheSwitcherConfirms) {
    const auto& h = kMatrixOutputs[7];  // OUTPUT H, in the lower row
    ASSERT_TRUE(Box(h.arcOff)->isChecked());
    DemoRig::Click(W(h.arcOn));
    EXPECT_FALSE(Box(h.arcOn)->isChecked());
    ASSERT_TRUE(rig.RunUntil([&] { return Settled(); }));
    EXPECT_TRUE(Box(h.arcOn)->isChecked());
    EXPECT_FALSE(Box(h.arcOff)->isChecked());
    EXPECT_TRUE(rig.Demo().Model().State().arcOn[7]);
}

// Before the switcher has named an output's input, its picture is the dark
// square without a digit: nothing on screen reads as a confirmed routing.
TEST(MatrixPageGuiUnconfirmed, PicturesShowNoDigitUntilTheSwitcherAnswers) {
    DemoRig rig;
    ASSERT_TRUE(rig.Started());
    rig.ConnectByTcp();
    rig.Demo().Model().Faults().ignoredCommands = {{0x02, 0x01}};
    DemoRig::Click(rig.Main(res::kMatrixLabel));
    ASSERT_TRUE(
        rig.RunUntil([&] { return rig.Page(PageCode::kMatrix, kMatrixOutputs[0].picture); }));
    const QPixmap& unknown = Picture(res::kUnknownInputBitmap);
    const QImage drawn = unknown.toImage();
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            ASSERT_NE(drawn.pixelColor(x, y), QColor(0, 156, 32)) << "no green digit";
    for (const auto& ids : kMatrixOutputs) {
        auto* picture = qobject_cast<QLabel*>(rig.Page(PageCode::kMatrix, ids.picture));
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->pixmap().cacheKey(), unknown.cacheKey());
    }
}

}  // namespace
}  // namespace torvane::gui
