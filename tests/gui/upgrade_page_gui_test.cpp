// The Upgrade page on screen: a firmware image chosen in the file dialog and
// sent to the demo switcher over its pseudo-terminal, with the progress bar
// and the Messages log; a refused block drawing the whole log red.

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTemporaryDir>

#include "demo_rig.h"
#include "pages/fw_dlg.h"
#include "res/upgrade_page_ids.h"

namespace torvane::gui {
namespace {

class UpgradePageGuiTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(rig.Started());
        rig.Demo().Model().Timing().readyDelayMs = 50;
        rig.Demo().Model().Timing().restartMs = 200;
        rig.ConnectBySerial();
        rig.VisitPage(res::kUpgradeLabel);
        // The page's entry reads the device line, then the device text; the
        // gate is open between the two, so wait for the whole chain before
        // the operator's Upgrade, or its request would cross the last read.
        ASSERT_TRUE(rig.RunUntil([&] { return Page().DeviceTextReads() > 0 && rig.Quiet(); }));
    }
    QWidget* W(int id) { return rig.Page(PageCode::kUpgrade, id); }
    CFWDlg& Page() { return dynamic_cast<CFWDlg&>(rig.Dlg().PageFor(PageCode::kUpgrade)); }
    QPlainTextEdit* Log() { return qobject_cast<QPlainTextEdit*>(W(res::kUpgradeLog)); }
    QColor LogColour() { return Log()->palette().color(QPalette::Text); }

    // Writes an image of `size` bytes and opens it through Open's file dialog.
    void OpenImage(int size) {
        const QString path = dir.filePath("firmware.bin");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, '\x5A'));
        file.close();
        DemoRig::Click(W(res::kFirmwareOpenButton));
        QFileDialog* dialog = nullptr;
        ASSERT_TRUE(rig.RunUntil(
            [&] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) dialog = d;
                return dialog != nullptr;
            },
            3000));
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
        auto* pathBox = qobject_cast<QLineEdit*>(W(res::kFirmwarePathBox));
        ASSERT_TRUE(rig.RunUntil([&] { return !pathBox->text().isEmpty(); }, 3000));
    }
    QTemporaryDir dir;
    DemoRig rig;
};

TEST_F(UpgradePageGuiTest, AnImageIsSentBlockByBlockWithProgressAndLogLines) {
    OpenImage(2500);
    auto* progress = qobject_cast<QProgressBar*>(W(res::kUpgradeProgress));
    EXPECT_EQ(progress->maximum(), 2500);
    EXPECT_EQ(progress->value(), 0);
    int highest = 0;
    QStringList percentages;
    bool waitShown = false;
    DemoRig::Click(W(res::kUpgradeButton));
    ASSERT_TRUE(rig.RunUntil(
        [&] {
            highest = std::max(highest, progress->value());
            if (progress->isTextVisible() && !progress->text().isEmpty() &&
                !percentages.contains(progress->text()))
                percentages << progress->text();
            // The restart wait: a bar that moves without an end (an empty range).
            if (Page().State() == UpgradeState::kRebooting)
                waitShown = progress->minimum() == 0 && progress->maximum() == 0;
            return Log()->toPlainText().contains("->Firmware upgrade successfully");
        },
        20000))
        << Log()->toPlainText().toStdString();
    EXPECT_EQ(highest, 2500);
    EXPECT_EQ(progress->value(), progress->maximum());
    EXPECT_TRUE(waitShown);
    // The transfer shows its percentage.
    EXPECT_TRUE(percentages.contains("0%")) << percentages.join(' ').toStdString();
    EXPECT_EQ(progress->text(), "100%");
    const QString log = Log()->toPlainText();
    EXPECT_TRUE(log.startsWith("->Upgrading MCU...")) << log.toStdString();
    EXPECT_TRUE(log.contains("->System rebooting, please wait...")) << log.toStdString();
    EXPECT_NE(LogColour(), QColor(255, 0, 0));
    // The image arrived whole, padded to its last block.
    const auto& received = rig.Demo().Model().FirmwareReceived();
    ASSERT_GE(received.size(), 2500u);
    EXPECT_EQ(received[2499], 0x5A);
}

TEST_F(UpgradePageGuiTest, ARefusedBlockDrawsTheWholeLogRedUntilTheNextUpgrade) {
    OpenImage(2500);
    rig.Demo().Model().Faults().faultBlock = 1;
    rig.Demo().Model().Faults().faultBlockResult = sim::BlockResult::kAbort;
    DemoRig::Click(W(res::kUpgradeButton));
    ASSERT_TRUE(rig.RunUntil([&] { return Page().FailureMark(); }, 15000));
    EXPECT_EQ(LogColour(), QColor(255, 0, 0));
    const QString log = Log()->toPlainText();
    EXPECT_TRUE(log.startsWith("->Upgrading MCU...")) << log.toStdString();
    // The log as drawn: its text in red, the lines from before the failure too.
    const QImage drawn = Log()->viewport()->grab().toImage();
    bool red = false;
    for (int y = 0; y < 20 && !red; ++y)
        for (int x = 0; x < drawn.width() && !red; ++x) {
            const QColor c = drawn.pixelColor(x, y);
            red = c.red() > 200 && c.green() < 80 && c.blue() < 80;
        }
    EXPECT_TRUE(red) << "the first line is drawn red";

    rig.Demo().Model().Faults().faultBlock = -1;
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Quiet(); }));
    DemoRig::Click(W(res::kUpgradeButton));
    EXPECT_FALSE(Page().FailureMark());
    EXPECT_NE(LogColour(), QColor(255, 0, 0));
}

// The switcher keeps its text as bytes, each the character of its code: on
// screen E9 is "\u00e9" and B0 the degree sign, never a replacement character.
TEST(UpgradePageGuiText, TheDeviceTextShowsEachByteAsTheCharacterOfItsCode) {
    DemoRig rig;
    ASSERT_TRUE(rig.Started());
    rig.Demo().Model().State().deviceText = sim::SwitcherState::MakeDeviceText(
        "Caf\xE9 22\xB0"
        "C");
    rig.ConnectByTcp();
    rig.VisitPage(res::kUpgradeLabel);
    auto& page = dynamic_cast<CFWDlg&>(rig.Dlg().PageFor(PageCode::kUpgrade));
    ASSERT_TRUE(rig.RunUntil([&] { return page.DeviceTextReads() > 0 && rig.Quiet(); }));
    auto* label = qobject_cast<QLabel*>(rig.Page(PageCode::kUpgrade, res::kDeviceTextLabel));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QString::fromUtf8("Caf\u00e9 22\u00b0C").leftJustified(32, u' '));
}

}  // namespace
}  // namespace torvane::gui
