#include "links/ipv4_address.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <cstring>

namespace torvane {

std::optional<Ipv4Octets> ParseIpv4(const std::string& text) {
    in_addr parsed{};
    if (::inet_pton(AF_INET, text.c_str(), &parsed) != 1) return std::nullopt;
    Ipv4Octets ip{};
    std::memcpy(ip.data(), &parsed.s_addr, ip.size());
    return ip;
}

std::string FormatIpv4(const Ipv4Octets& ip) {
    return std::to_string(ip[0]) + "." + std::to_string(ip[1]) + "." + std::to_string(ip[2]) + "." +
           std::to_string(ip[3]);
}

bool MakeIpv4Address(const std::string& ipv4, std::uint16_t port, sockaddr_in* address) {
    std::memset(address, 0, sizeof *address);
    address->sin_family = AF_INET;
    address->sin_port = htons(port);
    const auto ip = ParseIpv4(ipv4);
    if (ip) std::memcpy(&address->sin_addr.s_addr, ip->data(), ip->size());
    return ip.has_value();
}

std::string Ipv4Text(const sockaddr_in& address) {
    Ipv4Octets ip{};
    std::memcpy(ip.data(), &address.sin_addr.s_addr, ip.size());
    return FormatIpv4(ip);
}

std::string ResolveIpv4(const std::string& host) {
    if (ParseIpv4(host)) return host;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return {};
    const std::string text = Ipv4Text(*reinterpret_cast<sockaddr_in*>(found->ai_addr));
    freeaddrinfo(found);
    return text;
}

}  // namespace torvane
