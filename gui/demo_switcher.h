#pragma once
// The switcher of `torvane --demo`: the simulated switcher served inside the
// program on loopback, so a new user can try every page without hardware. It
// listens on 127.0.0.1 on a free TCP port and offers a pseudo-terminal as its
// serial port, both on the program's own loop. Its network module answers
// discovery and configuration on free UDP ports, heard on loopback only.

#include <memory>
#include <string>

#include "network/discovery_settings.h"
#include "platform/event_loop.h"
#include "sim/posix_pty_port.h"
#include "sim/posix_tcp_server.h"
#include "sim/posix_udp_responder.h"
#include "sim/switcher_model.h"

namespace torvane::gui {

class DemoSwitcher {
  public:
    explicit DemoSwitcher(EventLoop& loop);
    ~DemoSwitcher();

    // Starts serving; false with `error` set when a port cannot be opened.
    bool Start(std::string* error);

    // Its control address: 127.0.0.1 until a configuration moves it to
    // another loopback address.
    std::string Address() const;
    std::uint16_t TcpPort() const { return tcp_.Port(); }
    const std::string& SerialPath() const { return pty_.SlavePath(); }
    sim::SwitcherModel& Model() { return model_; }
    // Where the program searches and configures to reach this switcher: on
    // 127.0.0.1, broadcasting to 127.255.255.255, at its UDP ports.
    DiscoverySettings Discovery() const;

  private:
    void FollowAddress();

    sim::SwitcherModel model_;
    sim::PosixTcpServer tcp_;
    sim::PosixPtyPort pty_;
    sim::PosixUdpResponder discovery_;
    sim::PosixUdpResponder configuration_;
    sim::Ipv4 address_{127, 0, 0, 1};
};

}  // namespace torvane::gui
