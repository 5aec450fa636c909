// The Presets dialog on screen: Save current keeps the routing the switcher
// confirms under the name typed, Apply sends what differs and shows each
// output's result, Rename and Delete change the list.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "../app/profile_folder.h"
#include "demo_rig.h"
#include "res/presets_dialog.h"

namespace torvane::gui {
namespace {

class PresetsDialogGuiTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(rig.Started());
        rig.ConnectBySerial();
    }

    CPresetsDlg& Dialog() { return *rig.App().PresetsDialog(); }
    WindowView& View() { return *rig.Front().ViewOf(Dialog()); }
    QWidget* W(int id) { return View().ControlWidget(id); }
    void Open() {
        ASSERT_TRUE(rig.Front().ChooseMenuItem("Presets..."));
        ASSERT_TRUE(View().isVisible());
    }
    void TypeName(const QString& text) {
        auto* edit = qobject_cast<QLineEdit*>(W(res::kPresetNameEdit));
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    // Clicks `id` and waits until the switcher has answered what it began.
    void ClickAndWait(int id) {
        DemoRig::Click(W(id));
        ASSERT_TRUE(rig.RunUntil([&] { return !Dialog().Working(); }, 20000));
    }
    std::string Shown() { return Dialog().Controls().Text(res::kPresetText); }
    std::string Problem() { return Dialog().Controls().Text(res::kPresetsProblemLabel); }

    test::ProfileFolder folder;
    DemoRig rig{folder.Profiles()};
};

TEST_F(PresetsDialogGuiTest, SaveThenApplyShowsEachOutputsResult) {
    auto& state = rig.Demo().Model().State();
    Open();
    TypeName("Everything");
    ClickAndWait(res::kPresetSaveButton);
    EXPECT_EQ(Problem(), "");
    auto* list = qobject_cast<QComboBox*>(W(res::kPresetsDialogList));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->currentText(), "Everything");
    EXPECT_EQ(Shown().rfind("OUTPUT A: IN" + std::to_string(state.routing[0]) + ", ARC off\n", 0),
              0u)
        << Shown();

    // The operator routes another input to B; applying puts back only that.
    const int saved = state.routing[1];
    const int other = saved == 1 ? 2 : 1;
    DemoRig::Click(W(res::kPresetsCloseButton));
    rig.VisitPage(res::kMatrixLabel);
    DemoRig::Click(rig.Page(PageCode::kMatrix, res::kMatrixOutputs[1].inputs[other - 1]));
    ASSERT_TRUE(rig.RunUntil([&] { return state.routing[1] == other && rig.Quiet(); }));
    Open();
    ClickAndWait(res::kPresetApplyButton);
    EXPECT_NE(Shown().find("OUTPUT B: changed (IN" + std::to_string(saved) + ")\n"),
              std::string::npos)
        << Shown();
    EXPECT_NE(Shown().find("OUTPUT A: already so"), std::string::npos) << Shown();
    EXPECT_EQ(Problem(), "\"Everything\" applied");
    EXPECT_EQ(state.routing[1], saved);

    TypeName("All");
    DemoRig::Click(W(res::kPresetRenameButton));
    EXPECT_EQ(list->currentText(), "All");
    DemoRig::Click(W(res::kPresetDeleteButton));
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(W(res::kPresetApplyButton)->isEnabled());
    DemoRig::Click(W(res::kPresetsCloseButton));
    EXPECT_FALSE(View().isVisible());
}

}  // namespace
}  // namespace torvane::gui
