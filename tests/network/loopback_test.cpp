// The main window's Search, TCP connect and Config... over real loopback UDP
// and TCP against three torvane-sim processes.

#include <chrono>
#include <functional>

#include "app/torvane_dlg.h"
#include "links/posix_link_factory.h"
#include "network/three_sims.h"
#include "platform/poll_loop.h"
#include "res/resource_ids.h"

namespace torvane::test {
namespace {

class LoopbackNetwork : public ThreeSims {
  protected:
    void SetUp() override {
        ThreeSims::SetUp();
        dlg.InitDialog();
        dlg.SetDiscoverySettings(Loopback());
        dlg.Click(res::kTcpModeRadio);
    }
    bool RunUntil(const std::function<bool()>& done, int maxMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
        while (!done() && std::chrono::steady_clock::now() < deadline) loop.RunFor(10);
        return done();
    }
    const std::vector<std::string>& Listed() const {
        return dlg.Controls().Items(res::kSwitcherIpList);
    }
    bool Search(std::size_t expected) {
        dlg.Click(res::kSearchButton);
        return RunUntil([&] { return Listed().size() >= expected; }, 5000);
    }

    PollLoop loop;
    PosixLinkFactory links{loop};
    CTorvaneDlg dlg{loop, links, nullptr};
};

TEST_F(LoopbackNetwork, SearchListsThreeSwitchersAndOneOfThemTakesAConnection) {
    ASSERT_TRUE(Search(3));
    EXPECT_EQ(Listed(), (std::vector<std::string>{"127.0.0.2", "127.0.0.3", "127.0.0.4"}));
    dlg.Select(res::kSwitcherIpList, 1);
    const NetworkFields& fields = dlg.SwitcherDiscovery().Fields();
    EXPECT_EQ(AddressText(fields.ip) + " " + MacText(fields.mac), "127.0.0.3 020000000003");

    dlg.SetControlPort(sims[1].TcpPort());
    dlg.Click(res::kTcpConnectButton);
    ASSERT_TRUE(RunUntil([&] { return dlg.TcpConnected(); }, 5000));
    EXPECT_EQ(dlg.SwitcherIp(), "127.0.0.3");
}

TEST_F(LoopbackNetwork, AConfiguredSwitcherIsListedAtItsNewAddress) {
    ASSERT_TRUE(Search(3));
    dlg.Select(res::kSwitcherIpList, 2);
    dlg.Click(res::kConfigButton);
    CConfigIPDlg& config = dlg.ConfigIp();
    config.Click(res::kStaticIpRadio);
    const std::array<std::string, 4> ip{"127", "0", "0", "24"};
    for (int i = 0; i < 4; ++i) config.EditText(res::kConfigIpEdits[i], ip[i]);
    config.Click(res::kConfigOkButton);
    ASSERT_FALSE(config.Running());

    ASSERT_TRUE(RunUntil([&] { return !dlg.Busy().Flagged(); }, 20000));
    EXPECT_FALSE(dlg.Message().Showing()) << dlg.Message().MessageText();
    EXPECT_EQ(dlg.Busy().BusyText(), "Configure successfully!");
    EXPECT_EQ(Listed(), (std::vector<std::string>{"127.0.0.2", "127.0.0.24", "127.0.0.3"}));

    dlg.Select(res::kSwitcherIpList, 1);
    dlg.SetControlPort(sims[2].TcpPort());
    dlg.Click(res::kTcpConnectButton);
    EXPECT_TRUE(RunUntil([&] { return dlg.TcpConnected(); }, 5000))
        << "its control port moved with it";
}

}  // namespace
}  // namespace torvane::test
