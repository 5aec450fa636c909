#include "links/ipv4_address.h"

#include <arpa/inet.h>

#include <cstring>

namespace torvane {

bool MakeIpv4Address(const std::string& ipv4, std::uint16_t port, sockaddr_in* address) {
    std::memset(address, 0, sizeof *address);
    address->sin_family = AF_INET;
    address->sin_port = htons(port);
    return ::inet_pton(AF_INET, ipv4.c_str(), &address->sin_addr) == 1;
}

std::string Ipv4Text(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}

}  // namespace torvane
