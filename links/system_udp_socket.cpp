#include "links/system_udp_socket.h"

#include <vector>

namespace torvane {

SystemUdpSocket::SystemUdpSocket(EventLoop& loop) : loop_(loop) {}

SystemUdpSocket::~SystemUdpSocket() { Close(); }

void SystemUdpSocket::Close() {
    if (watch_ != 0) loop_.Unwatch(watch_);
    watch_ = 0;
    sockets::Close(socket_);
    socket_ = sockets::kNone;
    onDatagram_ = nullptr;
}

Status SystemUdpSocket::Open(const std::string& bindIp, std::uint16_t port,
                             std::function<void(const Datagram&)> onDatagram) {
    Close();
    const auto ip = ParseIpv4(bindIp);
    if (!ip) return NotAnIpv4Address(bindIp);
    const sockets::Handle socket = sockets::Open(sockets::Kind::kDatagram);
    if (socket == sockets::kNone) return sockets::SocketError(sockets::LastError());
    // Shared ports let the program bind beside a switcher's network module
    // (or a simulated one) on the same machine.
    if (!sockets::Enable(socket, sockets::Option::kBroadcast) ||
        !sockets::Enable(socket, sockets::Option::kReuseAddress) ||
        !sockets::Bind(socket, *ip, port)) {
        const int error = sockets::LastError();
        sockets::Close(socket);
        return SystemError("cannot bind " + bindIp + ":" + std::to_string(port) + ": " +
                           sockets::ErrorText(error));
    }
    socket_ = socket;
    onDatagram_ = std::move(onDatagram);
    watch_ = loop_.WatchFd(socket_, EventLoop::kReadable, [this](unsigned) { OnReadable(); });
    return {};
}

void SystemUdpSocket::OnReadable() {
    // Every datagram waiting, each whole; a handler may close the socket.
    std::vector<std::uint8_t> buffer(65536);
    while (socket_ != sockets::kNone) {
        Ipv4Octets from{};
        std::uint16_t fromPort = 0;
        const long n =
            sockets::ReceiveFrom(socket_, buffer.data(), buffer.size(), &from, &fromPort);
        if (n < 0) {
            if (sockets::Interrupted(sockets::LastError())) continue;
            return;  // drained, or an error the next datagram may not have
        }
        Datagram datagram;
        datagram.bytes.assign(buffer.begin(), buffer.begin() + n);
        datagram.fromIp = FormatIpv4(from);
        datagram.fromPort = fromPort;
        auto handler = onDatagram_;
        if (handler) handler(datagram);
    }
}

Result<std::size_t> SystemUdpSocket::SendTo(const std::string& ip, std::uint16_t port,
                                            const std::uint8_t* bytes, std::size_t count) {
    if (socket_ == sockets::kNone) return UdpSocketNotOpen();
    const auto to = ParseIpv4(ip);
    if (!to) return NotAnIpv4Address(ip);
    const long sent = sockets::SendTo(socket_, *to, port, bytes, count);
    if (sent < 0)
        return SystemError("cannot send to " + ip + ":" + std::to_string(port) + ": " +
                           sockets::ErrorText(sockets::LastError()));
    return static_cast<std::size_t>(sent);
}

std::uint16_t SystemUdpSocket::LocalPort() const {
    return socket_ == sockets::kNone ? 0 : sockets::LocalPort(socket_);
}

}  // namespace torvane
