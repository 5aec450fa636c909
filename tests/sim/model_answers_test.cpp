// The switcher model's answer to each command family: the reply bytes the
// program reads, and the state each command changes.

#include <gtest/gtest.h>

#include <functional>

#include "sim_rig.h"

namespace torvane::sim::test {
namespace {

struct Case {
    const char* what;
    std::string request;  // bytes from 2 on
    std::string reply;    // bytes from 2 on
    std::function<void(SwitcherState&)> before = nullptr;
    std::function<void(const SwitcherState&)> after = nullptr;
};

class ModelAnswers : public ::testing::TestWithParam<Case> {};

TEST_P(ModelAnswers, RepliesOnceWithTheRequestGroupAndConfirmsTheChange) {
    const Case& c = GetParam();
    SimRig rig;
    if (c.before) c.before(rig.model.State());
    EXPECT_EQ(rig.Ask(c.request), CommandHex(c.reply));
    if (c.after) c.after(rig.model.State());
}

const Case kCases[] = {
    // Device status and system commands.
    {"power state on", "08 0C", "08 0C 0F"},
    {"power state off", "08 0C", "08 0C F0", [](auto& s) { s.powerOn = false; }},
    {"power on", "08 0B 0F 00 0F", "08 0B 00 00 0F", [](auto& s) { s.powerOn = false; },
     [](auto& s) { EXPECT_TRUE(s.powerOn); }},
    {"power off", "08 0B F0 00 F0", "08 0B 00 00 F0", nullptr,
     [](auto& s) { EXPECT_FALSE(s.powerOn); }},
    {"input connected", "01 04 01", "01 04 01 00 00"},
    {"input not connected", "01 04 08", "01 04 08 00 01"},
    {"output connected", "01 05 02", "01 05 02 00 00"},
    {"output not connected", "01 05 08", "01 05 08 00 01"},
    {"beep state enabled", "01 0B 00", "01 0B 00 00 00"},
    {"beep state disabled", "01 0B 00", "01 0B 00 00 F0", [](auto& s) { s.beepOn = false; }},
    {"beep on", "06 01 0F 00 DD", "06 01 00 00 DD", [](auto& s) { s.beepOn = false; },
     [](auto& s) { EXPECT_TRUE(s.beepOn); }},
    {"beep off", "06 01 F0 00 00", "06 01 00 00 00", nullptr,
     [](auto& s) { EXPECT_FALSE(s.beepOn); }},
    {"factory reset", "08 0A", "08 0A 00",
     [](auto& s) {
         s.beepOn = false;
         s.routing[0] = 5;
         s.edidCode[2] = 0x0B;
     },
     [](auto& s) {
         EXPECT_TRUE(s.beepOn);
         EXPECT_EQ(s.routing[0], 1);
         EXPECT_EQ(s.edidCode[2], 0);
     }},
    {"reboot", "08 0D", "08 0D 00"},
    // Routing and ARC.
    {"route IN3 to OUTPUT B", "02 03 03 00 02", "02 03 00 00 02 00 00 00 03", nullptr,
     [](auto& s) { EXPECT_EQ(s.routing[1], 3); }},
    {"routing query", "02 01 04", "02 01 04 00 07", [](auto& s) { s.routing[3] = 7; }},
    {"ARC on for OUTPUT A", "10 01 0F 00 01 00 00 00 0F", "10 01 00 00 01 00 00 00 0F", nullptr,
     [](auto& s) { EXPECT_TRUE(s.arcOn[0]); }},
    {"ARC off for OUTPUT H", "10 01 F0 00 08 00 00 00 F0", "10 01 00 00 08 00 00 00 F0",
     [](auto& s) { s.arcOn[7] = true; }, [](auto& s) { EXPECT_FALSE(s.arcOn[7]); }},
    {"ARC query", "10 02 00 00 03", "10 02 0F 00 03", [](auto& s) { s.arcOn[2] = true; }},
    // EDID presets, copies and their status.
    {"preset on one input", "03 02 05 F0 03", "03 02 00 00 03 00", nullptr,
     [](auto& s) { EXPECT_EQ(s.edidCode[2], 0x04); }},
    {"preset on all inputs", "03 01 0F F0 00", "03 01 00 00 00 00", nullptr,
     [](auto& s) { EXPECT_EQ(s.edidCode[7], 0x0E); }},
    {"preset out of range", "03 02 10 F0 03", "03 02 0F 00 03 00"},
    {"copy output B to input 4", "03 04 02 00 04", "03 04 00 00 04 00", nullptr,
     [](auto& s) { EXPECT_EQ(s.edidCode[3], 0x10); }},
    {"copy output A to all", "03 03 01 00 00", "03 03 00 00 00 00", nullptr,
     [](auto& s) { EXPECT_EQ(s.edidCode[5], 0x0F); }},
    {"copy from an output with no display", "03 04 08 00 01", "03 04 0F 00 01 00"},
    {"EDID status", "01 0C 06", "01 0C 06 00 16", [](auto& s) { s.edidCode[5] = 0x16; }},
    // Identity, device information and device text.
    {"device type", "01 01 00 00 00 00 00 00 CC", "01 01 01 00 00 00 00 00 CC"},
    {"device type after restart", "01 01 00 00 00 00 00 00 CC CC", "01 01 02 00 00 00 00 00 CC CC",
     [](auto& s) { s.identity.deviceType = 2; }},
    {"device size", "01 02 00 00 00 00 00 00 CC", "01 02 0A 00 05 00 00 00 CC",
     [](auto& s) { s.identity.inputs = 10, s.identity.outputs = 5; }},
    {"version", "01 03 00 00 00 00 00 00 CC", "01 03 01 00 02 00 00 00 CC",
     [](auto& s) { s.identity.versionMinor = 2; }},
    {"device text part 3", "FA 27", "FA 27 41 42 43 44 45 46 47 48",
     [](auto& s) { s.deviceText = SwitcherState::MakeDeviceText("0123456789abcdefABCDEFGH"); }},
    {"device text write part 4", "FA 24 31 32 33 34 35 36 37 38", "FA 24 00", nullptr,
     [](auto& s) { EXPECT_EQ(s.DeviceText().substr(24), "12345678"); }},
    // What the device cannot do is refused in byte 4, not left unanswered.
    {"unknown group", "07 01", "07 01 EE"},
    {"input out of range", "01 04 09", "01 04 EE"},
    {"route to output 0", "02 03 01 00 00", "02 03 EE"},
    {"device text part 29", "FA 29", "FA 29 EE"},
};

INSTANTIATE_TEST_SUITE_P(Families, ModelAnswers, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string name;
    for (char ch : std::string(info.param.what))
        name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return name;
});

TEST(ModelLinkTest, RepliesAfterTheDelayThroughTheLoopAndIgnoresACorruptedRequest) {
    SimRig rig;
    rig.model.Timing().replyDelayMs = 40;
    rig.Send("A5 5B 08 0C 00 00 00 00 00 00 00 00 EC");
    EXPECT_TRUE(rig.writes.empty()) << "never inside the write";
    rig.loop.Advance(39);
    EXPECT_TRUE(rig.frames.empty());
    rig.loop.Advance(1);
    EXPECT_EQ(rig.frames, std::vector<std::string>{"A5 5B 08 0C 0F 00 00 00 00 00 00 00 DD"});

    rig.frames.clear();
    rig.Send("A5 5B 08 0C 00 00 00 00 00 00 00 00 ED");
    rig.loop.Advance(1000);
    EXPECT_TRUE(rig.frames.empty());
}

TEST(ModelLinkTest, FindsFramesInAStreamOfPiecesAndNoise) {
    SimRig rig;
    rig.model.Timing().replyDelayMs = 0;
    auto stream = Hex("00 A5 A5");
    auto power = Command("08 0C");
    auto input = Command("01 04 01");
    stream.insert(stream.end(), power.begin() + 1, power.end());  // A5 already sent
    stream.insert(stream.end(), {0x5B, 0x00});
    stream.insert(stream.end(), input.begin(), input.end());
    for (auto b : stream) rig.Send(std::vector<std::uint8_t>{b});
    rig.loop.RunPending();
    EXPECT_EQ(rig.frames,
              (std::vector<std::string>{CommandHex("08 0C 0F"), CommandHex("01 04 01 00 00")}));
}

TEST(ModelLinkTest, DeviceTextWrittenInFourPartsReadsBack) {
    SimRig rig;
    const std::string text = "Studio A rack 3  east wall matrix";
    for (int part = 0; part < 4; ++part) {
        auto frame = Command("FA");
        frame[3] = static_cast<std::uint8_t>(0x21 + part);
        for (int i = 0; i < 8; ++i) frame[4 + i] = static_cast<std::uint8_t>(text[part * 8 + i]);
        CompleteUnit(frame.data(), frame.size());
        ASSERT_EQ(rig.Exchange(frame).size(), 1u);
    }
    std::string readBack;
    for (int part = 0; part < 4; ++part) {
        const auto reply = Hex(rig.Ask("FA 2" + std::to_string(5 + part)));
        ASSERT_EQ(reply.size(), 13u);
        readBack.append(reply.begin() + 4, reply.begin() + 12);
    }
    EXPECT_EQ(readBack, text.substr(0, 32));
}

}  // namespace
}  // namespace torvane::sim::test
