// The command owner on its own: one window's timers on virtual time, the
// units it sends collected, and what each command ended with.

#include "pages/command_owner.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/virtual_loop.h"

namespace torvane {
namespace {

struct OwnerFixture : ::testing::Test {
    VirtualLoop loop;
    WindowTimers timers{loop, [this](int id) { owner.OnTimer(id); }};
    std::vector<CommandFrame> sent;
    std::vector<CommandRecord> gaveUp;
    std::vector<CommandRecord> ended;
    CommandOwner owner{timers, [this](const CommandFrame& unit) { sent.push_back(unit); },
                       [this](const CommandRecord& command) { gaveUp.push_back(command); }};

    void SetUp() override {
        owner.AddObserver([this](const CommandRecord& command) { ended.push_back(command); });
    }
};

TEST_F(OwnerFixture, ResendsItsOwnUnitOnceThenGivesUp) {
    const auto serial = owner.Start(2000, Route(3, 5), {3000, 2000});
    ASSERT_EQ(sent.size(), 1u);
    loop.Advance(2999);
    EXPECT_EQ(sent.size(), 1u);
    loop.Advance(1);
    // The resend is the command's unit, not whatever another command built.
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1], Route(3, 5));
    EXPECT_FALSE(timers.IsRunning(2000));
    EXPECT_TRUE(timers.IsRunning(2001));
    EXPECT_TRUE(owner.Waiting(2000));

    loop.Advance(2000);
    EXPECT_EQ(sent.size(), 2u);
    ASSERT_EQ(gaveUp.size(), 1u);
    EXPECT_EQ(gaveUp[0].serial, serial);
    EXPECT_EQ(gaveUp[0].outcome, CommandOutcome::kTimedOut);
    EXPECT_FALSE(owner.AnyWaiting());
    EXPECT_FALSE(timers.IsRunning(2001));
    loop.Advance(10000);
    EXPECT_EQ(sent.size(), 2u) << "nothing more after giving up";
}

TEST_F(OwnerFixture, AReplyEndsTheCommandWithItsOutcomeAndStopsItsTimers) {
    struct Case {
        const char* name;
        bool resent;
        bool confirm;
        CommandOutcome outcome;
    };
    for (const Case& c :
         {Case{"confirmed at once", false, true, CommandOutcome::kConfirmed},
          Case{"confirmed after the resend", true, true, CommandOutcome::kConfirmed},
          Case{"refused", false, false, CommandOutcome::kRefused}}) {
        SCOPED_TRACE(c.name);
        owner.Start(7052, PowerSet(true), {3000, 3000});
        if (c.resent) loop.Advance(3000);
        CommandFrame reply = PowerSet(true);
        reply[4] = c.confirm ? kAcknowledged : 0x01;
        if (c.confirm)
            owner.Confirm(7052, ReplyView(reply.data()));
        else
            owner.Refuse(7052, ReplyView(reply.data()));
        EXPECT_FALSE(timers.IsRunning(7052));
        EXPECT_FALSE(timers.IsRunning(7053));
        ASSERT_FALSE(ended.empty());
        EXPECT_EQ(ended.back().outcome, c.outcome);
        ASSERT_TRUE(ended.back().reply);
        EXPECT_EQ(*ended.back().reply, reply);
        EXPECT_EQ(owner.LastEnded().serial, owner.LastStarted().serial);
        loop.Advance(10000);
        EXPECT_TRUE(gaveUp.empty());
    }
}

// Queries that are not resent sit on consecutive ids: ending one must not
// stop the timer of the next.
TEST_F(OwnerFixture, ACommandWithoutResendGivesUpAtOnceAndLeavesItsNeighbourAlone) {
    owner.Start(7032, ArcQuery(1), {7000, std::nullopt});
    const CommandFrame answer = ArcQuery(1);
    owner.Confirm(7032, ReplyView(answer.data()));
    owner.Start(7033, ArcQuery(2), {7000, std::nullopt});
    owner.Confirm(7032, ReplyView(answer.data()));  // a late second answer
    EXPECT_TRUE(timers.IsRunning(7033));
    loop.Advance(7000);
    EXPECT_EQ(sent.size(), 2u) << "no resend";
    ASSERT_EQ(gaveUp.size(), 1u);
    EXPECT_EQ(gaveUp[0].timer, 7033);
}

TEST_F(OwnerFixture, LosingTheLinkEndsEveryWaitingCommandWithoutAMessage) {
    owner.Start(2000, InputStateQuery(1), {3000, 3000});
    owner.Start(7052, PowerSet(true), {3000, 2000});
    loop.Advance(3000);
    owner.LinkLost();
    EXPECT_FALSE(owner.AnyWaiting());
    ASSERT_EQ(ended.size(), 2u);
    for (const auto& command : ended) EXPECT_EQ(command.outcome, CommandOutcome::kLinkLost);
    loop.Advance(10000);
    EXPECT_TRUE(gaveUp.empty());
    EXPECT_EQ(sent.size(), 4u);
}

}  // namespace
}  // namespace torvane
