#pragma once
// The switcher of `torvane --demo`: the simulated switcher served inside the
// program on loopback, so a new user can try every page without hardware. It
// listens on 127.0.0.1 on a free TCP port and offers a pseudo-terminal as its
// serial port, both on the program's own loop.

#include <memory>
#include <string>

#include "platform/event_loop.h"
#include "sim/posix_pty_port.h"
#include "sim/posix_tcp_server.h"
#include "sim/switcher_model.h"

namespace torvane::gui {

class DemoSwitcher {
  public:
    explicit DemoSwitcher(EventLoop& loop);
    ~DemoSwitcher();

    // Starts serving; false with `error` set when a port cannot be opened.
    bool Start(std::string* error);

    std::string Address() const { return "127.0.0.1"; }
    std::uint16_t TcpPort() const { return tcp_.Port(); }
    const std::string& SerialPath() const { return pty_.SlavePath(); }
    sim::SwitcherModel& Model() { return model_; }

  private:
    sim::SwitcherModel model_;
    sim::PosixTcpServer tcp_;
    sim::PosixPtyPort pty_;
};

}  // namespace torvane::gui
