#include "links/ipv4_address.h"

#include "links/socket_calls.h"

namespace torvane {

std::optional<Ipv4Octets> ParseIpv4(const std::string& text) {
    Ipv4Octets ip{};
    std::size_t at = 0;
    for (std::size_t part = 0; part < ip.size(); ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != '.') return std::nullopt;
            ++at;
        }
        const std::size_t begin = at;
        unsigned value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - begin < 3)
            value = value * 10 + static_cast<unsigned>(text[at++] - '0');
        const std::size_t digits = at - begin;
        // "01" is not a number here: some readers take it as octal.
        if (digits == 0 || value > 255 || (digits > 1 && text[begin] == '0')) return std::nullopt;
        ip[part] = static_cast<std::uint8_t>(value);
    }
    if (at != text.size()) return std::nullopt;
    return ip;
}

std::string FormatIpv4(const Ipv4Octets& ip) {
    return std::to_string(ip[0]) + "." + std::to_string(ip[1]) + "." + std::to_string(ip[2]) + "." +
           std::to_string(ip[3]);
}

std::string ResolveIpv4(const std::string& host) {
    if (ParseIpv4(host)) return host;
    const auto ip = sockets::ResolveHost(host);
    return ip ? FormatIpv4(*ip) : std::string();
}

}  // namespace torvane
