// torvanectl as a script runs it: a real process against torvane-sim over the
// simulator's TCP port and pseudo-terminal.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "processes.h"

namespace torvane::test {
namespace {

using Torvanectl = TorvanectlAgainstSim;

TEST_F(Torvanectl, StatusOverTcpAsJson) {
    auto r = Ctl(Tcp({"--json", "status"}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(
        r.out,
        R"({"ok":true,"power":"on","beep":"on","inputs":{"1":"connected","2":"connected","3":"connected",)"
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
    // What the window said on connecting is a warning, not lost.
    auto status = Ctl(Serial({"--json", "status"}));
    EXPECT_EQ(status.out.rfind(R"({"ok":true,"power":"off","beep":"unknown")", 0), 0u)
        << status.out;
    EXPECT_NE(status.out.find(R"(,"warnings":["Power off!"]})"), std::string::npos) << status.out;
    EXPECT_EQ(status.err, "torvanectl: warning: Power off!\n");
    // The beep state of a switcher that is off was never read: no "already off".
    auto beepOff = Ctl(Tcp({"--json", "beep", "off"}));
    EXPECT_EQ(beepOff.exitCode, 1);
    EXPECT_EQ(beepOff.out, R"({"ok":false,"error":"Power off!","warnings":["Power off!"]})"
                           "\n");
    EXPECT_EQ(beepOff.err, "torvanectl: warning: Power off!\ntorvanectl: Power off!\n");
    auto on = Ctl(Serial({"--json", "power", "ON"}));
    EXPECT_EQ(on.exitCode, 0) << on.err;
    EXPECT_EQ(on.out, R"({"ok":true,"power":"on","warnings":["Power off!"]})"
                      "\n");
    auto again = Ctl(Tcp({"power", "on"}));
    EXPECT_EQ(again.out, "power is already on\n");
    EXPECT_EQ(again.err, "");
    EXPECT_EQ(Ctl(Tcp({"--json", "beep", "On"})).out, "{\"ok\":true,\"beep\":\"on\"}\n");

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

TEST(TorvanectlSlow, EachQueryOnConnectingHasItsOwnReplyTime) {
    // Power and beep state, each answered in a little over half the time a
    // reply may take: the two together take longer than one reply's time.
    SimProcess sim;
    ASSERT_TRUE(sim.Start(LoopbackSimArgs({"--reply-delay", "1600"}))) << sim.Output();
    auto r = Ctl({"--tcp", sim.TcpAddress(), "beep", "on"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "beep is already on\n");
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

TEST(TorvanectlLinks, ALinkLostInTheMiddleOfACommandIsALinkFailure) {
    for (const bool serial : {true, false}) {
        SCOPED_TRACE(serial ? "serial" : "tcp");
        SimProcess sim;
        ASSERT_TRUE(sim.Start(LoopbackSimArgs({"--silent"}))) << sim.Output();
        // The switcher goes away while the tool waits for its answer.
        std::thread unplug([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(700));
            sim.Stop();
        });
        auto r = Ctl({serial ? "--serial" : "--tcp", serial ? sim.SerialPath() : sim.TcpAddress(),
                      "--json", "status"});
        unplug.join();
        EXPECT_EQ(r.exitCode, 3) << r.out << r.err;
        EXPECT_EQ(r.out.rfind("{\"ok\":false,\"error\":", 0), 0u) << r.out;
    }
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
        {{"status", "--jsn"}, 2},
        {{"factory-reset", "--yes", "--force"}, 2},
        {{"--yes", "status"}, 2},
    };
    for (const auto& c : cases) {
        auto r = Ctl(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << (c.args.empty() ? "" : c.args[0]) << ": " << r.err;
    }
    EXPECT_NE(Ctl({"--help"}).out.find("Exit status:"), std::string::npos);
    EXPECT_EQ(Ctl({"--version"}).out, "torvanectl " TORVANE_VERSION "\n");
    auto ports = Ctl({"--json", "ports"});
    EXPECT_EQ(ports.exitCode, 0) << ports.err;
    EXPECT_EQ(ports.out.rfind("{\"ok\":true,\"ports\":[", 0), 0u) << ports.out;
    // Every command reads its numbers, outputs and on/off the same way, and
    // nothing after "--" is an option: these reach the link (nothing
    // listens on port 1).
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"route", "03", "B"},
                                               {"route", "3", "b"},
                                               {"arc", "a", "ON"},
                                               {"arc", "08", "Off"},
                                               {"power", "OFF"},
                                               {"beep", "On"},
                                               {"edid", "preset", "01", "ALL"},
                                               {"edid", "copy", "h", "08"},
                                               {"route", "--", "3", "B"},
                                               {"text", "set", "--", "--json"}}) {
        std::vector<std::string> full = {"--tcp", "127.0.0.1:1"};
        full.insert(full.end(), args.begin(), args.end());
        auto r = Ctl(full);
        EXPECT_EQ(r.exitCode, 3) << args[0] << " " << args[1] << ": " << r.err;
    }
    // With --json even a usage error is one object on standard output.
    auto json = Ctl({"--json", "status", "--jsn"});
    EXPECT_EQ(json.exitCode, 2);
    EXPECT_EQ(json.out, "{\"ok\":false,\"error\":\"unknown option --jsn\"}\n");
    EXPECT_NE(json.err.find("unknown option --jsn"), std::string::npos);
}

}  // namespace
}  // namespace torvane::test
