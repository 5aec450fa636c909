#pragma once
// Runs the built torvane-sim as a child process for a test and reads what it
// prints on start; small POSIX clients talk to it over loopback and its pty.
// Every wait is bounded by poll() time-outs on real descriptors.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace torvane::sim::test {

using Bytes = std::vector<std::uint8_t>;

inline std::string SimPath() { return std::string(TORVANE_BINARY_DIR) + "/torvane-sim"; }

inline long MsLeft(std::chrono::steady_clock::time_point deadline) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                 std::chrono::steady_clock::now())
        .count();
}

// Reads what `fd` offers until `done(buffer)` or `waitMs` pass; each read is
// one entry.
template <typename Done>
std::vector<Bytes> ReadFor(int fd, int waitMs, Done done) {
    std::vector<Bytes> reads;
    Bytes all;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (!done(all)) {
        const long left = MsLeft(deadline);
        if (left <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) break;
        std::uint8_t buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        reads.emplace_back(buffer, buffer + n);
        all.insert(all.end(), buffer, buffer + n);
    }
    return reads;
}

class SimProcess {
  public:
    SimProcess() = default;
    ~SimProcess() { Stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts torvane-sim with `args` and waits (up to 5 s) for "ready". Its
    // standard input is a pipe the test writes with Tell.
    bool Start(const std::vector<std::string>& args) {
        int pipeFds[2], inFds[2];
        if (::pipe(pipeFds) != 0 || ::pipe2(inFds, O_CLOEXEC) != 0) return false;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(pipeFds[1], 1);
            ::dup2(pipeFds[1], 2);
            ::dup2(inFds[0], 0);
            ::close(pipeFds[0]);
            ::close(inFds[1]);
            std::vector<char*> argv{const_cast<char*>("torvane-sim")};
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(SimPath().c_str(), argv.data());
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        ::close(inFds[0]);
        out_ = pipeFds[0];
        in_ = inFds[1];
        ReadFor(out_, 5000, [this](const Bytes& all) {
            output_.assign(all.begin(), all.end());
            return output_.find("ready\n") != std::string::npos;
        });
        std::istringstream lines(output_);
        for (std::string line; std::getline(lines, line);) {
            const auto space = line.find(' ');
            if (space != std::string::npos) said_[line.substr(0, space)] = line.substr(space + 1);
        }
        return output_.find("ready\n") != std::string::npos;
    }

    // SIGTERM to this child only, then waits for it; returns its exit status.
    int Stop() {
        if (pid_ <= 0) return -1;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        if (out_ >= 0) ::close(out_);
        if (in_ >= 0) ::close(in_);
        out_ = in_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The start-up lines by their first word: "tcp" -> "127.0.0.1:8000".
    std::string Said(const std::string& key) const {
        auto it = said_.find(key);
        return it == said_.end() ? "" : it->second;
    }
    std::string TcpAddress() const { return Said("tcp"); }
    std::string SerialPath() const { return Said("serial"); }
    std::uint16_t TcpPort() const {
        const std::string tcp = Said("tcp");
        return static_cast<std::uint16_t>(std::stoi(tcp.substr(tcp.find(':') + 1)));
    }
    // "udp discovery N configuration M"
    std::uint16_t UdpPort(bool discovery) const {
        std::istringstream words(Said("udp"));
        std::string word;
        int discoveryPort = 0, configPort = 0;
        words >> word >> discoveryPort >> word >> configPort;
        return static_cast<std::uint16_t>(discovery ? discoveryPort : configPort);
    }
    const std::string& Output() const { return output_; }

    // Writes `line` and a newline on its standard input (its front panel).
    bool Tell(const std::string& line) {
        ::signal(SIGPIPE, SIG_IGN);  // a simulator gone fails the write, not the test
        const std::string text = line + "\n";
        return ::write(in_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }
    // Reads what it prints (standard output and error together) until `text`
    // appears after what earlier waits found, or `waitMs` pass.
    bool WaitFor(const std::string& text, int waitMs = 5000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        for (;;) {
            const auto at = output_.find(text, seen_);
            if (at != std::string::npos) {
                seen_ = at + text.size();
                return true;
            }
            const long left = MsLeft(deadline);
            pollfd p{out_, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) return false;
            char buffer[4096];
            const ssize_t n = ::read(out_, buffer, sizeof buffer);
            if (n <= 0) return false;
            output_.append(buffer, static_cast<std::size_t>(n));
        }
    }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    int in_ = -1;
    std::size_t seen_ = 0;
    std::string output_;
    std::map<std::string, std::string> said_;
};

// Runs torvane-sim to its end (for --help and usage errors).
inline int RunSim(const std::string& args, std::string* output) {
    const std::string command = SimPath() + " " + args + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output->append(buffer, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline sockaddr_in Address(const std::string& ip, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    ::inet_pton(AF_INET, ip.c_str(), &a.sin_addr);
    return a;
}

// Connects, sends `request`, and returns the reads that bring `expect` bytes
// (or what came within `waitMs`). Empty when the connection fails.
inline std::vector<Bytes> TcpExchange(const std::string& ip, std::uint16_t port,
                                      const Bytes& request, std::size_t expect, int waitMs = 3000) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in to = Address(ip, port);
    std::vector<Bytes> reads;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 &&
        ::send(fd, request.data(), request.size(), 0) == static_cast<ssize_t>(request.size()))
        reads = ReadFor(fd, waitMs, [expect](const Bytes& all) { return all.size() >= expect; });
    ::close(fd);
    return reads;
}

inline Bytes PtyExchange(const std::string& path, const Bytes& request, std::size_t expect,
                         int waitMs = 3000) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return {};
    termios raw{};
    ::tcgetattr(fd, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(fd, TCSANOW, &raw);
    Bytes all;
    if (::write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size()))
        for (const auto& read :
             ReadFor(fd, waitMs, [expect](const Bytes& a) { return a.size() >= expect; }))
            all.insert(all.end(), read.begin(), read.end());
    ::close(fd);
    return all;
}

struct UdpAnswer {
    std::string from;
    Bytes bytes;
};

// Sends from a socket bound to 127.0.0.1 and collects answers until `count`
// have come or `waitMs` pass.
inline std::vector<UdpAnswer> UdpExchange(const std::string& to, std::uint16_t port,
                                          const Bytes& request, std::size_t count,
                                          int waitMs = 2000) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    const sockaddr_in local = Address("127.0.0.1", 0);
    ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local);
    const sockaddr_in target = Address(to, port);
    ::sendto(fd, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&target),
             sizeof target);
    std::vector<UdpAnswer> answers;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (answers.size() < count && MsLeft(deadline) > 0) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(MsLeft(deadline))) <= 0) break;
        std::uint8_t buffer[1500];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t n =
            ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        if (n < 0) break;
        char text[INET_ADDRSTRLEN];
        ::inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
        answers.push_back({text, Bytes(buffer, buffer + n)});
    }
    ::close(fd);
    return answers;
}

}  // namespace torvane::sim::test
