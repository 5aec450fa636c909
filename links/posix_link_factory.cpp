#include "links/posix_link_factory.h"

#include "links/posix_serial_port.h"
#include "links/posix_tcp_socket.h"
#include "links/posix_udp_socket.h"

namespace torvane {

std::unique_ptr<SerialPort> PosixLinkFactory::MakeSerialPort() {
    return std::make_unique<CSerialPort>(loop_);
}

std::unique_ptr<TcpControlSocket> PosixLinkFactory::MakeTcpControlSocket() {
    return std::make_unique<PosixTcpControlSocket>(loop_);
}

std::unique_ptr<UdpSocket> PosixLinkFactory::MakeUdpSocket() {
    return std::make_unique<PosixUdpSocket>(loop_);
}

std::unique_ptr<PortSource> PosixLinkFactory::MakePortSource() {
    return std::make_unique<SysfsPortSource>(layout_, extras_);
}

}  // namespace torvane
