#pragma once
// What the front panel does to a served switcher: route, ARC, power and beep
// change its state, to be found by the program's next query; vanish takes
// its TCP port and serial line away (a power cut, a cable pulled) and brings
// them back where they were after the time given, trying again while the
// port or the link's name is still taken. torvane-sim and the window's demo
// switcher share it.

#include <functional>
#include <string>

#include "platform/event_loop.h"
#include "sim/front_panel_command.h"
#include "sim/posix_pty_port.h"
#include "sim/posix_tcp_server.h"
#include "sim/switcher_model.h"

namespace torvane::sim {

class PosixPanelActions {
  public:
    struct Reports {
        std::function<void(const std::string& serialPath)> back;  // the links are back
        std::function<void(const std::string& message)> retrying;
    };

    PosixPanelActions(EventLoop& loop, SwitcherModel& model, PosixTcpServer& tcp, PosixPtyPort& pty,
                      Reports reports)
        : loop_(loop), model_(model), tcp_(tcp), pty_(pty), reports_(std::move(reports)) {}
    ~PosixPanelActions() { loop_.CancelTimer(backTimer_); }
    PosixPanelActions(const PosixPanelActions&) = delete;
    PosixPanelActions& operator=(const PosixPanelActions&) = delete;

    void Apply(const FrontPanelCommand& command);

  private:
    void ComeBack();

    EventLoop& loop_;
    SwitcherModel& model_;
    PosixTcpServer& tcp_;
    PosixPtyPort& pty_;
    Reports reports_;
    EventLoop::TimerId backTimer_ = 0;
};

}  // namespace torvane::sim
