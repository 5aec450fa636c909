#include "links/posix_udp_socket.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "links/ipv4_address.h"

namespace torvane {

PosixUdpSocket::PosixUdpSocket(EventLoop& loop) : loop_(loop) {}

PosixUdpSocket::~PosixUdpSocket() { Close(); }

void PosixUdpSocket::Close() {
    if (watch_ != 0) loop_.Unwatch(watch_);
    watch_ = 0;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    onDatagram_ = nullptr;
}

Status PosixUdpSocket::Open(const std::string& bindIp, std::uint16_t port,
                            std::function<void(const Datagram&)> onDatagram) {
    Close();
    sockaddr_in address;
    if (!MakeIpv4Address(bindIp, port, &address)) return NotAnIpv4Address(bindIp);
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return ErrnoError(errno);
    const int on = 1;
    // Shared ports let the program bind beside a switcher's network module
    // (or a simulated one) on the same machine.
    if (::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        return SystemError("cannot bind " + bindIp + ":" + std::to_string(port) + ": " +
                           ErrnoError(error).message);
    }
    fd_ = fd;
    onDatagram_ = std::move(onDatagram);
    watch_ = loop_.WatchFd(fd_, EventLoop::kReadable, [this](unsigned) { OnReadable(); });
    return {};
}

void PosixUdpSocket::OnReadable() {
    // Every datagram waiting, each whole; a handler may close the socket.
    std::vector<std::uint8_t> buffer(65536);
    while (fd_ >= 0) {
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t n = ::recvfrom(fd_, buffer.data(), buffer.size(), 0,
                                     reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;  // drained, or an error the next datagram may not have
        }
        Datagram datagram;
        datagram.bytes.assign(buffer.begin(), buffer.begin() + n);
        datagram.fromIp = Ipv4Text(from);
        datagram.fromPort = ntohs(from.sin_port);
        auto handler = onDatagram_;
        if (handler) handler(datagram);
    }
}

Result<std::size_t> PosixUdpSocket::SendTo(const std::string& ip, std::uint16_t port,
                                           const std::uint8_t* bytes, std::size_t count) {
    if (fd_ < 0) return UdpSocketNotOpen();
    sockaddr_in address;
    if (!MakeIpv4Address(ip, port, &address)) return NotAnIpv4Address(ip);
    const ssize_t sent =
        ::sendto(fd_, bytes, count, 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (sent < 0)
        return SystemError("cannot send to " + ip + ":" + std::to_string(port) + ": " +
                           ErrnoError(errno).message);
    return static_cast<std::size_t>(sent);
}

std::uint16_t PosixUdpSocket::LocalPort() const {
    if (fd_ < 0) return 0;
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohs(address.sin_port);
}

}  // namespace torvane
