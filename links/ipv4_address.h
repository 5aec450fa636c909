#pragma once
// Dotted IPv4 addresses: the one reading of "a.b.c.d" text for the sockets,
// the command line and the simulated switcher.

#include <netinet/in.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace torvane {

using Ipv4Octets = std::array<std::uint8_t, 4>;

// "127.0.0.1" -> {127, 0, 0, 1}; nothing unless the text is exactly four
// decimal numbers of 0 to 255 joined by dots.
std::optional<Ipv4Octets> ParseIpv4(const std::string& text);
std::string FormatIpv4(const Ipv4Octets& ip);

// Fills `address` with `ipv4`:`port`; false when `ipv4` is not dotted IPv4.
bool MakeIpv4Address(const std::string& ipv4, std::uint16_t port, sockaddr_in* address);
std::string Ipv4Text(const sockaddr_in& address);

// Dotted IPv4 as given, or the first IPv4 address of a host name; "" when
// the name resolves to none.
std::string ResolveIpv4(const std::string& host);

}  // namespace torvane
