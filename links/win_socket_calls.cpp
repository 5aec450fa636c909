#include <winsock2.h>
//
#include <mswsock.h>
#include <ws2tcpip.h>

#include "links/ipv4_sockaddr.h"
#include "links/socket_calls.h"
#include "platform/win_sockets.h"
#include "platform/win_text.h"

namespace torvane::sockets {

namespace {

int Length(std::size_t count) { return static_cast<int>(count); }

}  // namespace

Handle Open(Kind kind) {
    if (!StartWindowsSockets()) return kNone;
    const bool stream = kind == Kind::kStream;
    const SOCKET s =
        ::WSASocketW(AF_INET, stream ? SOCK_STREAM : SOCK_DGRAM, stream ? IPPROTO_TCP : IPPROTO_UDP,
                     nullptr, 0, WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) return kNone;
    u_long nonBlocking = 1;
    if (::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        const int error = ::WSAGetLastError();
        ::closesocket(s);
        ::WSASetLastError(error);
        return kNone;
    }
    if (!stream) {
        // Windows ends the next receive with an error when an earlier
        // datagram met a closed port; a broadcast socket must ignore that.
        BOOL report = FALSE;
        DWORD returned = 0;
        ::WSAIoctl(s, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned, nullptr,
                   nullptr);
    }
    return SocketAsFd(s);
}

void Close(Handle socket) {
    if (socket != kNone) ::closesocket(FdAsSocket(socket));
}

bool Enable(Handle socket, Option option) {
    const BOOL on = TRUE;
    const char* value = reinterpret_cast<const char*>(&on);
    const SOCKET s = FdAsSocket(socket);
    switch (option) {
        case Option::kNoDelay:
            return ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, value, sizeof on) == 0;
        case Option::kBroadcast:
            return ::setsockopt(s, SOL_SOCKET, SO_BROADCAST, value, sizeof on) == 0;
        case Option::kReuseAddress:
            return ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, value, sizeof on) == 0;
    }
    return false;
}

int LastError() { return ::WSAGetLastError(); }
std::string ErrorText(int error) { return SystemErrorText(static_cast<unsigned long>(error)); }
bool WouldBlock(int error) { return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS; }
bool Interrupted(int error) { return error == WSAEINTR; }
int NotAnAddressError() { return WSAEDESTADDRREQ; }
int RefusedError() { return WSAECONNREFUSED; }

int Connect(Handle socket, const Ipv4Octets& ip, std::uint16_t port) {
    const sockaddr_in address = Ipv4Sockaddr<sockaddr_in>(ip, port);
    if (::connect(FdAsSocket(socket), reinterpret_cast<const sockaddr*>(&address),
                  sizeof address) == 0)
        return 0;
    return ::WSAGetLastError();
}

int ConnectOutcome(Handle socket) {
    int error = 0;
    int length = sizeof error;
    if (::getsockopt(FdAsSocket(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                     &length) != 0)
        return ::WSAGetLastError();
    return error;
}

bool Bind(Handle socket, const Ipv4Octets& ip, std::uint16_t port) {
    const sockaddr_in address = Ipv4Sockaddr<sockaddr_in>(ip, port);
    return ::bind(FdAsSocket(socket), reinterpret_cast<const sockaddr*>(&address),
                  sizeof address) == 0;
}

std::uint16_t LocalPort(Handle socket) {
    sockaddr_in address{};
    int length = sizeof address;
    if (::getsockname(FdAsSocket(socket), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

long Send(Handle socket, const std::uint8_t* bytes, std::size_t count) {
    return ::send(FdAsSocket(socket), reinterpret_cast<const char*>(bytes), Length(count), 0);
}

long Receive(Handle socket, std::uint8_t* bytes, std::size_t count) {
    return ::recv(FdAsSocket(socket), reinterpret_cast<char*>(bytes), Length(count), 0);
}

long SendTo(Handle socket, const Ipv4Octets& ip, std::uint16_t port, const std::uint8_t* bytes,
            std::size_t count) {
    const sockaddr_in address = Ipv4Sockaddr<sockaddr_in>(ip, port);
    return ::sendto(FdAsSocket(socket), reinterpret_cast<const char*>(bytes), Length(count), 0,
                    reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

long ReceiveFrom(Handle socket, std::uint8_t* bytes, std::size_t count, Ipv4Octets* fromIp,
                 std::uint16_t* fromPort) {
    sockaddr_in from{};
    int length = sizeof from;
    const int n = ::recvfrom(FdAsSocket(socket), reinterpret_cast<char*>(bytes), Length(count), 0,
                             reinterpret_cast<sockaddr*>(&from), &length);
    if (n >= 0) {
        *fromIp = OctetsOf(from);
        *fromPort = ntohs(from.sin_port);
    }
    return n;
}

std::optional<Ipv4Octets> ResolveHost(const std::string& host) {
    if (!StartWindowsSockets()) return std::nullopt;
    return FirstIpv4Of<addrinfo, sockaddr_in>(host);
}

}  // namespace torvane::sockets
