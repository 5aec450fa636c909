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

#include "support/child_process.h"

namespace torvane::sim::test {

using Bytes = std::vector<std::uint8_t>;

inline std::string SimPath() { return std::string(TORVANE_BINARY_DIR) + "/torvane-sim"; }

using ::torvane::test::MsLeft;

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
    // Starts torvane-sim with `args` and waits (up to 5 s) for "ready". Its
    // standard input is a pipe the test writes with Tell (its front panel).
    bool Start(const std::vector<std::string>& args) {
        if (!child_.Start(SimPath(), "torvane-sim", args) || !child_.WaitFor("ready\n"))
            return false;
        std::istringstream lines(child_.Output());
        for (std::string line; std::getline(lines, line);) {
            const auto space = line.find(' ');
            if (space != std::string::npos) said_[line.substr(0, space)] = line.substr(space + 1);
        }
        return true;
    }

    // SIGTERM to this child only, then waits for it; returns its exit status.
    int Stop() { return child_.Stop(); }

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
    const std::string& Output() const { return child_.Output(); }

    bool Tell(const std::string& line) { return child_.Tell(line); }
    // Reads what it prints until `text` appears after what earlier waits
    // found, or `waitMs` pass.
    bool WaitFor(const std::string& text, int waitMs = 5000) {
        return child_.WaitFor(text, waitMs);
    }

  private:
    ::torvane::test::ChildProcess child_;
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
