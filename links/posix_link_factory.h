#pragma once
// The real links of a POSIX machine: the serial driver, TCP and UDP sockets,
// and the machine's serial ports from sysfs plus any the front-end adds (the
// pseudo-terminal of a simulator it started, for example).

#include <vector>

#include "links/link_factory.h"
#include "links/listed_port_source.h"
#include "links/sysfs_port_source.h"
#include "platform/event_loop.h"

namespace torvane {

class PosixLinkFactory : public LinkFactory {
  public:
    explicit PosixLinkFactory(EventLoop& loop, SysfsLayout layout = {})
        : loop_(loop), layout_(std::move(layout)) {}

    std::unique_ptr<SerialPort> MakeSerialPort() override;
    std::unique_ptr<TcpControlSocket> MakeTcpControlSocket() override;
    std::unique_ptr<UdpSocket> MakeUdpSocket() override;
    // A sysfs source with the extra ports added so far.
    std::unique_ptr<PortSource> MakePortSource() override;

    // Lists `port` in every port source made from now on.
    void AddExtraPort(ListedPort port) { extras_.push_back(std::move(port)); }

  private:
    EventLoop& loop_;
    SysfsLayout layout_;
    std::vector<ListedPort> extras_;
};

}  // namespace torvane
