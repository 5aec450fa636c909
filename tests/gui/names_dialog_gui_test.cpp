// The Names dialog on screen: the header's menu opens it, the operator types
// names into its edits, OK keeps them, and the window shows them at once.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>

#include "../app/profile_folder.h"
#include "demo_rig.h"
#include "res/names_dialog.h"

namespace torvane::gui {
namespace {

class NamesDialogGuiTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(rig.Started()); }

    WindowView& View() {
        WindowView* view = rig.Front().ViewOf(*rig.App().NamesDialog());
        EXPECT_NE(view, nullptr);
        return *view;
    }
    QLineEdit* Edit(int id) { return qobject_cast<QLineEdit*>(View().ControlWidget(id)); }
    void Type(int id, const QString& text) {
        QLineEdit* edit = Edit(id);
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        edit->selectAll();
        // Each character as a key press carrying its text, as a keyboard
        // layout with that letter sends it.
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &press);
        }
    }

    test::ProfileFolder folder;
    DemoRig rig{folder.Profiles()};
};

TEST_F(NamesDialogGuiTest, NamesTypedShowInTheWindowAndStay) {
    rig.ConnectBySerial();
    ASSERT_TRUE(rig.Front().ChooseMenuItem("Names..."));
    ASSERT_TRUE(View().isVisible());
    EXPECT_TRUE(View().windowTitle() == "Names");
    Type(res::kNamesFirstInputEdit + 2, QString::fromUtf8("Salle à manger \"Bühne\""));
    Type(res::kNamesFirstOutputEdit + 1, "Projector");
    DemoRig::Click(View().ControlWidget(res::kNamesOkButton));
    EXPECT_FALSE(View().isVisible());

    rig.VisitPage(res::kMatrixLabel);
    auto* group =
        qobject_cast<QGroupBox*>(rig.Page(PageCode::kMatrix, res::kMatrixOutputs[1].group));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), QString::fromUtf8("OUTPUT B \u00B7 Projector"));
    EXPECT_EQ(rig.Page(PageCode::kMatrix, res::kMatrixOutputs[0].inputs[2])->toolTip(),
              QString::fromUtf8("Salle à manger \"Bühne\""));

    // Opened again, the dialog shows what was kept.
    ASSERT_TRUE(rig.Front().ChooseMenuItem("Names..."));
    EXPECT_EQ(Edit(res::kNamesFirstOutputEdit + 1)->text(), "Projector");
    DemoRig::Click(View().ControlWidget(res::kNamesCancelButton));
    EXPECT_FALSE(View().isVisible());
}

TEST_F(NamesDialogGuiTest, WithoutASwitcherTheDialogTakesNothing) {
    ASSERT_TRUE(rig.Front().ChooseMenuItem("Names..."));
    EXPECT_FALSE(Edit(res::kNamesFirstInputEdit)->isEnabled());
    EXPECT_FALSE(View().ControlWidget(res::kNamesOkButton)->isEnabled());
    EXPECT_TRUE(qobject_cast<QLabel*>(View().ControlWidget(res::kNamesSwitcherLabel))
                    ->text()
                    .startsWith("Connect to a switcher first"));
    DemoRig::Click(View().ControlWidget(res::kNamesCancelButton));
}

}  // namespace
}  // namespace torvane::gui
