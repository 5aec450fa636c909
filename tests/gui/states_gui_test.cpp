// What the window says about its state: disabled controls look disabled, a
// failure never looks like success, Factory Reset asks first, a lost link
// shows at once, the upgrade shows its progress and its restart wait, and
// the About box names both versions.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QProgressBar>

#include "demo_rig.h"
#include "res/edid_page_ids.h"

namespace torvane::gui {
namespace {

class StatesTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(rig.Started()); }
    WindowView& MessageView() { return rig.Front().MessageView(); }
    std::string MessageText() { return rig.Dlg().Message().MessageText(); }
    DemoRig rig;
};

// The colour a control's caption is drawn in, as it is drawn now.
QColor CaptionColour(QWidget* w) {
    const QPalette::ColorGroup group = w->isEnabled() ? QPalette::Active : QPalette::Disabled;
    const QPalette::ColorRole role =
        qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractButton*>(w) ? QPalette::ButtonText
                                                                         : QPalette::WindowText;
    return w->palette().color(group, role);
}

TEST_F(StatesTest, DisabledControlsLookDisabled) {
    const QColor enabledText = CaptionColour(rig.Main(res::kComConnectButton));
    // COM mode: the TCP group is disabled, and must look it.
    for (int id : {res::kTcpConnectButton, res::kSearchButton, res::kSwitcherIpLabel,
                   res::kSwitcherIpList}) {
        QWidget* w = rig.Main(id);
        ASSERT_FALSE(w->isEnabled()) << id;
        EXPECT_NE(CaptionColour(w), enabledText) << id;
    }
    // The port list while its port is open.
    rig.ConnectBySerial();
    QWidget* ports = rig.Main(res::kPortList);
    ASSERT_FALSE(ports->isEnabled());
    EXPECT_NE(CaptionColour(ports), enabledText);
    // Pixels too: the disabled Search button's caption is lighter than the
    // enabled Connect button's.
    auto darkest = [](QWidget* w) {
        const QImage image = w->grab().toImage();
        int lightness = 255;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                lightness = std::min(lightness, image.pixelColor(x, y).lightness());
        return lightness;
    };
    EXPECT_GT(darkest(rig.Main(res::kSearchButton)),
              darkest(rig.Main(res::kComConnectButton)) + 40);
}

// Copying the EDID of an output with no display is refused: a failure, in the
// message dialog, until the operator closes it.
TEST_F(StatesTest, ARefusedEdidCopyIsAFailureThatStaysUntilClosed) {
    rig.ConnectBySerial();
    rig.VisitPage(res::kEdidLabel);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Quiet(); }));
    rig.RunUntil([] { return false; }, 300);
    auto* output = qobject_cast<QComboBox*>(rig.Page(PageCode::kEdid, res::kCopyOutputList));
    ASSERT_NE(output, nullptr);
    DemoRig::ChooseWithKeys(output, 7);  // OUTH: no display in the demo
    DemoRig::Click(rig.Page(PageCode::kEdid, res::kCopySetButton));
    ASSERT_TRUE(rig.RunUntil([&] { return MessageView().isVisible(); }));
    EXPECT_EQ(MessageText(), "Can't find the valid data!");
    EXPECT_FALSE(rig.Front().BusyView().isVisible());
    rig.RunUntil([] { return false; }, 1500);
    EXPECT_TRUE(MessageView().isVisible());
    DemoRig::Click(rig.Message(CMessageDlg::kOkButton));
    EXPECT_TRUE(rig.RunUntil([&] { return rig.Quiet(); }));
}

TEST_F(StatesTest, FactoryResetAsksFirst) {
    rig.ConnectBySerial();
    rig.Demo().Model().State().beepOn = false;
    DemoRig::Click(rig.Main(res::kFactoryResetButton));
    ASSERT_TRUE(MessageView().isVisible());
    EXPECT_EQ(MessageText(), "Do you want to reset to factory settings?");
    QWidget* cancel = rig.Message(CMessageDlg::kCancelButton);
    ASSERT_TRUE(cancel->isVisible());
    DemoRig::Click(cancel);
    rig.RunUntil([] { return false; }, 300);
    EXPECT_FALSE(rig.Demo().Model().State().beepOn) << "nothing was reset";
    EXPECT_FALSE(rig.Front().BusyView().isVisible());

    DemoRig::Click(rig.Main(res::kFactoryResetButton));
    DemoRig::Click(rig.Message(CMessageDlg::kOkButton));
    EXPECT_TRUE(rig.Front().BusyView().isVisible());
    EXPECT_TRUE(rig.RunUntil([&] { return rig.Demo().Model().State().beepOn; }));
}

// A link that goes down by itself is shown at once: the message, the button,
// and a General page that no longer shows what the link said.
TEST_F(StatesTest, ALostSerialLinkIsShownAtOnce) {
    // With "Reconnect automatically" off the loss is the operator's to handle.
    rig.Front().StatusLine().Apply(LiveSettings{false, 0, 0});
    rig.ConnectBySerial();
    DemoRig::Click(rig.Main(res::kStatusButton));
    ASSERT_TRUE(rig.RunUntil(
        [&] { return rig.Quiet() && !rig.LabelText(res::kFirstOutputLabel + 7).isEmpty(); }));
    auto* power = qobject_cast<QCheckBox*>(rig.Main(res::kPowerOnBox));
    ASSERT_TRUE(power->isChecked());
    rig.Demo().Model().Faults().hangUp = true;
    DemoRig::Click(rig.Main(res::kStatusButton));
    ASSERT_TRUE(rig.RunUntil([&] { return MessageView().isVisible(); }));
    EXPECT_EQ(MessageText(), "Serial port failed!");
    EXPECT_FALSE(rig.Dlg().SerialOpen());
    EXPECT_EQ(qobject_cast<QAbstractButton*>(rig.Main(res::kComConnectButton))->text(), "Connect");
    EXPECT_TRUE(rig.Main(res::kPortList)->isEnabled());
    EXPECT_TRUE(rig.LabelText(res::kFirstInputLabel).isEmpty());
    EXPECT_FALSE(power->isChecked());
}

TEST_F(StatesTest, ALostTcpLinkIsShownAtOnceAndDisconnectNeverReconnects) {
    rig.Front().StatusLine().Apply(LiveSettings{false, 0, 0});
    rig.ConnectByTcp();
    auto* button = qobject_cast<QAbstractButton*>(rig.Main(res::kTcpConnectButton));
    ASSERT_EQ(button->text(), "Disconnect");
    rig.Demo().Model().Faults().hangUp = true;
    DemoRig::Click(rig.Main(res::kStatusButton));
    ASSERT_TRUE(rig.RunUntil([&] { return MessageView().isVisible(); }));
    EXPECT_EQ(MessageText(), "Connection to Matrix lost!");
    EXPECT_EQ(button->text(), "Connect");
    EXPECT_FALSE(qobject_cast<QCheckBox*>(rig.Main(res::kPowerOnBox))->isChecked());
    DemoRig::Click(rig.Message(CMessageDlg::kOkButton));
    rig.RunUntil([&] { return rig.Quiet(); }, 7000);  // the cut command's own time-out
    if (MessageView().isVisible()) DemoRig::Click(rig.Message(CMessageDlg::kOkButton));
    // Connect, then Disconnect: the second press leaves the link closed.
    DemoRig::Click(button);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Dlg().TcpConnected() && rig.Quiet(); }));
    DemoRig::Click(button);
    rig.RunUntil([] { return false; }, 300);
    EXPECT_FALSE(rig.Dlg().TcpConnected());
    EXPECT_EQ(button->text(), "Connect");
}

TEST_F(StatesTest, ATcpConnectThatFailsSaysWhyAtOnce) {
    rig.Dlg().SetControlPort(1);  // nothing listens there
    DemoRig::Click(rig.Main(res::kTcpModeRadio));
    DemoRig::Click(rig.Main(res::kTcpConnectButton));
    ASSERT_TRUE(rig.RunUntil([&] { return MessageView().isVisible(); }));
    EXPECT_EQ(MessageText(), "Connect to Matrix failed! (" + rig.Dlg().LastLinkError() + ")");
    EXPECT_FALSE(rig.Dlg().LastLinkError().empty());
}

TEST_F(StatesTest, TheAboutBoxNamesBothVersions) {
    rig.Dlg().SystemCommand(res::kAboutCommand);
    WindowView& about = rig.Front().AboutView();
    ASSERT_TRUE(about.isVisible());
    auto text = [&](int id) { return qobject_cast<QLabel*>(about.ControlWidget(id))->text(); };
    EXPECT_EQ(text(res::kAboutNameLabel), QStringLiteral("Torvane " TORVANE_VERSION));
    EXPECT_TRUE(text(res::kAboutVersionLabel).contains("protocol Ver6.41"));
    rig.Dlg().About().Click(res::kAboutOkButton);
}

}  // namespace
}  // namespace torvane::gui
