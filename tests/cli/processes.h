#pragma once
// Running programs for the command-line tests: torvanectl to completion, and
// torvane-sim in the background for as long as a test needs it. All inline:
// each test layer is one program built from its *_test.cpp files.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "support/sim_process.h"

namespace torvane::test {

inline std::string BuiltProgram(const std::string& name) {
    return std::string(TORVANE_BINARY_DIR) + "/" + name;
}

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs `program` with `args` and waits for it (killed after `timeoutMs`).
// Its standard input is /dev/null, or a pipe that carries `input` and is
// then closed (or, with `keepInputOpen`, held open until the program ends).
struct StandardInput {
    std::string bytes;
    bool keepOpen = false;
};
inline RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                            int timeoutMs = 60000, const StandardInput* input = nullptr);

// torvanectl run once with `args`, and with a standard input.
inline RunResult Ctl(const std::vector<std::string>& args, int timeoutMs = 60000) {
    return RunProgram(BuiltProgram("torvanectl"), args, timeoutMs);
}
inline RunResult Ctl(const std::vector<std::string>& args, const StandardInput* input) {
    return RunProgram(BuiltProgram("torvanectl"), args, 60000, input);
}

using sim::test::SimProcess;

// torvane-sim's arguments for a free loopback TCP port and its pseudo-terminal.
inline std::vector<std::string> LoopbackSimArgs(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--port", "0", "--no-udp"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

// A test of torvanectl against one torvane-sim, over either of its links.
class TorvanectlAgainstSim : public ::testing::Test {
  protected:
    explicit TorvanectlAgainstSim(std::vector<std::string> simArgs = {})
        : simArgs_(std::move(simArgs)) {}
    void SetUp() override { ASSERT_TRUE(sim.Start(LoopbackSimArgs(simArgs_))) << sim.Output(); }
    // `rest` with the link options in front.
    std::vector<std::string> Tcp(std::vector<std::string> rest) const {
        rest.insert(rest.begin(), {"--tcp", sim.TcpAddress()});
        return rest;
    }
    std::vector<std::string> Serial(std::vector<std::string> rest) const {
        rest.insert(rest.begin(), {"--serial", sim.SerialPath()});
        return rest;
    }
    SimProcess sim;

  private:
    std::vector<std::string> simArgs_;
};

namespace detail {

inline pid_t Spawn(const std::string& program, const std::vector<std::string>& args, int outFd,
                   int errFd, int inFd = -1) {
    pid_t pid = fork();
    if (pid == 0) {
        dup2(outFd, 1);
        dup2(errFd, 2);
        dup2(inFd >= 0 ? inFd : open("/dev/null", O_RDONLY), 0);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

inline long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace detail

inline RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                            int timeoutMs, const StandardInput* input) {
    int out[2], err[2], in[2] = {-1, -1};
    if (pipe(out) != 0 || pipe(err) != 0 || (input && pipe2(in, O_CLOEXEC) != 0)) return {};
    pid_t pid = detail::Spawn(program, args, out[1], err[1], in[0]);
    close(out[1]);
    close(err[1]);
    if (input) {
        close(in[0]);
        // Small enough for the pipe's buffer: the write never waits.
        if (write(in[1], input->bytes.data(), input->bytes.size()) < 0) return {};
        if (!input->keepOpen) close(in[1]);
    }
    RunResult result;
    const long deadline = detail::NowMs() + timeoutMs;
    bool outOpen = true, errOpen = true;
    while ((outOpen || errOpen) && detail::NowMs() < deadline) {
        pollfd fds[2] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}};
        if (poll(fds, 2, 100) <= 0) continue;
        char buf[4096];
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
            ssize_t n = read(i == 0 ? out[0] : err[0], buf, sizeof buf);
            if (n <= 0) {
                (i == 0 ? outOpen : errOpen) = false;
                continue;
            }
            (i == 0 ? result.out : result.err).append(buf, static_cast<std::size_t>(n));
        }
    }
    if (outOpen || errOpen) kill(pid, SIGKILL);
    close(out[0]);
    close(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (input && input->keepOpen) close(in[1]);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace torvane::test
