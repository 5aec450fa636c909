// `torvane --demo --front-panel`: the demo switcher changed at its own front
// panel and taken away for a while, with the window connected over its
// serial port: the change is found by the window's refresh, and the window
// finds the port again by its link name when it is back.

#include <gtest/gtest.h>

#include <algorithm>

#include "app/live_settings.h"
#include "demo_rig.h"

namespace torvane::gui {
namespace {

bool Holds(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(DemoFrontPanel, AChangeAtTheSwitcherIsFoundAndTheSerialLinkComesBackByItsName) {
    DemoRig rig(std::nullopt, true);
    ASSERT_TRUE(rig.Started());
    LiveSettings live;
    live.refreshSeconds = 2;
    rig.Front().StatusLine().Apply(live);
    rig.ConnectBySerial();
    const std::string link = rig.Demo().SerialPath();
    EXPECT_EQ(rig.Dlg().LinkName(), link);
    EXPECT_NE(link.find("torvane-demo-"), std::string::npos) << link;

    rig.Tell("route 3 B");
    EXPECT_TRUE(rig.RunUntil([&] { return Holds(rig.PanelSaid(), "panel route 3 B"); }));
    EXPECT_TRUE(rig.RunUntil(
        [&] { return rig.Dlg().State().Value(StateItem::kRoute, 2) == StateValue(3); }, 8000));

    LinkStatusLine& line = rig.Front().StatusLine();
    const QString name = QString::fromStdString(link);
    rig.Tell("vanish 0.5");
    EXPECT_TRUE(rig.RunUntil([&] { return line.text().startsWith(name + ": lost"); }))
        << line.text().toStdString();
    EXPECT_TRUE(rig.RunUntil([&] { return Holds(rig.PanelSaid(), "panel back"); }));
    EXPECT_TRUE(rig.RunUntil([&] { return line.text().startsWith(name + ": connected"); }, 8000))
        << line.text().toStdString();
    EXPECT_TRUE(rig.Dlg().SerialOpen());

    rig.Tell("route 9 B");
    EXPECT_TRUE(rig.RunUntil([&] {
        return !rig.PanelSaid().empty() &&
               rig.PanelSaid().back().find("line 3") != std::string::npos;
    })) << (rig.PanelSaid().empty() ? "" : rig.PanelSaid().back());
}

}  // namespace
}  // namespace torvane::gui
