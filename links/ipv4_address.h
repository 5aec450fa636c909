#pragma once
// Dotted IPv4 addresses: the one reading of "a.b.c.d" text for the sockets,
// the command line and the simulated switcher.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace torvane {

using Ipv4Octets = std::array<std::uint8_t, 4>;

// "127.0.0.1" -> {127, 0, 0, 1}; nothing unless the text is exactly four
// decimal numbers of 0 to 255, without leading zeros, joined by dots.
std::optional<Ipv4Octets> ParseIpv4(const std::string& text);
std::string FormatIpv4(const Ipv4Octets& ip);

// Dotted IPv4 as given, or the first IPv4 address of a host name; "" when
// the name resolves to none.
std::string ResolveIpv4(const std::string& host);

}  // namespace torvane
