// torvane-sim's command line reaches the model's state, timing and faults.

#include "sim/sim_options.h"

#include <gtest/gtest.h>

namespace torvane::sim {
namespace {

SimOptions Parsed(const std::vector<std::string>& args) {
    SimOptions options;
    std::string error;
    EXPECT_TRUE(ParseSimOptions(args, &options, &error)) << error;
    return options;
}

TEST(SimOptionsTest, SettingsReachTheModel) {
    const SimOptions o = Parsed({"--ip",           "127.0.0.3",
                                 "--mac",          "0A-0B-0C-0D-0E-0F",
                                 "--routing",      "8,7,6,5,4,3,2,1",
                                 "--arc",          "2,8",
                                 "--edid",         "0E,0F,16,17,00,01,02,03",
                                 "--inputs",       "4",
                                 "--size",         "16x4",
                                 "--version",      "2.10",
                                 "--text",         "Hall",
                                 "--reply-delay",  "0",
                                 "--drop",         "3",
                                 "--garbage",      "00 FF",
                                 "--fault-block",  "2",
                                 "--fault-result", "abort",
                                 "--tcp-glue",     "--ignore",
                                 "02:03",          "--ignore",
                                 "10:01"});
    EXPECT_EQ(o.state.network.ip, (Ipv4{127, 0, 0, 3}));
    EXPECT_EQ(o.state.network.mac, (Mac{0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F}));
    EXPECT_EQ(o.state.routing, (std::array<std::uint8_t, 8>{8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(o.state.arcOn,
              (std::array<bool, 8>{false, true, false, false, false, false, false, true}));
    EXPECT_EQ(o.state.edidCode, (std::array<std::uint8_t, 8>{0x0E, 0x0F, 0x16, 0x17, 0, 1, 2, 3}));
    EXPECT_EQ(o.state.inputConnected, (std::array<bool, 8>{false, false, false, true}));
    EXPECT_EQ(o.state.identity.inputs, 16);
    EXPECT_EQ(o.state.identity.versionMinor, 10);
    EXPECT_EQ(o.state.DeviceText(), "Hall" + std::string(28, ' '));
    EXPECT_EQ(o.timing.replyDelayMs, 0);
    EXPECT_EQ(o.faults.dropNextReplies, 3);
    EXPECT_EQ(o.faults.garbageBeforeReply, (std::vector<std::uint8_t>{0x00, 0xFF}));
    EXPECT_EQ(o.faults.faultBlock, 2);
    EXPECT_EQ(o.faults.faultBlockResult, BlockResult::kAbort);
    EXPECT_TRUE(o.faults.tcpGlue);
    EXPECT_EQ(o.faults.ignoredCommands,
              (std::vector<std::array<std::uint8_t, 2>>{{0x02, 0x03}, {0x10, 0x01}}));
    EXPECT_EQ(o.faults.tcpSplitGapMs, 50) << "split parts reach a real peer as two reads";
}

TEST(SimOptionsTest, BadValuesAreUsageErrors) {
    const std::vector<std::vector<std::string>> bad = {
        {"--ip", "192.168.1.10"},  // never off loopback
        {"--ip", "127.0.0"},
        {"--routing", "1,2,3,4,5,6,7"},
        {"--routing", "1,2,3,4,5,6,7,9"},
        {"--edid", "00,01,02,03,04,05,06,ZZ"},
        {"--mac", "01-02-03"},
        {"--inputs", "0"},
        {"--fault-result", "later"},
        {"--ignore", "02"},
        {"--version", "3"},
        {"--reply-delay", "-1"},
        {"--port"},
        {"--what"},
    };
    for (const auto& args : bad) {
        SimOptions options;
        std::string error;
        EXPECT_FALSE(ParseSimOptions(args, &options, &error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace torvane::sim
