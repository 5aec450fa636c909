#pragma once
// The links of the machine the program runs on: the serial driver, the TCP
// and UDP sockets and the serial ports the system reports (sysfs on Linux,
// SetupAPI and the registry on Windows). `extraPorts` (a pseudo-terminal,
// a port the user named) are listed besides them where the system's list
// can hold them.

#include <memory>
#include <vector>

#include "links/link_factory.h"
#include "links/listed_port_source.h"
#include "platform/event_loop.h"

namespace torvane {

std::unique_ptr<LinkFactory> MakeSystemLinkFactory(EventLoop& loop,
                                                   std::vector<ListedPort> extraPorts = {});

}  // namespace torvane
