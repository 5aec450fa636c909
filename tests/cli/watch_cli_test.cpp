// torvanectl watch as a script runs it, against torvane-sim processes: the
// state first, a change made at the front panel, the switcher going away and
// coming back, and a signal that ends it.

#include <gtest/gtest.h>

#include "processes.h"

namespace torvane::test {
namespace {

// torvanectl watch in the background; its standard output read line by line.
class WatchProcess {
  public:
    explicit WatchProcess(const std::vector<std::string>& args) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        errFd_ = open("/dev/null", O_WRONLY | O_CLOEXEC);
        pid_ = detail::Spawn(BuiltProgram("torvanectl"), args, out[1], errFd_);
        close(out[1]);
        out_ = out[0];
    }
    ~WatchProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
        if (errFd_ >= 0) close(errFd_);
    }

    // Reads until a line after those found before holds every one of
    // `parts`; false after `waitMs`.
    bool WaitForLine(const std::vector<std::string>& parts, int waitMs = 20000) {
        const long deadline = detail::NowMs() + waitMs;
        for (;;) {
            for (std::size_t end; (end = text_.find('\n', seen_)) != std::string::npos;) {
                const std::string line = text_.substr(seen_, end - seen_);
                seen_ = end + 1;
                bool all = true;
                for (const auto& part : parts) all = all && line.find(part) != std::string::npos;
                if (all) return true;
            }
            const long left = deadline - detail::NowMs();
            pollfd p{out_, POLLIN, 0};
            if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return false;
            char buffer[4096];
            const ssize_t n = read(out_, buffer, sizeof buffer);
            if (n <= 0) return false;
            text_.append(buffer, static_cast<std::size_t>(n));
        }
    }

    // Sends `signal` and waits (bounded) for the exit status.
    int EndWith(int signal) {
        kill(pid_, signal);
        int status = 0;
        const long deadline = detail::NowMs() + 10000;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (detail::NowMs() > deadline) return -1;
            pollfd none{-1, 0, 0};
            poll(&none, 0, 20);
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const std::string& Text() const { return text_; }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    int errFd_ = -1;
    std::string text_;
    std::size_t seen_ = 0;
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
