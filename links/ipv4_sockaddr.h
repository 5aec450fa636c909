#pragma once
// Between dotted-quad octets and the system's IPv4 socket address, whose
// fields are the same on every system. The socket file of each system
// includes its own socket header before this one.

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "links/ipv4_address.h"

namespace torvane::sockets {

template <typename SockaddrIn>
SockaddrIn Ipv4Sockaddr(const Ipv4Octets& ip, std::uint16_t port) {
    SockaddrIn address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    std::memcpy(&address.sin_addr.s_addr, ip.data(), ip.size());
    return address;
}

template <typename SockaddrIn>
Ipv4Octets OctetsOf(const SockaddrIn& address) {
    Ipv4Octets ip{};
    std::memcpy(ip.data(), &address.sin_addr.s_addr, ip.size());
    return ip;
}

// The first IPv4 address of a host name by the system's resolver; nothing
// when it has none. The resolver's calls are found where it is used, so a
// file that resolves nothing needs no resolver header.
template <typename AddrInfo, typename SockaddrIn>
std::optional<Ipv4Octets> FirstIpv4Of(const std::string& host) {
    AddrInfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    AddrInfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return std::nullopt;
    const Ipv4Octets ip = OctetsOf(*reinterpret_cast<SockaddrIn*>(found->ai_addr));
    freeaddrinfo(found);
    return ip;
}

}  // namespace torvane::sockets
