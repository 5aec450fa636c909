// The window keeping its link alive, on virtual time against the in-process
// switcher: a lost link reopened and its state read again, a silent switcher
// noticed by the keep-alive, the state refreshed while idle, and the
// operator's click served in the middle of a refresh.

#include <algorithm>

#include "live_fixture.h"
#include "res/upgrade_page_ids.h"
#include "support/bytes.h"

namespace torvane::test {
namespace {

using V = std::vector<std::string>;

class Supervised : public LiveDesk {
  protected:
    void SetUp() override {
        LiveDesk::SetUp();
        dlg->SetSupervision(settings);
    }
    LinkState State() const { return dlg->Supervisor().State(); }
    // Units the switcher received since the last call, as hex.
    V Wire() {
        V units;
        for (const auto& u : model.ReceivedUnits()) units.push_back(ToHex(u));
        model.ClearHistory();
        return units;
    }
    static std::string Unit(const CommandFrame& frame) {
        CommandFrame unit = frame;
        CompleteUnit(unit.data(), unit.size());
        return ToHex(std::vector<std::uint8_t>(unit.begin(), unit.end()));
    }
    static std::size_t Count(const V& wire, const CommandFrame& frame) {
        return static_cast<std::size_t>(std::count(wire.begin(), wire.end(), Unit(frame)));
    }

    SupervisorSettings settings{true, 0, 0};
};

TEST_F(Supervised, ADroppedTcpLinkIsReopenedByItselfAndItsWholeStateReadAgain) {
    ConnectTcp();
    Enter(res::kMatrixLabel);
    Wire();
    TakeChanges();

    links.SetTcpAccepting(model, false);
    links.DropTcpConnections(model);
    loop.RunPending();
    EXPECT_EQ(State(), LinkState::kLost);
    EXPECT_EQ(dlg->Supervisor().LossReason(), "Connection to Matrix lost!");
    EXPECT_FALSE(dlg->Message().Showing());  // the status line tells, no box to close
    // Changed on the front panel while the program could not see it.
    model.State().routing[1] = 7;

    loop.Advance(500);  // the first attempt is refused
    EXPECT_EQ(State(), LinkState::kLost);
    links.SetTcpAccepting(model, true);
    loop.Advance(1000);  // the second attempt, 1 s later, connects
    EXPECT_EQ(State(), LinkState::kConnected);
    EXPECT_TRUE(dlg->TcpConnected());
    loop.Advance(2000);
    const V wire = Wire();
    // Everything is read: power first, then routing, identity and device text.
    ASSERT_FALSE(wire.empty());
    EXPECT_EQ(wire.front(), Unit(PowerStateQuery()));
    EXPECT_EQ(Count(wire, MatrixQuery(8)), 1u);
    EXPECT_EQ(Count(wire, DeviceTextRead(op::kLastTextRead)), 1u);
    EXPECT_GE(dlg->Supervisor().StateReadAt(), dlg->Supervisor().ReturnedAt());
    auto c = TakeChanges();
    auto route = std::find_if(c.begin(), c.end(),
                              [](const StateChange& x) { return x.what == StateItem::kRoute; });
    ASSERT_NE(route, c.end());
    EXPECT_EQ(route->index, 2);
    EXPECT_EQ(route->after, StateValue{7});
    EXPECT_EQ(route->cause, ChangeCause::kElsewhere);
    // The page shown shows it.
    EXPECT_TRUE(app->MatrixPage().Controls().Checked(InputButton(2, 7)));
    EXPECT_EQ(app->MatrixPage().CurrentInput(2), 7);
}

TEST_F(Supervised, WithoutReconnectingTheLossIsReportedAsItAlwaysWas) {
    dlg->SetSupervision({false, 0, 0});
    ConnectTcp();
    links.DropTcpConnections(model);
    loop.RunPending();
    EXPECT_EQ(dlg->Message().MessageText(), "Connection to Matrix lost!");
    CloseMessage();
    Wire();
    loop.Advance(60000);
    EXPECT_EQ(Wire(), V{});
    EXPECT_EQ(State(), LinkState::kLost);
}

TEST_F(Supervised, AnUnpluggedAdapterIsReopenedByTheSamePathWhenItComesBack) {
    ConnectCom();
    links.UnplugSerial();
    loop.RunPending();
    EXPECT_EQ(State(), LinkState::kLost);
    EXPECT_EQ(dlg->Supervisor().LossReason(), "Serial port failed!");
    loop.Advance(500 + 1000 + 2000);  // three attempts find no port
    EXPECT_EQ(State(), LinkState::kLost);
    EXPECT_EQ(dlg->Supervisor().Attempts(), 3);
    // A click meanwhile names the failure.
    dlg->Click(res::kStatusButton);
    EXPECT_EQ(dlg->Message().MessageText(), "Serial port failed!");
    CloseMessage();

    links.PlugInSerial();
    loop.Advance(4000);
    EXPECT_EQ(State(), LinkState::kConnected);
    EXPECT_TRUE(dlg->SerialOpen());
    loop.Advance(2000);
    // The General page shows the state read again: power, beep and connections.
    EXPECT_TRUE(dlg->Controls().Checked(res::kPowerOnBox));
    EXPECT_EQ(dlg->Controls().Text(res::kFirstInputLabel), "HDMI IN1: Connect");
}

TEST_F(Supervised, TheUpgradePageShownIsReadAgainWhenTheLinkComesBack) {
    ConnectCom();
    Enter(res::kUpgradeLabel);
    const ControlTable& page = app->UpgradePage().Controls();
    EXPECT_NE(page.Text(res::kDeviceLineLabel).find("Version:1.0"), std::string::npos)
        << page.Text(res::kDeviceLineLabel);

    links.UnplugSerial();
    loop.RunPending();
    // Upgraded and renamed elsewhere while the program could not see it.
    model.State().identity.versionMajor = 2;
    model.State().identity.versionMinor = 3;
    model.State().deviceText = sim::SwitcherState::MakeDeviceText("Rack 4");
    links.PlugInSerial();
    loop.Advance(500 + 4000);
    EXPECT_EQ(State(), LinkState::kConnected);
    EXPECT_NE(page.Text(res::kDeviceLineLabel).find("Version:2.3"), std::string::npos)
        << page.Text(res::kDeviceLineLabel);
    EXPECT_EQ(page.Text(res::kDeviceTextLabel).substr(0, 6), "Rack 4");
    EXPECT_TRUE(dlg->BusyGateOpen());
}

TEST_F(Supervised, ASilentSwitcherIsNoticedByTheKeepAliveOnAnIdleLink) {
    dlg->SetSupervision({true, 2000, 0});
    ConnectTcp();
    Wire();
    // Two seconds after the last answer (the beep state's, on connecting).
    loop.Advance(1900);
    EXPECT_EQ(Wire(), V{});
    loop.Advance(100);
    EXPECT_EQ(Wire(), V{Unit(PowerStateQuery())});
    loop.Advance(1900);
    EXPECT_EQ(Wire(), V{});
    loop.Advance(100);
    EXPECT_EQ(Wire(), V{Unit(PowerStateQuery())});

    model.Faults().silent = true;
    loop.Advance(3000);  // a keep-alive is sent and not answered; sent once more after 1 s
    EXPECT_EQ(Wire(), (V{Unit(PowerStateQuery()), Unit(PowerStateQuery())}));
    EXPECT_EQ(State(), LinkState::kConnected);
    loop.Advance(1000);
    EXPECT_EQ(State(), LinkState::kLost);
    EXPECT_EQ(dlg->Supervisor().LossReason(), "switcher not answering");
    EXPECT_FALSE(dlg->TcpConnected());
    EXPECT_EQ(links.TcpConnectionCount(model), 0);

    model.Faults().silent = false;
    loop.Advance(500);
    EXPECT_EQ(State(), LinkState::kConnected);
}

TEST_F(Supervised, CommandsFromBeforeTheLossAreNeverSentAgain) {
    ConnectTcp();
    Enter(res::kMatrixLabel);
    model.Timing().replyDelayMs = 100;
    Wire();
    app->MatrixPage().Click(InputButton(2, 6));
    loop.RunPending();
    links.DropTcpConnections(model);  // before the acknowledgement
    loop.RunPending();
    EXPECT_EQ(Wire(), V{Unit(Route(6, 2))});
    loop.Advance(20000);  // reconnected, read, and past every resend time
    EXPECT_EQ(State(), LinkState::kConnected);
    EXPECT_EQ(Count(Wire(), Route(6, 2)), 0u);
    CloseMessage();
    EXPECT_TRUE(dlg->BusyGateOpen());
}

TEST_F(Supervised, TheRefreshFindsChangesMadeElsewhereAndGivesWayToAClick) {
    dlg->SetSupervision({true, 0, 5000});
    model.Timing().replyDelayMs = 20;
    ConnectTcp();
    Enter(res::kMatrixLabel);
    TakeChanges();
    Wire();

    model.State().routing[2] = 1;             // the front panel: input 1 on output C
    loop.Advance(5000 - 1500 + 20 * 10 + 5);  // the refresh is some queries in
    EXPECT_TRUE(dlg->Reading().InFlight());
    const V before = Wire();
    EXPECT_FALSE(before.empty());
    // The operator clicks: held for the answer in flight, then sent at once.
    app->MatrixPage().Click(InputButton(4, 2));
    EXPECT_FALSE(app->MatrixPage().AwaitingSwitcher());
    loop.Advance(20);
    EXPECT_EQ(Wire(), V{Unit(Route(2, 4))});
    loop.Advance(20);
    EXPECT_TRUE(app->MatrixPage().Controls().Checked(InputButton(4, 2)));
    EXPECT_TRUE(dlg->BusyGateOpen());

    // The refresh goes on once the link is quiet, and finds the change.
    loop.Advance(3000);
    EXPECT_FALSE(dlg->Reading().Busy());
    const V after = Wire();
    EXPECT_EQ(Count(after, EdidStateQuery(8)), 1u);
    EXPECT_EQ(Count(after, DeviceTextRead(op::kFirstTextRead)), 0u);  // not the identity
    bool found = false;
    for (const auto& c : TakeChanges())
        if (c.what == StateItem::kRoute && c.index == 3) {
            EXPECT_EQ(c.after, StateValue{1});
            EXPECT_EQ(c.cause, ChangeCause::kElsewhere);
            found = true;
        }
    EXPECT_TRUE(found);
    EXPECT_TRUE(app->MatrixPage().Controls().Checked(InputButton(3, 1)));
    // The route of the click is the program's change, found again by reading: no change.
    EXPECT_EQ(Known(StateItem::kRoute, 4), StateValue{2});
}

}  // namespace
}  // namespace torvane::test
