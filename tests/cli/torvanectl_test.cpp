// torvanectl as a script runs it: a real process against torvane-sim over the
// simulator's TCP port and pseudo-terminal.

#include <gtest/gtest.h>

#include "processes.h"

namespace torvane::test {
namespace {

RunResult Ctl(const std::vector<std::string>& args) {
    return RunProgram(BuiltProgram("torvanectl"), args);
}

using Torvanectl = TorvanectlAgainstSim;

TEST_F(Torvanectl, StatusOverTcpAsJson) {
    auto r = Ctl(Tcp({"--json", "status"}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(
        r.out,
        R"({"power":"on","beep":"on","inputs":{"1":"connected","2":"connected","3":"connected",)"
        R"("4":"disconnected","5":"disconnected","6":"disconnected","7":"disconnected","8":"disconnected"},)"
        R"("outputs":{"A":"connected","B":"connected","C":"disconnected","D":"disconnected",)"
        R"("E":"disconnected","F":"disconnected","G":"disconnected","H":"disconnected"}})"
        "\n");
}

TEST_F(Torvanectl, StatusOverThePseudoTerminalWithTrace) {
    auto r = Ctl(Serial({"--trace", "status"}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Power: on\nBeep: on\nHDMI IN1: Connect\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("HDMI OUTH: Disconnect\n"), std::string::npos);
    // The connect query first, its reply, and one line per unit.
    EXPECT_EQ(r.err.rfind("> A5 5B 08 0C 00 00 00 00 00 00 00 00 EC\n< A5 5B 08 0C 0F", 0), 0u)
        << r.err;
    EXPECT_NE(r.err.find("> A5 5B 01 05 08 00 00 00 00 00 00 00 F2\n"), std::string::npos);
}

TEST_F(Torvanectl, TheSerialPortOpensAgainRunAfterRun) {
    // The simulator keeps its end of the line open between runs, as a
    // switcher's cable does.
    for (int run = 0; run < 3; ++run) {
        auto r = Ctl(Serial({"--json", "status"}));
        ASSERT_EQ(r.exitCode, 0) << "run " << run << ": " << r.err;
    }
}

TEST_F(Torvanectl, PowerAndBeepRoundTripOverBothLinks) {
    auto off = Ctl(Tcp({"power", "off"}));
    EXPECT_EQ(off.exitCode, 0) << off.err;
    auto status = Ctl(Serial({"--json", "status"}));
    EXPECT_EQ(status.out.rfind(R"({"power":"off")", 0), 0u) << status.out;
    auto on = Ctl(Serial({"--json", "power", "on"}));
    EXPECT_EQ(on.exitCode, 0) << on.err;
    EXPECT_EQ(on.out, "{\"ok\":true}\n");
    auto again = Ctl(Tcp({"power", "on"}));
    EXPECT_EQ(again.out, "power is already on\n");

    EXPECT_EQ(Ctl(Tcp({"beep", "off"})).exitCode, 0);
    EXPECT_NE(Ctl(Serial({"status"})).out.find("Beep: off"), std::string::npos);
    EXPECT_EQ(Ctl(Serial({"beep", "on"})).exitCode, 0);
    EXPECT_NE(Ctl(Tcp({"status"})).out.find("Beep: on"), std::string::npos);
}

TEST_F(Torvanectl, RebootAndFactoryReset) {
    auto reboot = Ctl(Tcp({"reboot"}));
    EXPECT_EQ(reboot.exitCode, 0) << reboot.err;
    EXPECT_EQ(reboot.out, "rebooted\n");
    auto refused = Ctl(Serial({"factory-reset"}));
    EXPECT_EQ(refused.exitCode, 2);
    auto reset = Ctl(Serial({"--json", "factory-reset", "--yes"}));
    EXPECT_EQ(reset.exitCode, 0) << reset.err;
    EXPECT_EQ(reset.out, "{\"ok\":true}\n");
}

TEST(TorvanectlSilent, ASilentSwitcherTimesOut) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start(LoopbackSimArgs({"--silent"}))) << sim.Output();
    auto r = Ctl({"--tcp", sim.TcpAddress(), "--json", "status"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "{\"ok\":false,\"error\":\"Time out!\"}\n");
    auto serial = Ctl({"--serial", sim.SerialPath(), "reboot"});
    EXPECT_EQ(serial.exitCode, 1);
    EXPECT_EQ(serial.err, "torvanectl: Time out!\n");
}

TEST(TorvanectlLinks, LinksThatCannotBeOpened) {
    // Port 1 on loopback: nothing listens there.
    auto tcp = Ctl({"--tcp", "127.0.0.1:1", "status"});
    EXPECT_EQ(tcp.exitCode, 3);
    EXPECT_EQ(tcp.err.rfind("torvanectl: Connect to Matrix failed! (", 0), 0u) << tcp.err;
    auto serial = Ctl({"--serial", "/dev/torvane-no-such-port", "--json", "status"});
    EXPECT_EQ(serial.exitCode, 3);
    EXPECT_EQ(serial.out.rfind(R"({"ok":false,"error":"Open COM failed! ()", 0), 0u) << serial.out;
}

TEST(TorvanectlUsage, UsageErrorsAndHelp) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    const Case cases[] = {
        {{"--help"}, 0},
        {{}, 2},
        {{"power"}, 2},
        {{"beep", "loud"}, 2},
        {{"frobnicate"}, 2},
        {{"--tcp", "127.0.0.1:99999", "status"}, 2},
        {{"--serial", "/dev/x", "--tcp", "127.0.0.1", "status"}, 2},
        {{"route", "9", "A"}, 2},
        {{"status", "extra"}, 2},
    };
    for (const auto& c : cases) {
        auto r = Ctl(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << (c.args.empty() ? "" : c.args[0]) << ": " << r.err;
    }
    EXPECT_NE(Ctl({"--help"}).out.find("Exit status:"), std::string::npos);
}

}  // namespace
}  // namespace torvane::test
