// The fault switches as the program's serial frame assembler sees them.

#include <gtest/gtest.h>

#include "sim_rig.h"

namespace torvane::sim::test {
namespace {

struct Faults : ::testing::Test, SimRig {
    std::vector<std::string> AskPower() { return Exchange(Command("08 0C")); }
};

TEST_F(Faults, SilentAndDroppedRepliesNeverArrive) {
    model.Faults().silent = true;
    EXPECT_TRUE(AskPower().empty());
    model.Faults().silent = false;
    model.Faults().dropNextReplies = 2;
    EXPECT_TRUE(AskPower().empty());
    EXPECT_TRUE(AskPower().empty());
    EXPECT_EQ(AskPower(), std::vector<std::string>{kPowerOn});
    EXPECT_EQ(model.State().powerOn, true) << "commands still act while their replies are lost";
}

TEST_F(Faults, IgnoredCommandsAreLostOthersAnswered) {
    model.Faults().ignoredCommands = {{0x02, 0x03}};
    EXPECT_TRUE(Exchange(Command("02 03 05 00 01")).empty());
    EXPECT_EQ(model.State().routing[0], 1) << "a lost command does not act";
    EXPECT_EQ(Ask("02 01 01"), CommandHex("02 01 01 00 01"));
}

TEST_F(Faults, LateRepliesComeAfterTheConfiguredDelay) {
    model.Timing().replyDelayMs = 3500;
    Send(Command("08 0C"));
    loop.Advance(3499);
    EXPECT_TRUE(frames.empty());
    loop.Advance(1);
    EXPECT_EQ(frames, std::vector<std::string>{kPowerOn});
}

TEST_F(Faults, BadChecksumOnlyForTheChosenNumberOfReplies) {
    model.Faults().badChecksumReplies = 1;
    EXPECT_EQ(AskPower(), std::vector<std::string>{"A5 5B 08 0C 0F 00 00 00 00 00 00 00 DE"});
    EXPECT_EQ(AskPower(), std::vector<std::string>{kPowerOn});
}

TEST_F(Faults, ExtraFramesAndGarbageSurroundTheReply) {
    model.Faults().extraFramesPerReply = 2;
    model.Faults().garbageBeforeReply = Hex("00 A5 11 FE 22");
    const std::string powerOff = CommandHex("08 0C F0");
    EXPECT_EQ(AskPower(), (std::vector<std::string>{kPowerOn, powerOff, powerOff}));
    EXPECT_EQ(ToHex(writes.front()), "00 A5 11 FE 22 " + kPowerOn) << "noise without a header";

    model.Faults().extraFrame = Hex("A5 5B 02 01 01 00 03");
    EXPECT_EQ(AskPower()[1], CommandHex("02 01 01 00 03"));
}

TEST_F(Faults, UnsolicitedFramesGoToEveryLink) {
    std::vector<std::string> other;
    auto second =
        model.Attach(LinkKind::kTcp, [&](const auto& chunk) { other.push_back(ToHex(chunk)); });
    model.SendUnsolicited(Hex("A5 5B 01 04 01 00 01"));
    loop.RunPending();
    EXPECT_EQ(frames, std::vector<std::string>{CommandHex("01 04 01 00 01")});
    EXPECT_EQ(other, frames);
}

TEST_F(Faults, FaultsStrikeOnlyAfterTheGivenNumberOfUnits) {
    model.Faults().faultsAfterUnits = 2;
    model.Faults().garbageBeforeReply = Hex("00 A5");
    model.Faults().extraFramesPerReply = 1;
    model.Faults().badChecksumReplies = 1;
    EXPECT_EQ(AskPower(), std::vector<std::string>{kPowerOn});
    EXPECT_EQ(AskPower(), std::vector<std::string>{kPowerOn});
    EXPECT_EQ(ToHex(writes.back()), kPowerOn) << "no garbage before the faults strike";
    const auto third = AskPower();
    ASSERT_EQ(third.size(), 2u);
    EXPECT_EQ(third[0], "A5 5B 08 0C 0F 00 00 00 00 00 00 00 DE");
    EXPECT_EQ(third[1], CommandHex("08 0C F0"));

    model.Faults().faultsForUnits = 1;
    EXPECT_EQ(AskPower(), std::vector<std::string>{kPowerOn}) << "the faults are over";
}

TEST(FaultsHangUp, TheArmingUnitCutsItsLinkOnceUnanswered) {
    VirtualLoop loop;
    SwitcherModel model(loop);
    model.Faults().faultsAfterUnits = 1;
    model.Faults().hangUp = true;
    int writes = 0;
    int hangUps = 0;
    std::unique_ptr<ModelLink> link;
    link = model.Attach(
        LinkKind::kSerial, [&](const auto&) { ++writes; },
        [&] {
            ++hangUps;
            link.reset();  // the owner lets go of the line inside the call
        });
    const auto query = Command("08 0C");
    link->Write(query.data(), query.size());
    loop.Advance(model.Timing().replyDelayMs);
    link->Write(query.data(), query.size());
    loop.Advance(model.Timing().replyDelayMs);
    EXPECT_EQ(writes, 1) << "the unit that cut the line goes unanswered";
    EXPECT_EQ(hangUps, 1);
    EXPECT_FALSE(link);

    link = model.Attach(
        LinkKind::kSerial, [&](const auto&) { ++writes; }, [&] { ++hangUps; });
    link->Write(query.data(), query.size());
    loop.Advance(model.Timing().replyDelayMs);
    EXPECT_EQ(writes, 2) << "a new line works";
    EXPECT_EQ(hangUps, 1);
}

TEST(FaultsTcp, BytewiseRepliesComeOneByteAtATimeAndInOrder) {
    SimRig rig(LinkKind::kTcp);
    rig.model.Faults().tcpBytewise = true;
    rig.model.Faults().tcpSplitGapMs = 2;
    rig.model.Faults().extraFramesPerReply = 1;
    rig.Send(Command("08 0C"));
    rig.loop.Advance(rig.model.Timing().replyDelayMs + 2 * 26);
    EXPECT_EQ(rig.writes.size(), 26u);
    for (const auto& w : rig.writes) EXPECT_EQ(w.size(), 1u);
    EXPECT_EQ(rig.frames, (std::vector<std::string>{kPowerOn, CommandHex("08 0C F0")}));
}

}  // namespace
}  // namespace torvane::sim::test
