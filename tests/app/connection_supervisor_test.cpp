// The supervisor's decisions on virtual time, against a link that records
// what it is asked to do and answers as each test says.

#include "app/connection_supervisor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/link_status_text.h"
#include "platform/virtual_loop.h"

namespace torvane::test {
namespace {

using V = std::vector<std::string>;

class RecordingLink : public SupervisedLink {
  public:
    void Reopen() override { asked.push_back("reopen"); }
    void CloseQuietly() override { asked.push_back("close"); }
    void ReadState(bool whole) override { asked.push_back(whole ? "read all" : "refresh"); }
    bool SendKeepAlive() override {
        if (busy) return false;
        asked.push_back("keep-alive");
        return true;
    }
    V Take() {
        V taken;
        taken.swap(asked);
        return taken;
    }
    V asked;
    bool busy = false;
};

class Supervisor : public ::testing::Test {
  protected:
    void SetUp() override {
        supervisor.AddObserver([this](LinkState s) { states.push_back(LinkStateName(s)); });
    }
    void ConnectByOperator() {
        supervisor.OperatorConnecting();
        supervisor.Connected();
        states.clear();
    }
    V TakeStates() {
        V taken;
        taken.swap(states);
        return taken;
    }

    VirtualLoop loop;
    RecordingLink link;
    double random = 0.0;
    ConnectionSupervisor supervisor{loop, link, [this] { return random; }};
    V states;
};

TEST(SupervisorWaits, GrowFromHalfASecondToThirtyAndAreShortenedByTheJitterOnly) {
    const int expected[] = {500, 1000, 2000, 4000, 8000, 16000, 30000, 30000, 30000};
    for (int attempt = 0; attempt < 9; ++attempt) {
        EXPECT_EQ(ConnectionSupervisor::WaitBefore(attempt, 0.0), expected[attempt]);
        // The jitter takes off up to a quarter, never adds.
        EXPECT_EQ(ConnectionSupervisor::WaitBefore(attempt, 0.999),
                  expected[attempt] - static_cast<int>(0.999 * expected[attempt] / 4));
    }
    EXPECT_EQ(ConnectionSupervisor::WaitBefore(40, 0.5), 30000 - 3750);
}

TEST_F(Supervisor, ALostLinkIsReopenedAfterGrowingWaitsAndReadWholeOnceBack) {
    ConnectByOperator();
    supervisor.Lost("Connection to Matrix lost!");
    EXPECT_EQ(TakeStates(), V{"lost"});
    EXPECT_EQ(supervisor.LossReason(), "Connection to Matrix lost!");
    EXPECT_EQ(supervisor.NextAttemptAt(), loop.Now() + 500);

    // The first attempt at 0.5 s fails; the next waits 1 s, then 2 s.
    loop.Advance(499);
    EXPECT_EQ(link.Take(), V{});
    loop.Advance(1);
    EXPECT_EQ(link.Take(), V{"reopen"});
    random = 0.5;
    supervisor.OpenFailed("Connection refused");
    EXPECT_EQ(TakeStates(), (V{"reconnecting", "lost"}));
    loop.Advance(874);
    EXPECT_EQ(link.Take(), V{});
    loop.Advance(1);
    EXPECT_EQ(link.Take(), V{"reopen"});            // 1000 less an eighth
    supervisor.Lost("Connection to Matrix lost!");  // it ended as soon as it opened
    EXPECT_EQ(supervisor.State(), LinkState::kLost);
    EXPECT_EQ(supervisor.Attempts(), 2);
    loop.Advance(1750);
    EXPECT_EQ(link.Take(), V{"reopen"});
    TakeStates();

    supervisor.Connected();
    EXPECT_EQ(TakeStates(), V{"connected"});
    EXPECT_EQ(link.Take(), V{"read all"});
    EXPECT_EQ(supervisor.Attempts(), 0);
    // Back to the first wait for the next loss.
    supervisor.Lost("Serial port failed!");
    EXPECT_EQ(supervisor.NextAttemptAt(), loop.Now() + 500 - 62);
}

TEST_F(Supervisor, EveryObserverHearsEachChangeUntilRemoved) {
    V second;
    const int id = supervisor.AddObserver([&](LinkState s) { second.push_back(LinkStateName(s)); });
    ConnectByOperator();
    supervisor.Lost("Connection to Matrix lost!");
    EXPECT_EQ(TakeStates(), V{"lost"});
    EXPECT_EQ(second, (V{"connecting", "connected", "lost"}));
    supervisor.RemoveObserver(id);
    loop.Advance(500);
    EXPECT_EQ(TakeStates(), V{"reconnecting"});
    EXPECT_EQ(second.size(), 3u);
}

TEST_F(Supervisor, WithoutReconnectingOrAfterTheOperatorDisconnectsNothingIsReopened) {
    supervisor.SetSettings({false, 0, 0});
    ConnectByOperator();
    supervisor.Lost("Serial port failed!");
    loop.Advance(120000);
    EXPECT_EQ(link.Take(), V{});
    EXPECT_EQ(supervisor.State(), LinkState::kLost);
    // Turned on while lost: the waits begin.
    supervisor.SetSettings({true, 0, 0});
    loop.Advance(500);
    EXPECT_EQ(link.Take(), V{"reopen"});
    supervisor.OperatorDisconnected();
    supervisor.OpenFailed("gone");
    loop.Advance(120000);
    EXPECT_EQ(link.Take(), V{});
    EXPECT_EQ(supervisor.State(), LinkState::kDisconnected);

    // The operator's own failed attempt is the operator's to repeat.
    supervisor.OperatorConnecting();
    supervisor.OpenFailed("Connection refused");
    loop.Advance(120000);
    EXPECT_EQ(link.Take(), V{});
    EXPECT_EQ(supervisor.State(), LinkState::kDisconnected);
}

TEST_F(Supervisor, AnIdleLinkIsAskedAfterTheKeepAliveIntervalAndASilentSwitcherIsALoss) {
    supervisor.SetSettings({true, 2000, 0});
    ConnectByOperator();
    loop.Advance(1500);
    supervisor.Answered();  // traffic of the operator's: no need to ask
    loop.Advance(1999);
    EXPECT_EQ(link.Take(), V{});
    loop.Advance(1);
    EXPECT_EQ(link.Take(), V{"keep-alive"});
    supervisor.Answered();
    // A busy link is asked a little later, not skipped for a whole interval.
    link.busy = true;
    loop.Advance(2000);
    link.busy = false;
    loop.Advance(250);
    EXPECT_EQ(link.Take(), V{"keep-alive"});

    supervisor.NotAnswering();
    EXPECT_EQ(link.Take(), V{"close"});
    EXPECT_EQ(supervisor.State(), LinkState::kLost);
    EXPECT_EQ(supervisor.LossReason(), ConnectionSupervisor::kNotAnswering);
    loop.Advance(500);
    EXPECT_EQ(link.Take(), V{"reopen"});
    // No keep-alive while there is no link.
    loop.Advance(10000);
    EXPECT_EQ(link.Take(), V{});
}

TEST_F(Supervisor, RefreshesComeEveryIntervalWhileConnectedOnly) {
    supervisor.SetSettings({true, 0, 5000});
    ConnectByOperator();
    loop.Advance(15000);
    EXPECT_EQ(link.Take(), (V{"refresh", "refresh", "refresh"}));
    supervisor.Lost("Connection to Matrix lost!");
    supervisor.SetSettings({false, 0, 5000});
    loop.Advance(15000);
    EXPECT_EQ(link.Take(), V{});
}

TEST_F(Supervisor, TheStatusLineTellsTheLinkItsStateTheWaitAndTheAgeOfTheLastAnswer) {
    const std::string link = "127.0.0.1:8000";
    auto line = [&] { return LinkStatusText(supervisor, link, loop.Now()); };
    EXPECT_EQ(line(), "not connected");
    supervisor.OperatorConnecting();
    EXPECT_EQ(line(), "127.0.0.1:8000: connecting");
    supervisor.Connected();
    EXPECT_EQ(line(), "127.0.0.1:8000: connected");
    supervisor.Answered();
    loop.Advance(2900);
    EXPECT_EQ(line(), "127.0.0.1:8000: connected, last answer 2 s ago");
    random = 0.999;  // a first wait of 376 ms still reads 1 s
    supervisor.Lost("Connection to Matrix lost!");
    EXPECT_EQ(line(), "127.0.0.1:8000: lost: reconnecting in 1 s, last answer 2 s ago");
    random = 0.0;
    loop.Advance(376);
    EXPECT_EQ(line(), "127.0.0.1:8000: reconnecting, last answer 3 s ago");
    supervisor.OpenFailed("Connection refused");
    loop.Advance(1);
    EXPECT_EQ(line(), "127.0.0.1:8000: lost: reconnecting in 1 s, last answer 3 s ago");
    supervisor.SetSettings({true, 0, 0});
    loop.Advance(999);
    supervisor.Connected();
    supervisor.Answered();
    supervisor.NotAnswering();
    EXPECT_EQ(line(),
              "127.0.0.1:8000: switcher not answering: reconnecting in 1 s, last answer 0 s ago");
    supervisor.SetSettings({false, 0, 0});
    EXPECT_EQ(line(), "127.0.0.1:8000: switcher not answering, last answer 0 s ago");
    supervisor.OperatorDisconnected();
    EXPECT_EQ(line(), "not connected");
}

}  // namespace
}  // namespace torvane::test
