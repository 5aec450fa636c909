// A whole firmware upgrade through the real serial port driver, against
// torvane-sim on its pseudo-terminal. Page timers stay in virtual time; the
// bytes move in real time.

#include <gtest/gtest.h>

#include <fstream>
#include <utility>
#include <vector>

#include "app/torvane_app.h"
#include "links/posix_link_factory.h"
#include "pages/fw_dlg.h"
#include "platform/virtual_loop.h"
#include "res/resource_ids.h"
#include "res/upgrade_page_ids.h"
#include "support/sim_process.h"

namespace torvane::test {
namespace {

TEST(UpgradeOverPseudoTerminal, ImageGoesThroughCSerialPortAndTheSwitcherComesBack) {
    sim::test::SimProcess sim;
    ASSERT_TRUE(sim.Start({"--port", "0", "--no-udp", "--reply-delay", "0", "--ready-delay", "0",
                           "--restart", "0", "--version", "1.4"}));
    const std::string port = sim.Said("serial");
    VirtualLoop loop;
    PosixLinkFactory links(loop);
    links.AddExtraPort({port, "Simulated switcher", "", ""});
    CTorvaneApp app(loop, links);
    CTorvaneDlg& dlg = app.InitInstance(nullptr);
    std::vector<std::pair<int, int>> dataFrames;  // (flag, block)
    dlg.SetTrace([&](char direction, const std::uint8_t* bytes, std::size_t count) {
        if (direction == '>' && count == kDataFrameSize)
            dataFrames.emplace_back(bytes[2], bytes[3]);
    });
    const auto& items = dlg.Controls().Items(res::kPortList);
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] == port) dlg.Select(res::kPortList, static_cast<int>(i));
    dlg.Click(res::kComConnectButton);
    ASSERT_TRUE(dlg.SerialOpen()) << dlg.LastLinkError();
    ASSERT_TRUE(loop.RunUntil([&] { return dlg.BusyGateOpen() && !dlg.AwaitingReply(); }, 5000));

    auto& page = dynamic_cast<CFWDlg&>(dlg.PageFor(PageCode::kUpgrade).PageWindow());
    const Rect label = dlg.Controls().At(res::kUpgradeLabel).rect;
    dlg.PressAt({label.x + 1, label.y + 1});
    ASSERT_TRUE(loop.RunUntil([&] { return page.DeviceTextReads() == 1; }, 5000));
    EXPECT_EQ(page.Controls().Text(res::kDeviceLineLabel),
              "Device: HDMI Matrix 8x8     Version:1.4");

    const std::string image = ::testing::TempDir() + "torvane_pty_upgrade.bin";
    std::ofstream(image, std::ios::binary) << std::string(3000, '\x5A');
    page.Click(res::kFirmwareOpenButton);
    page.AnswerFileChoice(image);
    std::remove(image.c_str());
    page.Click(res::kUpgradeButton);
    EXPECT_TRUE(loop.RunUntil([&] { return page.DeviceTextReads() == 2; }, 10000));

    EXPECT_EQ(page.Controls().Text(res::kUpgradeLog),
              "->Upgrading MCU...\r\n->System rebooting, please wait...\r\n"
              "->System reboot ok \r\n->MCU upgrading complete \r\n"
              "->Firmware upgrade successfully \r\n");
    EXPECT_EQ(dataFrames, (std::vector<std::pair<int, int>>{{0x00, 0}, {0x00, 1}, {0x80, 2}}));
    EXPECT_EQ(page.Controls().Text(res::kDeviceLineLabel),
              "Device: HDMI Matrix 8x8     Version:1.5");
    EXPECT_FALSE(page.FailureMark());
    EXPECT_TRUE(dlg.BusyGateOpen());
}

}  // namespace
}  // namespace torvane::test
