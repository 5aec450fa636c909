#pragma once
// A built program run in the background for as long as a test needs it: what
// it prints (standard output and error together) read as it comes, its
// standard input a pipe the test writes. Every wait is bounded.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace torvane::test {

inline long MsLeft(std::chrono::steady_clock::time_point deadline) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                 std::chrono::steady_clock::now())
        .count();
}

class ChildProcess {
  public:
    ChildProcess() = default;
    ~ChildProcess() { Stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `program` (its name in argv[0] is `name`) with `args`.
    bool Start(const std::string& program, const std::string& name,
               const std::vector<std::string>& args) {
        int outFds[2], inFds[2];
        if (::pipe(outFds) != 0 || ::pipe2(inFds, O_CLOEXEC) != 0) return false;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(outFds[1], 1);
            ::dup2(outFds[1], 2);
            ::dup2(inFds[0], 0);
            ::close(outFds[0]);
            ::close(inFds[1]);
            std::vector<char*> argv{const_cast<char*>(name.c_str())};
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(outFds[1]);
        ::close(inFds[0]);
        out_ = outFds[0];
        in_ = inFds[1];
        return pid_ > 0;
    }

    // Reads what it prints until `text` appears after what earlier waits
    // found, or `waitMs` pass.
    bool WaitFor(const std::string& text, int waitMs = 5000) {
        return WaitUntil(
            [this, &text] {
                const auto at = output_.find(text, seen_);
                if (at == std::string::npos) return false;
                seen_ = at + text.size();
                return true;
            },
            waitMs);
    }

    // Reads until a whole line after those found before holds every one of
    // `parts`, or `waitMs` pass.
    bool WaitForLine(const std::vector<std::string>& parts, int waitMs = 20000) {
        return WaitUntil(
            [this, &parts] {
                for (std::size_t end; (end = output_.find('\n', seen_)) != std::string::npos;) {
                    const std::string line = output_.substr(seen_, end - seen_);
                    seen_ = end + 1;
                    bool all = true;
                    for (const auto& part : parts)
                        all = all && line.find(part) != std::string::npos;
                    if (all) return true;
                }
                return false;
            },
            waitMs);
    }

    // Writes `line` and a newline on its standard input.
    bool Tell(const std::string& line) {
        ::signal(SIGPIPE, SIG_IGN);  // a child gone fails the write, not the test
        const std::string text = line + "\n";
        return ::write(in_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }

    // `signal` to this child only, then waits for it (killed after 10 s);
    // returns its exit status, or -1 when it ended by a signal.
    int Stop(int signal = SIGTERM) {
        if (pid_ <= 0) return -1;
        ::kill(pid_, signal);
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (MsLeft(deadline) <= 0) ::kill(pid_, SIGKILL);
            ::poll(nullptr, 0, 10);
        }
        pid_ = -1;
        if (out_ >= 0) ::close(out_);
        if (in_ >= 0) ::close(in_);
        out_ = in_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    const std::string& Output() const { return output_; }
    pid_t Pid() const { return pid_; }
    // Where the text after the last thing found begins.
    std::size_t Seen() const { return seen_; }

  private:
    template <typename Found>
    bool WaitUntil(Found found, int waitMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        for (;;) {
            if (found()) return true;
            const long left = MsLeft(deadline);
            pollfd p{out_, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) return false;
            char buffer[4096];
            const ssize_t n = ::read(out_, buffer, sizeof buffer);
            if (n <= 0) return false;
            output_.append(buffer, static_cast<std::size_t>(n));
        }
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int in_ = -1;
    std::size_t seen_ = 0;
    std::string output_;
};

}  // namespace torvane::test
