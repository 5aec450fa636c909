// Writing an EDID file to the switcher: the announcement, target and start
// frames, then the raw block, answered as the program expects.

#include <gtest/gtest.h>

#include "sim/edid_check.h"
#include "sim_rig.h"

namespace torvane::sim::test {
namespace {

// A valid EDID base block (header, extension count, checksum) of 128 bytes,
// optionally with an extension block.
std::vector<std::uint8_t> Edid(bool withExtension) {
    std::vector<std::uint8_t> edid(withExtension ? 256 : 128, 0x00);
    const std::uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(header, header + 8, edid.begin());
    for (int i = 8; i < 126; ++i) edid[i] = static_cast<std::uint8_t>(i * 7);
    edid[126] = withExtension ? 1 : 0;
    edid[127] = Checksum(edid.data(), 127);
    if (withExtension) {
        edid[128] = 0x02;
        edid[255] = Checksum(edid.data() + 128, 127);
    }
    return edid;
}

// The raw block as the program sends it: one 00, then file bytes 0 to 254.
RawBlock AsSent(const std::vector<std::uint8_t>& file) {
    RawBlock block{};
    for (std::size_t i = 0; i < file.size() && i + 1 < block.size(); ++i) block[i + 1] = file[i];
    return block;
}

TEST(EdidCheck, TakesTheProgramsBlockLayoutAndRefusesBrokenEdids) {
    EXPECT_EQ(FindValidEdid(AsSent(Edid(false))), 1u);
    EXPECT_EQ(FindValidEdid(AsSent(Edid(true))), 1u) << "its last byte is not in the block";

    RawBlock whole{};
    const auto full = Edid(true);
    std::copy(full.begin(), full.end(), whole.begin());
    EXPECT_EQ(FindValidEdid(whole), 0u) << "an EDID at offset 0 is read whole";
    whole[200] ^= 1;
    EXPECT_FALSE(FindValidEdid(whole)) << "extension sum checked when all of it is there";

    struct Broken {
        const char* what;
        std::size_t at;
    };
    for (Broken b : {Broken{"header", 3}, Broken{"base block sum", 40}}) {
        auto file = Edid(false);
        file[b.at] ^= 0x10;
        EXPECT_FALSE(FindValidEdid(AsSent(file))) << b.what;
    }
    auto twoExtensions = Edid(false);
    twoExtensions[126] = 2;
    twoExtensions[127] = Checksum(twoExtensions.data(), 127);
    EXPECT_FALSE(FindValidEdid(AsSent(twoExtensions)));
}

struct EdidWrite : ::testing::Test, SimRig {
    // The handshake up to the start frame; returns the frames answered.
    std::vector<std::string> Announce(const std::string& target, const std::string& start) {
        std::vector<std::string> got;
        for (const auto& request : {"03 08 F0 00 00 00 00 00 BB", target.c_str(), start.c_str()})
            for (auto& f : Exchange(Command(request))) got.push_back(f);
        return got;
    }
    std::vector<std::string> SendBlock(const RawBlock& block) {
        return Exchange(std::vector<std::uint8_t>(block.begin(), block.end()));
    }
};

TEST_F(EdidWrite, OneInputRunsToCompletionByteForByte) {
    EXPECT_EQ(Announce("03 07 03 F0", "03 07 56 00 00 01"),
              (std::vector<std::string>{CommandHex("03 08 00"), CommandHex("03 07 AA 00")}))
        << "the start frame waits for its block";
    const RawBlock block = AsSent(Edid(true));
    EXPECT_EQ(SendBlock(block), std::vector<std::string>{CommandHex("03 07 00 00 00 01")});
    EXPECT_EQ(model.State().lastEdidBlock, block);
    EXPECT_EQ(model.State().edidCode[2], kWrittenEdidCode);
    EXPECT_EQ(model.State().edidCode[1], 0x00);
}

TEST_F(EdidWrite, AllInputsAndABadBlockIsRejected) {
    EXPECT_EQ(Announce("03 06 FE F0", "03 06 56 00 00 01"),
              (std::vector<std::string>{CommandHex("03 08 00"), CommandHex("03 06 AA 00")}));
    RawBlock garbage{};
    garbage.fill(0x5A);
    EXPECT_EQ(SendBlock(garbage), std::vector<std::string>{CommandHex("03 06 0F 00 00 01")});
    EXPECT_EQ(model.State().lastEdidBlock, garbage);
    EXPECT_EQ(model.State().edidCode[0], 0x00) << "nothing changes";

    Announce("03 06 FE F0", "03 06 56 00 00 01");
    SendBlock(AsSent(Edid(false)));
    for (auto code : model.State().edidCode) EXPECT_EQ(code, kWrittenEdidCode);
}

TEST_F(EdidWrite, AStartFrameWithoutItsBlockIsRejectedAfterTheWait) {
    Announce("03 07 01 F0", "03 07 56 00 00 01");
    loop.Advance(model.Timing().rawBlockWaitMs - 10);
    EXPECT_TRUE(frames.empty());
    loop.Advance(10);
    EXPECT_EQ(frames, std::vector<std::string>{CommandHex("03 07 0F 00 00 01")});
    EXPECT_EQ(Ask("08 0C"), CommandHex("08 0C 0F")) << "back to command frames";
}

TEST_F(EdidWrite, AStartFrameWithoutATargetIsRejectedAtOnce) {
    EXPECT_EQ(Ask("03 07 56 00 00 01"), CommandHex("03 07 0F 00 00 01"));
}

}  // namespace
}  // namespace torvane::sim::test
