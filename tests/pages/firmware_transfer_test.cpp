#include <gtest/gtest.h>

#include "pages/upgrade_fixture.h"

namespace torvane::test {
namespace {

using Frames = std::vector<std::pair<int, int>>;

// From the Upgrade click until the switcher has restarted and answered.
constexpr int kWholeUpgradeMs = 12000;

struct SizeCase {
    std::size_t size;
    Frames frames;  // (flag, block) in the order sent
};

class ImageSizeTest : public UpgradePageTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(ImageSizeTest, ImageGoesOutBlockByBlockAndTheSwitcherComesBackWithItsNewVersion) {
    const SizeCase& c = GetParam();
    model.State().identity.versionMinor = 1;
    EnterUpgradePage();
    EXPECT_EQ(Text(res::kUpgradeLabel), "Upgrade");
    EXPECT_EQ(fw->Controls().Text(res::kDeviceLineLabel),
              "Device: HDMI Matrix 8x8     Version:1.1");
    OpenImage(ImageFile(c.size));
    EXPECT_EQ(fw->ImageLength(), static_cast<int>(c.size));
    Wire();

    fw->Click(res::kUpgradeButton);
    loop.Advance(kWholeUpgradeMs);

    EXPECT_EQ(DataFrames(), c.frames);
    EXPECT_EQ(model.FirmwareReceived(), Padded(ImageBytes(c.size), c.frames.size()));
    EXPECT_EQ(Log(), kSuccessLog);
    EXPECT_FALSE(fw->FailureMark());
    EXPECT_EQ(Progress(), static_cast<int>(c.size));
    EXPECT_EQ(fw->State(), UpgradeState::kIdle);
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_EQ(fw->Controls().Text(res::kDeviceLineLabel),
              "Device: HDMI Matrix 8x8     Version:1.2");
    EXPECT_EQ(FirmwareBlockCount(static_cast<int>(c.size)), static_cast<int>(c.frames.size()));
}

INSTANTIATE_TEST_SUITE_P(Sizes, ImageSizeTest,
                         ::testing::Values(SizeCase{1000, {{0x00, 0}, {0x80, 1}}},
                                           SizeCase{1024, {{0x00, 0}, {0x80, 1}}},
                                           SizeCase{2048, {{0x00, 0}, {0x80, 1}}},
                                           SizeCase{3000, {{0x00, 0}, {0x00, 1}, {0x80, 2}}}));

TEST_F(UpgradePageTest, SendAgainRepeatsTheBlockAndAnUnechoedFlagCostsOneBlockOfFF) {
    EnterUpgradePage();
    OpenImage(ImageFile(2048));
    model.Faults().faultBlock = 1;
    model.Faults().faultBlockResult = sim::BlockResult::kSendAgain;
    model.Faults().unechoedLastBlocks = 1;
    Wire();
    fw->Click(res::kUpgradeButton);
    loop.Advance(kWholeUpgradeMs);
    EXPECT_EQ(DataFrames(), (Frames{{0x00, 0}, {0x80, 1}, {0x80, 1}, {0x80, 2}}));
    EXPECT_EQ(Log(), kSuccessLog);
}

TEST_F(UpgradePageTest, SendAgainOnTheOnlyBlockOfAShortImageFlagsIt) {
    EnterUpgradePage();
    OpenImage(ImageFile(1000));
    model.Faults().faultBlock = 0;
    Wire();
    fw->Click(res::kUpgradeButton);
    loop.Advance(kWholeUpgradeMs);
    EXPECT_EQ(DataFrames(), (Frames{{0x00, 0}, {0x80, 0}}));
    EXPECT_EQ(model.FirmwareReceived(), Padded(ImageBytes(1000), 1));
    EXPECT_EQ(Log(), kSuccessLog);
}

TEST_F(UpgradePageTest, AbortEndsTheTransferWithTheFailureLine) {
    EnterUpgradePage();
    OpenImage(ImageFile(3000));
    model.Faults().faultBlock = 1;
    model.Faults().faultBlockResult = sim::BlockResult::kAbort;
    Wire();
    fw->Click(res::kUpgradeButton);
    loop.Advance(kWholeUpgradeMs);
    EXPECT_EQ(DataFrames(), (Frames{{0x00, 0}, {0x00, 1}}));
    EXPECT_EQ(Log(), kFailedLog);
    EXPECT_TRUE(fw->FailureMark());
    EXPECT_EQ(fw->Controls().At(res::kUpgradeLog).textColor, (Rgb{255, 0, 0}));
    EXPECT_EQ(Progress(), 0);
    EXPECT_EQ(fw->TransferOffset(), 0);
    EXPECT_EQ(model.Faults().faultBlockTimes, 0);
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_EQ(dlg->Buffers().Data()[2], 0x00);

    // The next upgrade clears the mark and starts from block 0.
    fw->Click(res::kUpgradeButton);
    loop.Advance(kWholeUpgradeMs);
    EXPECT_EQ(Log(), kSuccessLog);
    EXPECT_FALSE(fw->FailureMark());
    EXPECT_EQ(fw->Controls().At(res::kUpgradeLog).textColor, std::nullopt);
}

// The switcher stays silent; the test speaks for it.
class ScriptedUpgradeTest : public UpgradePageTest {
  protected:
    void SetUp() override {
        UpgradePageTest::SetUp();
        EnterUpgradePage();
        OpenImage(ImageFile(3000));
        model.Faults().silent = true;
        Wire();
    }
    // Upgrade, accepted, ready: block 0 is out.
    void StartSending() {
        fw->Click(res::kUpgradeButton);
        loop.RunPending();
        DeviceSays("08 07 00");
        DeviceSays("08 08 00");
        ASSERT_EQ(DataFrames(), (Frames{{0x00, 0}}));
    }
};

TEST_F(ScriptedUpgradeTest, AcknowledgementsForOtherBlocksChangeNothing) {
    StartSending();
    BlockAck("00 01 00");
    EXPECT_EQ(DataFrames(), Frames{});
    EXPECT_EQ(fw->TransferOffset(), 0);
    // Each unit sent admits one answer: the block sent again admits the next.
    loop.Advance(3000);
    ASSERT_EQ(DataFrames(), (Frames{{0x00, 0}}));
    BlockAck("00 00 00");
    EXPECT_EQ(DataFrames(), (Frames{{0x00, 1}}));
    EXPECT_EQ(Progress(), 1024);
    // A final acknowledgement of a block that was not flagged changes nothing.
    BlockAck("80 01 00");
    EXPECT_EQ(DataFrames(), Frames{});
    EXPECT_EQ(fw->State(), UpgradeState::kSending);
    EXPECT_EQ(fw->TransferOffset(), 1024);
}

TEST_F(ScriptedUpgradeTest, SilentSwitcherGetsTheBlockOnceMoreThenTimesOut) {
    StartSending();
    loop.Advance(2999);
    EXPECT_EQ(DataFrames(), Frames{});
    loop.Advance(1);
    EXPECT_EQ(DataFrames(), (Frames{{0x00, 0}}));
    loop.Advance(2999);
    EXPECT_EQ(Message(), "");
    loop.Advance(1);
    EXPECT_EQ(Message(), "Time out!");
    // A late acknowledgement while the message shows does not resume.
    BlockAck("00 00 00");
    EXPECT_EQ(DataFrames(), Frames{});
    PressOk();
    EXPECT_EQ(Log(), kFailedLog);
    EXPECT_TRUE(fw->FailureMark());
    EXPECT_EQ(Progress(), 0);
    EXPECT_EQ(fw->TransferOffset(), 0);
    EXPECT_TRUE(dlg->BusyGateOpen());
    loop.Advance(60000);
    EXPECT_EQ(DataFrames(), Frames{});
}

TEST_F(ScriptedUpgradeTest, SwitchingPageMidTransferStallsItUntilItsTimeOut) {
    StartSending();
    // Clearing the logs reopens the gate, so the page labels work again.
    dlg->Click(res::kClearLogsButton);
    ClickLabel(res::kGeneralLabel);
    loop.RunPending();
    BlockAck("00 00 00");  // taken by the General page
    EXPECT_EQ(DataFrames(), Frames{});
    EXPECT_EQ(fw->TransferOffset(), 0);
    loop.Advance(6000);
    EXPECT_EQ(Message(), "Time out!");
    PressOk();
    EXPECT_EQ(Log(), kFailedLog);
}

TEST_F(ScriptedUpgradeTest, UnansweredUpgradeRequestTimesOut) {
    fw->Click(res::kUpgradeButton);
    loop.Advance(3000);
    EXPECT_EQ(CommandsSent(0x08, 0x07), 1);
    EXPECT_EQ(Message(), "Time out!");
    PressOk();
    EXPECT_EQ(Log(), kFailedLog);
    EXPECT_TRUE(fw->FailureMark());
    EXPECT_TRUE(dlg->BusyGateOpen());
}

TEST_F(UpgradePageTest, ReadyPollsRepeatUntilTheyGiveUpAtTenSeconds) {
    EnterUpgradePage();
    OpenImage(ImageFile(3000));
    model.Timing().readyDelayMs = 60000;
    Wire();
    const TimeMs start = loop.Now();
    fw->Click(res::kUpgradeButton);
    std::vector<TimeMs> polls;
    for (int step = 0; step < 150; ++step) {
        loop.Advance(100);
        for (int i = CommandsSent(0x08, 0x08); i > 0; --i) polls.push_back(loop.Now() - start);
        model.ClearHistory();
        if (loop.Now() - start == 9900) {
            EXPECT_EQ(Log(), "->Upgrading MCU...\r\n");
        }
    }
    // At once, at 3 s, then every 300 ms until 10 s.
    ASSERT_EQ(polls.size(), 25u);
    EXPECT_EQ(polls[0], 100);
    EXPECT_EQ(polls[1], 3100);
    EXPECT_EQ(polls[2], 3400);
    EXPECT_EQ(polls.back(), 10000);
    EXPECT_EQ(Log(), kFailedLog);
    EXPECT_TRUE(fw->FailureMark());
    EXPECT_EQ(Message(), "");
    EXPECT_TRUE(dlg->BusyGateOpen());
}

TEST_F(UpgradePageTest, RebootPollsEverySixSecondsAndFailAtThirtySix) {
    EnterUpgradePage();
    OpenImage(ImageFile(1000));
    model.Timing().readyDelayMs = 0;
    model.Faults().noRestartAnswer = true;
    fw->Click(res::kUpgradeButton);
    loop.Advance(100);
    EXPECT_EQ(fw->State(), UpgradeState::kRebooting);
    EXPECT_TRUE(dlg->BusyGateOpen());
    // The restart wait shows as a waiting bar (an empty range), not as a
    // finished one.
    const Control& bar = fw->Controls().At(res::kUpgradeProgress);
    EXPECT_EQ(bar.rangeMax - bar.rangeMin, 0);
    int polls = 0;
    for (int t = 0; t < 35900; t += 100) {
        loop.Advance(100);
        for (const auto& u : model.ReceivedUnits())
            if (u.size() == 13 && u[2] == 0x01 && u[3] == 0x01 && u[10] == 0xCC && u[11] == 0xCC)
                ++polls;
        model.ClearHistory();
    }
    EXPECT_EQ(polls, 6);  // at 0, 6, 12, 18, 24 and 30 s
    EXPECT_EQ(Message(), "");
    loop.Advance(100);
    EXPECT_EQ(Message(), "Time out!");
    PressOk();
    EXPECT_EQ(Log(),
              "->Upgrading MCU...\r\n->System rebooting, please wait...\r\n"
              "->MCU upgrade failed\r\n");
    EXPECT_TRUE(fw->FailureMark());
    EXPECT_EQ(bar.rangeMax, 1000);
    EXPECT_EQ(Progress(), 0);
}

// A second Upgrade while the first run still waits for the restart: the new
// transfer is ended only by its own replies and timers, never by the first
// run's polls or its give-up at 36 s.
class SecondUpgradeDuringTheRestartWait : public UpgradePageTest,
                                          public ::testing::WithParamInterface<int> {};

TEST_P(SecondUpgradeDuringTheRestartWait, RunsToItsOwnEnd) {
    EnterUpgradePage();
    OpenImage(ImageFile(kMaxFirmwareBytes));
    model.Faults().noRestartAnswer = true;
    fw->Click(res::kUpgradeButton);
    for (int t = 0; t < 10000 && fw->State() != UpgradeState::kRebooting; ++t) loop.Advance(1);
    ASSERT_EQ(fw->State(), UpgradeState::kRebooting);
    loop.Advance(GetParam());
    ASSERT_EQ(Message(), "");

    // The switcher is back (it missed the first run's polls) and takes the
    // second image.
    model.Faults().noRestartAnswer = false;
    model.EndRestart();
    Wire();
    fw->Click(res::kUpgradeButton);
    // The bar leaves the first run's wait and counts the new transfer.
    EXPECT_EQ(fw->Controls().At(res::kUpgradeProgress).rangeMax, kMaxFirmwareBytes);
    loop.Advance(60000);

    EXPECT_EQ(Message(), "");
    EXPECT_EQ(Progress(), kMaxFirmwareBytes);
    EXPECT_EQ(Log(), kSuccessLog);
    EXPECT_FALSE(fw->FailureMark());
    EXPECT_EQ(model.FirmwareReceived(), Padded(ImageBytes(kMaxFirmwareBytes), 98));
    EXPECT_TRUE(dlg->BusyGateOpen());
}

// Milliseconds into the first run's wait (its give-up comes at 36 s).
INSTANTIATE_TEST_SUITE_P(PressedAt, SecondUpgradeDuringTheRestartWait,
                         ::testing::Values(21000, 27000, 33000, 35900));

// Whatever replaced the shared frame during the restart wait, each poll asks
// for the restart answer.
enum class Meanwhile { kPageEnteredAgain, kDeviceTextWritten };

class CommandDuringTheRestartWait : public UpgradePageTest,
                                    public ::testing::WithParamInterface<Meanwhile> {
  protected:
    void Act() {
        if (GetParam() == Meanwhile::kPageEnteredAgain) {
            EnterUpgradePage();
            return;
        }
        fw->EditText(res::kDeviceTextFirstHalf, "Rack 4");
        fw->WriteDeviceText();
        loop.Advance(200);
    }
};

TEST_P(CommandDuringTheRestartWait, EveryRebootPollIsTheRebootPoll) {
    EnterUpgradePage();
    OpenImage(ImageFile(3000));
    model.Timing().readyDelayMs = 0;
    model.Timing().restartMs = 10000;  // the polls at 0 s and 6 s go unanswered
    fw->Click(res::kUpgradeButton);
    loop.Advance(2000);
    ASSERT_EQ(fw->State(), UpgradeState::kRebooting);
    Act();
    model.ClearHistory();

    loop.Advance(12000);
    int polls = CommandsSent(0x01, 0x01);
    int rebootPolls = 0;
    for (const auto& u : model.ReceivedUnits())
        if (u.size() == kCommandFrameSize && u[2] == 0x01 && u[3] == 0x01 && u[10] == 0xCC &&
            u[11] == 0xCC)
            ++rebootPolls;
    EXPECT_EQ(polls, 2);  // at 6 s and 12 s
    EXPECT_EQ(rebootPolls, 2);
    loop.Advance(30000);
    EXPECT_EQ(Message(), "");
    EXPECT_EQ(Log(), kSuccessLog);
    EXPECT_FALSE(fw->FailureMark());
}

INSTANTIATE_TEST_SUITE_P(Meanwhile, CommandDuringTheRestartWait,
                         ::testing::Values(Meanwhile::kPageEnteredAgain,
                                           Meanwhile::kDeviceTextWritten));

TEST_F(UpgradePageTest, DeviceTextWrittenDuringTheReadyPollsLeavesThePollsAlone) {
    EnterUpgradePage();
    OpenImage(ImageFile(3000));
    model.Timing().readyDelayMs = 5000;
    fw->Click(res::kUpgradeButton);
    loop.Advance(1000);
    ASSERT_EQ(fw->State(), UpgradeState::kPolling);
    fw->EditText(res::kDeviceTextFirstHalf, "Rack 4");
    fw->WriteDeviceText();
    loop.Advance(200);
    EXPECT_EQ(Message(), "Set successfully!");
    PressOk();
    loop.Advance(200);  // the text read back
    model.ClearHistory();
    loop.Advance(3600);  // the ready polls from 3 s on
    for (const auto& u : model.ReceivedUnits()) EXPECT_EQ(ToHex(u), Frame("08 08"));
    loop.Advance(kWholeUpgradeMs);
    EXPECT_EQ(Log(), kSuccessLog);
}

TEST_F(UpgradePageTest, UpgradeRefusesWithoutAFileAndInTcpControlMode) {
    EnterUpgradePage();
    Wire();
    fw->Click(res::kUpgradeButton);
    EXPECT_EQ(Message(), "No file(.bin)!");
    EXPECT_FALSE(dlg->BusyGateOpen());
    PressOk();
    EXPECT_TRUE(dlg->BusyGateOpen());

    OpenImage(ImageFile(3000));
    ClickLabel(res::kGeneralLabel);
    Settle();
    ConnectTcp();
    ASSERT_TRUE(dlg->TcpConnected());
    EnterUpgradePage();
    Wire();
    fw->Click(res::kUpgradeButton);
    EXPECT_EQ(Message(), "Please use COM Control Mode!");
    PressOk();
    loop.Advance(1000);
    EXPECT_EQ(Wire(), std::vector<std::string>{});
    EXPECT_EQ(Log(), "");
    EXPECT_TRUE(dlg->BusyGateOpen());
}

TEST_F(UpgradePageTest, OpeningANewFileResetsTheProgressAndABadOneLeavesEverythingInPlace) {
    EnterUpgradePage();
    const std::string first = ImageFile(3000);
    OpenImage(first);
    fw->Click(res::kUpgradeButton);
    loop.Advance(kWholeUpgradeMs);
    ASSERT_EQ(Progress(), 3000);

    const std::string second = ImageFile(1500);
    OpenImage(second);
    const Control& bar = fw->Controls().At(res::kUpgradeProgress);
    EXPECT_EQ(bar.position, 0);
    EXPECT_EQ(bar.rangeMax, 1500);
    EXPECT_EQ(fw->ImageLength(), 1500);
    EXPECT_EQ(fw->Controls().Text(res::kFirmwarePathBox), second);

    const std::string empty = FileWith({});
    const std::string tooLong = FileWith(std::vector<std::uint8_t>(kMaxFirmwareBytes + 1, 0x11));
    for (const std::string& bad : {empty, tooLong}) {
        OpenImage(bad);
        EXPECT_EQ(Message(), "Bad firmware file!") << bad;
        PressOk();
    }
    OpenImage("/nonexistent/firmware.bin");  // silently nothing
    fw->Click(res::kFirmwareOpenButton);
    fw->AnswerFileChoice(std::nullopt);  // cancelled
    EXPECT_EQ(Message(), "");
    EXPECT_EQ(fw->ImageLength(), 1500);
    EXPECT_EQ(fw->Controls().Text(res::kFirmwarePathBox), second);
    EXPECT_EQ(fw->Controls().At(res::kUpgradeProgress).rangeMax, 1500);

    // The largest image fits, and its last block is read from the buffer.
    OpenImage(FileWith(ImageBytes(kMaxFirmwareBytes)));
    Wire();
    fw->Click(res::kUpgradeButton);
    loop.Advance(kWholeUpgradeMs);
    EXPECT_EQ(model.FirmwareReceived(), Padded(ImageBytes(kMaxFirmwareBytes), 98));
    EXPECT_EQ(Log(), kSuccessLog);
}

}  // namespace
}  // namespace torvane::test
