#pragma once
// Where the controller gets its links from: the real POSIX ones, or the
// in-process simulated switcher's (tests, demo).

#include <memory>

#include "links/port_source.h"
#include "links/serial_port.h"
#include "links/tcp_socket.h"
#include "links/udp_socket.h"

namespace torvane {

class LinkFactory {
  public:
    virtual ~LinkFactory() = default;
    virtual std::unique_ptr<SerialPort> MakeSerialPort() = 0;
    virtual std::unique_ptr<TcpControlSocket> MakeTcpControlSocket() = 0;
    virtual std::unique_ptr<UdpSocket> MakeUdpSocket() = 0;
    // Where the port list finds its serial ports. By default none: a factory
    // whose links include serial ports (the machine's, or a simulated one)
    // offers them here, for example as a ListedPortSource of its ports.
    virtual std::unique_ptr<PortSource> MakePortSource();
};

}  // namespace torvane
