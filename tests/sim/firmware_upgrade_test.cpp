// A firmware upgrade against the model: acceptance, ready polls, one
// acknowledgement per block, the restart silence and the answer after it.

#include <gtest/gtest.h>

#include "sim_rig.h"

namespace torvane::sim::test {
namespace {

const std::string kRebootPoll = "01 01 00 00 00 00 00 00 CC CC";

std::vector<std::uint8_t> Image(std::size_t size) {
    std::vector<std::uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i) image[i] = static_cast<std::uint8_t>(i * 31 + i / 256);
    return image;
}

std::vector<std::uint8_t> DataFrame(const std::vector<std::uint8_t>& image, std::size_t offset,
                                    bool last) {
    std::vector<std::uint8_t> frame(kDataFrameSize, 0xFF);
    frame[0] = kDataHeader0;
    frame[1] = kDataHeader1;
    frame[2] = last ? kLastBlockFlag : 0x00;
    frame[3] = static_cast<std::uint8_t>(offset / kDataPayloadSize);
    for (std::size_t i = 0; i < kDataPayloadSize && offset + i < image.size(); ++i)
        frame[4 + i] = image[offset + i];
    CompleteUnit(frame.data(), frame.size());
    return frame;
}

struct Upgrade : ::testing::Test, SimRig {
    // Request and ready polls as the program paces them (0 s, 3 s, then
    // every 300 ms); returns when the switcher says ready.
    void GetReady() {
        ASSERT_EQ(Ask("08 07"), CommandHex("08 07 00"));
        ASSERT_EQ(Ask("08 08"), CommandHex("08 08 01")) << "not ready at once";
        loop.Advance(3000);
        for (int poll = 0; poll < 25; ++poll) {
            if (Ask("08 08") == CommandHex("08 08 00")) return;
            loop.Advance(300);
        }
        FAIL() << "never ready";
    }

    // The program's block loop: the next block after "received", the same
    // one after "send again", stop on abort or on the final acknowledgement.
    // Returns every acknowledgement in order.
    std::vector<std::string> Transfer(const std::vector<std::uint8_t>& image) {
        std::vector<std::string> acks;
        std::size_t offset = 0;
        bool last = false;  // the first block never carries the flag
        for (int guard = 0; guard < 300; ++guard) {
            const auto got = Exchange(DataFrame(image, offset, last));
            if (got.size() != 1) return acks;
            acks.push_back(got[0]);
            const auto ack = Hex(got[0]);
            if (ack[4] == 0x02) return acks;
            if (ack[2] != 0x00 && last) return acks;
            if (ack[4] == 0x00) offset += kDataPayloadSize;
            last = last || offset + kDataPayloadSize >= image.size();
        }
        return acks;
    }
};

TEST_F(Upgrade, ThreeThousandByteImageRunsToCompletionAndTheSwitcherComesBackWithANewVersion) {
    GetReady();
    const auto image = Image(3000);
    EXPECT_EQ(Transfer(image), (std::vector<std::string>{AckHex("00 00 00"), AckHex("00 01 00"),
                                                         AckHex("80 02 00")}));
    const auto& received = model.FirmwareReceived();
    ASSERT_EQ(received.size(), 3072u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), received.begin()));
    EXPECT_TRUE(
        std::all_of(received.begin() + 3000, received.end(), [](auto b) { return b == 0xFF; }));

    EXPECT_EQ(Ask(kRebootPoll), "") << "silent while it restarts";
    loop.Advance(model.Timing().restartMs);
    EXPECT_EQ(Ask(kRebootPoll), CommandHex("01 01 01 00 00 00 00 00 CC CC"));
    EXPECT_EQ(Ask("01 03 00 00 00 00 00 00 CC"), CommandHex("01 03 01 00 01 00 00 00 CC"));
    EXPECT_EQ(model.Phase(), UpgradePhase::kIdle);
}

TEST_F(Upgrade, AChosenBlockIsAnsweredWithSendAgainThenTaken) {
    model.Faults().faultBlock = 1;
    model.Faults().faultBlockTimes = 2;
    GetReady();
    const auto image = Image(2048);
    EXPECT_EQ(Transfer(image), (std::vector<std::string>{AckHex("00 00 00"), AckHex("00 01 01"),
                                                         AckHex("00 01 01"), AckHex("80 01 00")}));
    EXPECT_TRUE(std::equal(image.begin(), image.end(), model.FirmwareReceived().begin()));
}

TEST_F(Upgrade, AnAbortedBlockEndsTheUpgrade) {
    model.Faults().faultBlock = 1;
    model.Faults().faultBlockResult = BlockResult::kAbort;
    GetReady();
    const auto image = Image(3000);
    EXPECT_EQ(Transfer(image), (std::vector<std::string>{AckHex("00 00 00"), AckHex("00 01 02")}));
    EXPECT_EQ(model.Phase(), UpgradePhase::kIdle);
    EXPECT_EQ(Exchange(DataFrame(image, 2048, true)), std::vector<std::string>{AckHex("00 02 02")})
        << "no block is taken outside an upgrade";
    EXPECT_EQ(Ask("08 0C"), CommandHex("08 0C 0F")) << "no restart";
}

TEST_F(Upgrade, AnUnechoedLastBlockFlagMakesTheProgramSendOneMoreBlock) {
    model.Faults().unechoedLastBlocks = 1;
    GetReady();
    EXPECT_EQ(
        Transfer(Image(1000)),
        (std::vector<std::string>{AckHex("00 00 00"), AckHex("00 01 00"), AckHex("80 02 00")}));
}

TEST_F(Upgrade, WithNoRestartAnswerTheSwitcherStaysSilentPastTheProgramsWait) {
    model.Faults().noRestartAnswer = true;
    GetReady();
    Transfer(Image(1024));
    for (int poll = 0; poll < 6; ++poll) {
        EXPECT_EQ(Ask(kRebootPoll), "");
        loop.Advance(6000);
    }
    model.EndRestart();
    EXPECT_EQ(Ask(kRebootPoll), CommandHex("01 01 01 00 00 00 00 00 CC CC"));
}

TEST_F(Upgrade, ACorruptedBlockIsAskedForAgainAndAnOutOfOrderOneAborts) {
    GetReady();
    const auto image = Image(4096);
    auto corrupted = DataFrame(image, 0, false);
    corrupted[100] ^= 0x01;
    EXPECT_EQ(Exchange(corrupted), std::vector<std::string>{AckHex("00 00 01")});
    EXPECT_EQ(Exchange(DataFrame(image, 0, false)), std::vector<std::string>{AckHex("00 00 00")});
    EXPECT_EQ(Exchange(DataFrame(image, 0, false)), std::vector<std::string>{AckHex("00 00 00")})
        << "a repeat is acknowledged, not stored twice";
    EXPECT_EQ(Exchange(DataFrame(image, 2048, false)),
              std::vector<std::string>{AckHex("00 02 02")});
    EXPECT_EQ(model.FirmwareReceived().size(), 1024u);
}

}  // namespace
}  // namespace torvane::sim::test
