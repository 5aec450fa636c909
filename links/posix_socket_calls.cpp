#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "links/ipv4_sockaddr.h"
#include "links/socket_calls.h"

namespace torvane::sockets {

Handle Open(Kind kind) {
    const int type = kind == Kind::kStream ? SOCK_STREAM : SOCK_DGRAM;
    return ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

void Close(Handle socket) {
    if (socket != kNone) ::close(socket);
}

bool Enable(Handle socket, Option option) {
    const int on = 1;
    switch (option) {
        case Option::kNoDelay:
            return ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0;
        case Option::kBroadcast:
            return ::setsockopt(socket, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) == 0;
        case Option::kReuseAddress:
            return ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0;
    }
    return false;
}

int LastError() { return errno; }
std::string ErrorText(int error) { return std::strerror(error); }
bool WouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINPROGRESS;
}
bool Interrupted(int error) { return error == EINTR; }
int NotAnAddressError() { return EDESTADDRREQ; }
int RefusedError() { return ECONNREFUSED; }

int Connect(Handle socket, const Ipv4Octets& ip, std::uint16_t port) {
    const sockaddr_in address = Ipv4Sockaddr<sockaddr_in>(ip, port);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return 0;
    return errno;
}

int ConnectOutcome(Handle socket) {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
    return error;
}

bool Bind(Handle socket, const Ipv4Octets& ip, std::uint16_t port) {
    const sockaddr_in address = Ipv4Sockaddr<sockaddr_in>(ip, port);
    return ::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

std::uint16_t LocalPort(Handle socket) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohs(address.sin_port);
}

long Send(Handle socket, const std::uint8_t* bytes, std::size_t count) {
    return static_cast<long>(::send(socket, bytes, count, MSG_NOSIGNAL));
}

long Receive(Handle socket, std::uint8_t* bytes, std::size_t count) {
    return static_cast<long>(::recv(socket, bytes, count, 0));
}

long SendTo(Handle socket, const Ipv4Octets& ip, std::uint16_t port, const std::uint8_t* bytes,
            std::size_t count) {
    const sockaddr_in address = Ipv4Sockaddr<sockaddr_in>(ip, port);
    return static_cast<long>(::sendto(socket, bytes, count, MSG_NOSIGNAL,
                                      reinterpret_cast<const sockaddr*>(&address), sizeof address));
}

long ReceiveFrom(Handle socket, std::uint8_t* bytes, std::size_t count, Ipv4Octets* fromIp,
                 std::uint16_t* fromPort) {
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t n =
        ::recvfrom(socket, bytes, count, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (n >= 0) {
        *fromIp = OctetsOf(from);
        *fromPort = ntohs(from.sin_port);
    }
    return static_cast<long>(n);
}

std::optional<Ipv4Octets> ResolveHost(const std::string& host) {
    return FirstIpv4Of<addrinfo, sockaddr_in>(host);
}

}  // namespace torvane::sockets
