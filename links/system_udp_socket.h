#pragma once
// The UDP socket of discovery and network configuration on a non-blocking
// socket of the system: bound to a given address and port (shared with
// other sockets that allow it, SO_REUSEADDR), broadcast enabled, every
// datagram received handed over on the loop.

#include <cstdint>
#include <functional>
#include <string>

#include "links/socket_calls.h"
#include "links/udp_socket.h"
#include "platform/event_loop.h"

namespace torvane {

class SystemUdpSocket : public UdpSocket {
  public:
    explicit SystemUdpSocket(EventLoop& loop);
    ~SystemUdpSocket() override;
    SystemUdpSocket(const SystemUdpSocket&) = delete;
    SystemUdpSocket& operator=(const SystemUdpSocket&) = delete;

    // Closes whatever was open first.
    Status Open(const std::string& bindIp, std::uint16_t port,
                std::function<void(const Datagram&)> onDatagram) override;
    void Close() override;
    Result<std::size_t> SendTo(const std::string& ip, std::uint16_t port, const std::uint8_t* bytes,
                               std::size_t count) override;
    std::uint16_t LocalPort() const override;

  private:
    void OnReadable();

    EventLoop& loop_;
    sockets::Handle socket_ = sockets::kNone;
    EventLoop::WatchId watch_ = 0;
    std::function<void(const Datagram&)> onDatagram_;
};

}  // namespace torvane
