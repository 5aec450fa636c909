#include "links/posix_link_factory.h"

#include "links/system_links.h"
#include "links/system_serial_port.h"
#include "links/system_tcp_socket.h"
#include "links/system_udp_socket.h"

namespace torvane {

std::unique_ptr<SerialPort> PosixLinkFactory::MakeSerialPort() {
    return std::make_unique<CSerialPort>(loop_);
}

std::unique_ptr<TcpControlSocket> PosixLinkFactory::MakeTcpControlSocket() {
    return std::make_unique<SystemTcpControlSocket>(loop_);
}

std::unique_ptr<UdpSocket> PosixLinkFactory::MakeUdpSocket() {
    return std::make_unique<SystemUdpSocket>(loop_);
}

std::unique_ptr<PortSource> PosixLinkFactory::MakePortSource() {
    return std::make_unique<SysfsPortSource>(layout_, extras_);
}

std::unique_ptr<LinkFactory> MakeSystemLinkFactory(EventLoop& loop,
                                                   std::vector<ListedPort> extraPorts) {
    auto links = std::make_unique<PosixLinkFactory>(loop);
    for (auto& port : extraPorts) links->AddExtraPort(std::move(port));
    return links;
}

}  // namespace torvane
