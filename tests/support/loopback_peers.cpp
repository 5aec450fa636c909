#include "support/loopback_peers.h"

#include "platform/descriptor_poll.h"
#include "platform/event_loop.h"

namespace torvane::test {

namespace {

constexpr Ipv4Octets kLoopback{127, 0, 0, 1};

// Whether something (data, a connection, an end) came to `socket` within `ms`.
bool Arrived(sockets::Handle socket, int ms) {
    std::vector<PolledDescriptor> polled{{socket, EventLoop::kReadable}};
    return PollDescriptors(polled, ms) > 0;
}

}  // namespace

sockets::Handle FindSocket(std::uint16_t port, bool remote) {
    const auto [first, end, step] = system_sockets::PossibleHandles();
    for (sockets::Handle h = first; h < end; h += step) {
        if ((remote ? system_sockets::PeerPort(h) : sockets::LocalPort(h)) == port) return h;
    }
    return sockets::kNone;
}

std::vector<std::uint8_t> ReadFrom(sockets::Handle socket, std::size_t count, int ms) {
    std::vector<std::uint8_t> out;
    while (out.size() < count) {
        if (!Arrived(socket, ms)) break;
        std::uint8_t buffer[4096];
        const long n = sockets::Receive(socket, buffer, sizeof buffer);
        if (n <= 0) break;
        out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

TcpListener::TcpListener() {
    socket = sockets::Open(sockets::Kind::kStream);
    if (socket != sockets::kNone && sockets::Bind(socket, kLoopback, 0) &&
        system_sockets::Listen(socket))
        port = sockets::LocalPort(socket);
}

TcpListener::~TcpListener() {
    for (sockets::Handle c : accepted_) sockets::Close(c);
    sockets::Close(socket);
}

sockets::Handle TcpListener::Accept(int ms) {
    if (!Arrived(socket, ms)) return sockets::kNone;
    const sockets::Handle c = system_sockets::AcceptOne(socket);
    if (c != sockets::kNone) accepted_.push_back(c);
    return c;
}

UdpPeer::UdpPeer() {
    socket = sockets::Open(sockets::Kind::kDatagram);
    if (socket != sockets::kNone && system_sockets::HoldExclusively(socket) &&
        sockets::Bind(socket, kLoopback, 0))
        port = sockets::LocalPort(socket);
}

UdpPeer::~UdpPeer() { sockets::Close(socket); }

void UdpPeer::SendTo(std::uint16_t to, const std::vector<std::uint8_t>& bytes) const {
    sockets::SendTo(socket, kLoopback, to, bytes.data(), bytes.size());
}

std::vector<std::uint8_t> UdpPeer::Receive(int ms) const {
    if (!Arrived(socket, ms)) return {};
    std::uint8_t buffer[2048];
    Ipv4Octets from{};
    std::uint16_t fromPort = 0;
    const long n = sockets::ReceiveFrom(socket, buffer, sizeof buffer, &from, &fromPort);
    return n > 0 ? std::vector<std::uint8_t>(buffer, buffer + n) : std::vector<std::uint8_t>{};
}

}  // namespace torvane::test
