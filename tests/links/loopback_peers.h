#pragma once
// Small loopback peers for the socket tests: a TCP listener that accepts
// without blocking the test, and a plain UDP socket.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

namespace torvane::test {

// This process's IPv4 socket whose local port (or, with `remote`, whose
// peer's port) is `port`; -1 when there is none. Lets a test look at a link's
// socket options from outside the link.
inline int FindSocket(std::uint16_t port, bool remote) {
    for (int fd = 0; fd < 1024; ++fd) {
        sockaddr_in a{};
        socklen_t length = sizeof a;
        const int found = remote ? ::getpeername(fd, reinterpret_cast<sockaddr*>(&a), &length)
                                 : ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
        if (found == 0 && a.sin_family == AF_INET && ntohs(a.sin_port) == port) return fd;
    }
    return -1;
}

inline sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

inline std::uint16_t PortOf(int fd) {
    sockaddr_in a{};
    socklen_t n = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    return ntohs(a.sin_port);
}

// Reads what arrives on `fd` until `count` bytes came, the peer closed, or
// `ms` passed.
inline std::vector<std::uint8_t> ReadFrom(int fd, std::size_t count, int ms = 2000) {
    std::vector<std::uint8_t> out;
    while (out.size() < count) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0) break;
        std::uint8_t buffer[4096];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

class TcpListener {
  public:
    TcpListener() {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        const auto a = Loopback(0);
        ::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
        ::listen(fd, 4);
        port = PortOf(fd);
    }
    ~TcpListener() {
        for (int c : accepted) ::close(c);
        ::close(fd);
    }
    // The next connection, once the kernel has completed it; -1 after `ms`.
    int Accept(int ms = 2000) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0) return -1;
        const int c = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (c >= 0) accepted.push_back(c);
        return c;
    }
    int fd = -1;
    std::uint16_t port = 0;
    std::vector<int> accepted;
};

class UdpPeer {
  public:
    UdpPeer() {
        fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const auto a = Loopback(0);
        ::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
        port = PortOf(fd);
    }
    ~UdpPeer() { ::close(fd); }
    void SendTo(std::uint16_t to, const std::vector<std::uint8_t>& bytes) const {
        const auto a = Loopback(to);
        ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&a),
                 sizeof a);
    }
    std::vector<std::uint8_t> Receive(int ms = 2000) const {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0) return {};
        std::uint8_t buffer[2048];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        return n > 0 ? std::vector<std::uint8_t>(buffer, buffer + n) : std::vector<std::uint8_t>{};
    }
    int fd = -1;
    std::uint16_t port = 0;
};

}  // namespace torvane::test
