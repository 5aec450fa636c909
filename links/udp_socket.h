#pragma once
// A UDP socket for discovery and network configuration: bound to an address
// and port, broadcast enabled, read events on the loop.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/result.h"

namespace torvane {

struct Datagram {
    std::vector<std::uint8_t> bytes;
    std::string fromIp;
    std::uint16_t fromPort = 0;
};

class UdpSocket {
  public:
    virtual ~UdpSocket() = default;
    // Binds `bindIp`:`port` (port 0 picks one), or says why it cannot: an
    // address that is not dotted IPv4 is bad input, the rest is the system's
    // refusal in its own words.
    virtual Status Open(const std::string& bindIp, std::uint16_t port,
                        std::function<void(const Datagram&)> onDatagram) = 0;
    virtual void Close() = 0;
    // The number of bytes sent, or why none were.
    virtual Result<std::size_t> SendTo(const std::string& ip, std::uint16_t port,
                                       const std::uint8_t* bytes, std::size_t count) = 0;
    virtual std::uint16_t LocalPort() const = 0;
};

// What Open and SendTo say about an address that is not dotted IPv4, and
// about a send on a socket that is not open.
inline Error NotAnIpv4Address(const std::string& text) {
    return BadInput("not an IPv4 address: " + text);
}
inline Error UdpSocketNotOpen() { return SystemError("the UDP socket is not open"); }

}  // namespace torvane
