// The EDID page on screen against the demo switcher: a preset set with its
// busy dialog, an EDID file chosen in the file dialog and written, and a file
// that cannot be read reported to the operator.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>

#include "demo_rig.h"
#include "gui/file_filter.h"
#include "res/edid_page_ids.h"
#include "ui/status_dlg.h"

namespace torvane::gui {
namespace {

// A base block with a good header and sum, no extension.
QByteArray EdidFile() {
    QByteArray bytes(128, '\0');
    const char header[] = {0, '\xFF', '\xFF', '\xFF', '\xFF', '\xFF', '\xFF', 0};
    for (int i = 0; i < 8; ++i) bytes[i] = header[i];
    bytes[20] = 0x42;
    int sum = 0;
    for (int i = 0; i < 127; ++i) sum += static_cast<unsigned char>(bytes[i]);
    bytes[127] = static_cast<char>((256 - sum % 256) % 256);
    return bytes;
}

template <typename T>
T* VisibleTopLevel() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<T*>(w); found && found->isVisible()) return found;
    return nullptr;
}

class EdidPageGuiTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(rig.Started());
        rig.ConnectByTcp();
        rig.VisitPage(res::kEdidLabel);
    }
    QWidget* W(int id) { return rig.Page(PageCode::kEdid, id); }
    // Chooses item `index` of a closed list with the keyboard.
    void Choose(int listId, int index) {
        auto* box = qobject_cast<QComboBox*>(W(listId));
        ASSERT_NE(box, nullptr);
        DemoRig::ChooseWithKeys(box, index);
        ASSERT_EQ(rig.Dlg().PageFor(PageCode::kEdid).PageWindow().Controls().Selection(listId),
                  index);
    }
    // Answers the page's file dialog with `path`, as the operator would.
    QFileDialog* OpenFileDialog() {
        DemoRig::Click(W(res::kOpenEdidButton));
        QFileDialog* dialog = nullptr;
        rig.RunUntil([&] { return (dialog = VisibleTopLevel<QFileDialog>()) != nullptr; }, 3000);
        return dialog;
    }
    // Types `path` in the dialog's file name box and presses Enter.
    static void Answer(QFileDialog* dialog, const QString& path) {
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
    }
    QString BusyText() {
        return static_cast<QLabel*>(rig.Front().BusyView().ControlWidget(CStatusDlg::kLabel))
            ->text();
    }
    DemoRig rig;
};

TEST_F(EdidPageGuiTest, APresetIsSetThroughThePageWithItsBusyDialog) {
    EXPECT_TRUE(rig.Front().PageView(PageCode::kEdid)->isVisible());
    Choose(res::kPresetList, 4);  // "1080i,Dolby/DTS 5.1"
    Choose(res::kPresetInputList, 1);
    DemoRig::Click(W(res::kPresetSetButton));
    WindowView& busy = rig.Front().BusyView();
    ASSERT_TRUE(busy.isVisible());
    EXPECT_EQ(busy.windowModality(), Qt::WindowModal);
    EXPECT_TRUE(BusyText().startsWith("Setting")) << BusyText().toStdString();
    ASSERT_TRUE(rig.RunUntil([&] { return BusyText() == "Set successfully!"; }));
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Quiet() && !busy.isVisible(); }));
    EXPECT_EQ(rig.Demo().Model().State().edidCode[1], 4);
    EXPECT_EQ(rig.Demo().Model().State().edidCode[0], 0);
}

TEST_F(EdidPageGuiTest, AnEdidFileChosenInTheFileDialogIsWrittenToAllInputs) {
    QTemporaryDir dir;
    const QString path = dir.filePath("monitor.BIN");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(EdidFile());
    file.close();

    QFileDialog* dialog = OpenFileDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->nameFilters(), FileDialogFilters("Binary file(*.BIN)|*.BIN||"));
    Answer(dialog, path);
    auto* pathBox = qobject_cast<QLineEdit*>(W(res::kEdidPathBox));
    ASSERT_TRUE(rig.RunUntil([&] { return !pathBox->text().isEmpty(); }, 3000));
    EXPECT_EQ(QFileInfo(pathBox->text()), QFileInfo(path));

    Choose(res::kFileInputList, 8);  // "All Input"
    DemoRig::Click(W(res::kFileSetButton));
    ASSERT_TRUE(rig.RunUntil([&] { return BusyText() == "Set successfully!"; }));
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Quiet(); }));
    const auto& state = rig.Demo().Model().State();
    EXPECT_TRUE(state.edidBlockReceived);
    // The block starts with 00 and the file follows.
    EXPECT_EQ(state.lastEdidBlock[0], 0x00);
    EXPECT_EQ(state.lastEdidBlock[1], 0x00);
    EXPECT_EQ(state.lastEdidBlock[2], 0xFF);
    EXPECT_EQ(state.lastEdidBlock[21], 0x42);
}

TEST_F(EdidPageGuiTest, AFileThatCannotBeReadIsReportedWithTheSystemsReason) {
    QFileDialog* dialog = OpenFileDialog();
    ASSERT_NE(dialog, nullptr);
    // It opens, and reading its first byte fails.
    Answer(dialog, "/proc/self/mem");
    QMessageBox* box = nullptr;
    ASSERT_TRUE(
        rig.RunUntil([&] { return (box = VisibleTopLevel<QMessageBox>()) != nullptr; }, 3000));
    EXPECT_TRUE(box->text().contains("Input/output error")) << box->text().toStdString();
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    // Nothing else happened: no message of the page's own, the path box empty.
    EXPECT_FALSE(rig.Dlg().Message().Showing());
    EXPECT_TRUE(qobject_cast<QLineEdit*>(W(res::kEdidPathBox))->text().isEmpty());
    box->accept();
}

}  // namespace
}  // namespace torvane::gui
