// torvanectl watch as a script runs it, against torvane-sim processes: the
// state first, a change made at the front panel, the switcher going away and
// coming back, and a signal that ends it.

#include <gtest/gtest.h>

#include "processes.h"
#include "support/child_process.h"

namespace torvane::test {
namespace {

// torvanectl watch in the background; what it prints read line by line.
class WatchProcess {
  public:
    explicit WatchProcess(const std::vector<std::string>& args) {
        child_.Start(BuiltProgram("torvanectl"), "torvanectl", args);
    }
    // Reads until a line after those found before holds every one of
    // `parts`; false after `waitMs`.
    bool WaitForLine(const std::vector<std::string>& parts, int waitMs = 20000) {
        return child_.WaitForLine(parts, waitMs);
    }
    // Sends `signal` and waits (bounded) for the exit status.
    int EndWith(int signal) { return child_.Stop(signal); }
    const std::string& Text() const { return child_.Output(); }

  private:
    ChildProcess child_;
};

TEST(Watch, ShowsTheStateAFrontPanelChangeAndTheSwitcherGoneAndBackThenEndsOnSigint) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start(LoopbackSimArgs({"--front-panel"}))) << sim.Output();
    WatchProcess watch({"--tcp", sim.TcpAddress(), "--json", "watch", "--interval", "0.5"});
    ASSERT_TRUE(watch.WaitForLine({R"({"event":"state","power":"on","beep":"on")",
                                   R"("B":{"connected":true,"input":2,"arc":"off"})"}))
        << watch.Text();

    ASSERT_TRUE(sim.Tell("route 3 B"));
    EXPECT_TRUE(watch.WaitForLine({R"({"event":"change","what":"route","output":"B","input":3,)",
                                   R"("was":2,"cause":"elsewhere"})"}))
        << watch.Text();

    ASSERT_TRUE(sim.Tell("vanish 2"));
    EXPECT_TRUE(watch.WaitForLine({R"({"event":"connection","state":"lost")", R"("retry_in_ms":)"}))
        << watch.Text();
    EXPECT_TRUE(watch.WaitForLine({R"({"event":"connection","state":"reconnecting")"}))
        << watch.Text();
    EXPECT_TRUE(watch.WaitForLine({R"({"event":"connection","state":"connected"})"}))
        << watch.Text();
    // Read again in full, with the change made before the switcher went away.
    EXPECT_TRUE(watch.WaitForLine({R"({"event":"state")", R"("B":{"connected":true,"input":3)"}))
        << watch.Text();
    EXPECT_EQ(watch.EndWith(SIGINT), 0);
}

TEST(Watch, FollowsASerialSwitcherThatIsStoppedAndStartedAgainThenEndsOnSigterm) {
    const std::string link =
        ::testing::TempDir() + "torvane-watch-link-" + std::to_string(::getpid());
    SimProcess first;
    ASSERT_TRUE(first.Start({"--port", "0", "--no-udp", "--link", link})) << first.Output();
    const std::string port = std::to_string(first.TcpPort());
    WatchProcess watch({"--serial", link, "watch", "--interval", "1"});
    ASSERT_TRUE(watch.WaitForLine({"power on, beep on"})) << watch.Text();
    ASSERT_TRUE(watch.WaitForLine({"OUTB: connected, input 2, ARC off"})) << watch.Text();

    first.Stop();
    EXPECT_TRUE(watch.WaitForLine({"connection: lost (Serial port failed!)"})) << watch.Text();
    SimProcess second;
    ASSERT_TRUE(second.Start({"--port", port, "--no-udp", "--link", link})) << second.Output();
    EXPECT_TRUE(watch.WaitForLine({"connection: connected"})) << watch.Text();
    EXPECT_TRUE(watch.WaitForLine({"power on, beep on"})) << watch.Text();
    EXPECT_EQ(watch.EndWith(SIGTERM), 0);
}

TEST(Watch, RefusesABadIntervalAndANameItDoesNotKnow) {
    for (const auto& args : {std::vector<std::string>{"watch", "--interval", "0"},
                             std::vector<std::string>{"watch", "--interval", "x"},
                             std::vector<std::string>{"watch", "--interval"},
                             std::vector<std::string>{"watch", "--every", "3"},
                             std::vector<std::string>{"watch", "now"}}) {
        const auto run = RunProgram(BuiltProgram("torvanectl"), args);
        EXPECT_EQ(run.exitCode, 2) << args.back();
        EXPECT_NE(run.err.find("torvanectl: "), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace torvane::test
