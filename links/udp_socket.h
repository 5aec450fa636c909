#pragma once
// A UDP socket for discovery and network configuration: bound to an address
// and port, broadcast enabled, read events on the loop.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace torvane {

struct Datagram {
    std::vector<std::uint8_t> bytes;
    std::string fromIp;
    std::uint16_t fromPort = 0;
};

class UdpSocket {
  public:
    virtual ~UdpSocket() = default;
    // Binds `bindIp`:`port` (port 0 picks one); false when that fails.
    virtual bool Open(const std::string& bindIp, std::uint16_t port,
                      std::function<void(const Datagram&)> onDatagram) = 0;
    virtual void Close() = 0;
    // Returns what sendto returned.
    virtual long SendTo(const std::string& ip, std::uint16_t port, const std::uint8_t* bytes,
                        std::size_t count) = 0;
    virtual std::uint16_t LocalPort() const = 0;
    // Why the last Open or SendTo failed, in the system's words; empty when
    // it did not.
    virtual std::string LastError() const { return {}; }
};

}  // namespace torvane
