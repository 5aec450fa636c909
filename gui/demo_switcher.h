#pragma once
// The switcher of `torvane --demo`: the simulated switcher served inside the
// program on loopback, so a new user can try every page without hardware. It
// listens on 127.0.0.1 on a free TCP port and offers a pseudo-terminal as its
// serial port, both on the program's own loop. Its network module answers
// discovery and configuration on free UDP ports, heard on loopback only.

#include <functional>
#include <memory>
#include <string>

#include "network/discovery_settings.h"
#include "platform/event_loop.h"
#include "sim/posix_front_panel.h"
#include "sim/posix_panel_actions.h"
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
    // With `serialLink`, the serial port is also known by that name, which
    // stays the same when the front panel takes the line away and back.
    bool Start(std::string* error, const std::string& serialLink = "");
    // Reads front-panel command lines from `fd` (the program's standard
    // input), as torvane-sim's front panel does: changes made at the switcher
    // itself and the switcher going away for a while, for the operator to
    // watch the window find them. `report` hears what it did and any line it
    // could not take.
    void StartFrontPanel(int fd, std::function<void(const std::string&)> report);

    // Its control address: 127.0.0.1 until a configuration moves it to
    // another loopback address.
    std::string Address() const;
    std::uint16_t TcpPort() const { return tcp_.Port(); }
    // The serial port's link name when it has one, else the device itself.
    std::string SerialPath() const { return serialLink_.empty() ? pty_.SlavePath() : serialLink_; }
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
    std::string serialLink_;
    EventLoop& loop_;
    std::unique_ptr<sim::PosixPanelActions> panelActions_;
    std::unique_ptr<sim::PosixFrontPanel> panel_;
};

}  // namespace torvane::gui
