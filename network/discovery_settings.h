#pragma once
// Where discovery and network configuration send and listen. The defaults are
// the switcher's: every address of the machine, the limited broadcast, and
// the network module's two ports. Tests and the demo stay on loopback by
// binding 127.0.0.1 and broadcasting to 127.255.255.255.

#include <cstdint>
#include <string>

namespace torvane {

struct DiscoverySettings {
    std::string bindIp = "0.0.0.0";
    std::string broadcastIp = "255.255.255.255";
    std::uint16_t discoveryPort = 30600;
    std::uint16_t configPort = 30601;
};

}  // namespace torvane
