#pragma once
// Where the controller gets its links from: the real POSIX ones, or the
// in-process simulated switcher's (tests, demo).

#include <memory>

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
};

}  // namespace torvane
