// The front panel of torvane-sim: the lines it takes and refuses, and the
// program itself changed and taken off its links from its standard input.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "sim/front_panel_command.h"
#include "sim/posix_front_panel.h"
#include "sim_rig.h"
#include "support/sim_process.h"

namespace torvane::sim::test {
namespace {

TEST(FrontPanelLine, UnderstoodLinesInTheirUsualForm) {
    const std::pair<const char*, const char*> cases[] = {
        {"route 3 B", "route 3 B"},     {"  ROUTE\t8 h \r", "route 8 H"},
        {"route 1 8", "route 1 H"},     {"arc a on", "arc A on"},
        {"arc 2 OFF", "arc B off"},     {"power off", "power off"},
        {"beep On", "beep on"},         {"vanish 2", "vanish 2"},
        {"vanish 0.5", "vanish 0.5"},   {"vanish 0.001", "vanish 0.001"},
        {"vanish 3600", "vanish 3600"},
    };
    for (const auto& [line, described] : cases) {
        const auto parse = ParseFrontPanelLine(line);
        EXPECT_EQ(parse.error, "") << line;
        EXPECT_EQ(DescribeFrontPanelCommand(parse.command), described) << line;
    }
    EXPECT_EQ(ParseFrontPanelLine(" \t\r").command.kind, FrontPanelCommand::kNothing);
    EXPECT_EQ(ParseFrontPanelLine("vanish 1.25").command.vanishMs, 1250);
}

TEST(FrontPanelLine, RefusedLinesSayWhy) {
    const std::pair<std::string, const char*> cases[] = {
        {"route 9 A", "INPUT must be 1 to 8"},
        {"route 0 A", "INPUT must be 1 to 8"},
        {"route 3 I", "OUTPUT must be A to H"},
        {"route 3", "usage: route INPUT OUTPUT"},
        {"route 3 B C", "usage: route INPUT OUTPUT"},
        {"route 33 B", "INPUT must be 1 to 8"},
        {"arc A maybe", "ARC must be on or off"},
        {"power", "usage: power on|off"},
        {"beep loud", "beep must be on or off"},
        {"vanish 0", "SECONDS must be more than 0"},
        {"vanish 3600.001", "SECONDS must be more than 0"},
        {"vanish -1", "SECONDS must be"},
        {"vanish 1.", "SECONDS must be"},
        {"vanish 1e3", "SECONDS must be"},
        {"vanish 99999999999999999999", "SECONDS must be"},
        {"reboot", "unknown command"},
        {std::string("route\0 3 B", 10), "unknown command"},
        {"route 3 " + std::string(300, 'B'), "line longer than 200"},
    };
    for (const auto& [line, reason] : cases) {
        const auto parse = ParseFrontPanelLine(line);
        EXPECT_NE(parse.error.find(reason), std::string::npos) << line << ": " << parse.error;
        EXPECT_EQ(parse.command.kind, FrontPanelCommand::kNothing) << line;
    }
    EXPECT_EQ(ShownLine(std::string("a\x01\\", 3)), "a\\x01\\x5C");
}

TEST(FrontPanelLine, CommandsChangeOnlyWhatTheySay) {
    SwitcherState state;
    auto apply = [&](const char* line) {
        ApplyFrontPanelCommand(ParseFrontPanelLine(line).command, state);
    };
    apply("route 3 B");
    apply("arc H on");
    apply("power off");
    apply("beep off");
    apply("vanish 1");
    SwitcherState expected;
    expected.routing[1] = 3;
    expected.arcOn[7] = true;
    expected.powerOn = false;
    expected.beepOn = false;
    EXPECT_EQ(state.routing, expected.routing);
    EXPECT_EQ(state.arcOn, expected.arcOn);
    EXPECT_EQ(state.powerOn, expected.powerOn);
    EXPECT_EQ(state.beepOn, expected.beepOn);
}

// torvane-sim with its front panel on a free TCP port and a fixed link name.
class FrontPanelProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Start({"--front-panel", "--port", "0", "--no-udp", "--link", link}))
            << sim.Output();
    }
    std::string RoutingOf(int output) {
        const auto command = Command("02 01 0" + std::to_string(output));
        Bytes all;
        for (const auto& read : TcpExchange("127.0.0.1", sim.TcpPort(), command, 13))
            all.insert(all.end(), read.begin(), read.end());
        return ToHex(all);
    }
    // One name per test process: ctest runs these tests side by side, and one
    // of them takes its link away.
    const std::string link = ::testing::TempDir() + "torvane-sim-panel-link-" +
                             std::to_string(::getpid()) + "-" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name();
    SimProcess sim;
};

TEST_F(FrontPanelProcess, BadLinesAreReportedAndChangeNothing) {
    ASSERT_TRUE(sim.Tell("route 3 B"));
    ASSERT_TRUE(sim.WaitFor("panel route 3 B\n"));
    for (const char* bad : {"route 9 B", "route 5", "arc B sideways", "vanish forever"}) {
        ASSERT_TRUE(sim.Tell(bad));
        EXPECT_TRUE(sim.WaitFor("torvane-sim: front panel: line")) << bad;
        EXPECT_TRUE(sim.WaitFor("nothing changed\n")) << bad;
    }
    ASSERT_TRUE(sim.Tell(std::string(5000, 'x')));
    EXPECT_TRUE(sim.WaitFor("longer than 200 characters, ignored\n"));
    EXPECT_EQ(RoutingOf(2), CommandHex("02 01 02 00 03")) << "route 3 B stays";
    EXPECT_EQ(RoutingOf(1), CommandHex("02 01 01 00 01"));
    EXPECT_EQ(ToHex(PtyExchange(link, Command("02 01 02"), 13)), CommandHex("02 01 02 00 03"))
        << "nothing vanished";
}

TEST_F(FrontPanelProcess, AVanishedSwitcherComesBackOnTheSamePortAndLink) {
    const auto port = sim.TcpPort();
    // Long enough that the checks below run while it is away on a loaded machine.
    ASSERT_TRUE(sim.Tell("vanish 2"));
    ASSERT_TRUE(sim.WaitFor("panel vanish 2\n"));
    EXPECT_TRUE(TcpExchange("127.0.0.1", port, Command("08 0C"), 13).empty()) << "refused";
    struct stat st {};
    EXPECT_NE(::lstat(link.c_str(), &st), 0) << "the link goes with the line";
    // Changes made while it is away are there when it is back.
    ASSERT_TRUE(sim.Tell("route 7 A"));

    ASSERT_TRUE(sim.WaitFor("panel back\n", 5000)) << sim.Output();
    EXPECT_EQ(RoutingOf(1), CommandHex("02 01 01 00 07"));
    EXPECT_EQ(ToHex(PtyExchange(link, Command("02 01 01"), 13)), CommandHex("02 01 01 00 07"));
}

}  // namespace
}  // namespace torvane::sim::test
