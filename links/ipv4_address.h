#pragma once
// Dotted IPv4 addresses for the sockets.

#include <netinet/in.h>

#include <cstdint>
#include <string>

namespace torvane {

// Fills `address` with `ipv4`:`port`; false when `ipv4` is not dotted IPv4.
bool MakeIpv4Address(const std::string& ipv4, std::uint16_t port, sockaddr_in* address);
std::string Ipv4Text(const sockaddr_in& address);

}  // namespace torvane
