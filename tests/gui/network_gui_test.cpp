// Search and network configuration on screen, answered by the demo
// switcher's network module on loopback.

#include <gtest/gtest.h>

#include <QLineEdit>

#include "demo_rig.h"

namespace torvane::gui {
namespace {

TEST(NetworkGui, SearchFindsTheDemoSwitcherAndConfigSendsItsSettings) {
    DemoRig rig;
    ASSERT_TRUE(rig.Started());
    DemoRig::Click(rig.Main(res::kTcpModeRadio));
    DemoRig::Click(rig.Main(res::kSearchButton));
    ASSERT_TRUE(rig.RunUntil([&] { return !rig.Dlg().SwitcherDiscovery().Listed().empty(); }));
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Quiet(); }));
    auto* list = qobject_cast<QComboBox*>(rig.Main(res::kSwitcherIpList));
    EXPECT_NE(list->findText("127.0.0.1", Qt::MatchContains), -1);

    DemoRig::Click(rig.Main(res::kConfigButton));
    WindowView& config = rig.Front().NetworkConfigView();
    ASSERT_TRUE(config.isVisible());
    EXPECT_EQ(config.windowModality(), Qt::WindowModal);
    EXPECT_EQ(config.ControlWidget(res::kConfigCloseButton)->geometry(),
              QRect(config.width() - 26, 1, 25, 25));
    EXPECT_EQ(qobject_cast<QLineEdit*>(config.ControlWidget(res::kConfigIpEdits[0]))->text(),
              "127");
    DemoRig::Click(config.ControlWidget(res::kConfigOkButton));
    EXPECT_FALSE(config.isVisible());
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Quiet(); }, 8000));
    EXPECT_FALSE(rig.Dlg().Message().Showing());
}

}  // namespace
}  // namespace torvane::gui
