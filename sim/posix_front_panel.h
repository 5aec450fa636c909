#pragma once
// torvane-sim's front panel: command lines read from a descriptor (its
// standard input) on the loop. Each whole line is parsed and handed over as a
// command or as an error naming the line; at end of input the panel simply
// stops listening and the switcher goes on.

#include <functional>
#include <string>
#include <string_view>

#include "platform/event_loop.h"
#include "sim/front_panel_command.h"

namespace torvane::sim {

class PosixFrontPanel {
  public:
    using OnCommand = std::function<void(const FrontPanelCommand&)>;
    using OnError = std::function<void(const std::string& message)>;

    PosixFrontPanel(EventLoop& loop, int fd, OnCommand onCommand, OnError onError)
        : loop_(loop), fd_(fd), onCommand_(std::move(onCommand)), onError_(std::move(onError)) {}
    ~PosixFrontPanel() { Stop(); }
    PosixFrontPanel(const PosixFrontPanel&) = delete;
    PosixFrontPanel& operator=(const PosixFrontPanel&) = delete;

    void Start();

  private:
    void OnReadable();
    void TakeLine(std::string_view line);
    void Stop();

    EventLoop& loop_;
    int fd_;
    OnCommand onCommand_;
    OnError onError_;
    EventLoop::WatchId watch_ = 0;
    std::string pending_;    // the line read so far
    bool overlong_ = false;  // the current line passed the limit and is being skipped
    int lineNumber_ = 0;
};

// `line` as it may be shown in a message: printable ASCII kept, other bytes
// as \xNN, cut to a length that fits on a terminal line.
std::string ShownLine(std::string_view line);

}  // namespace torvane::sim
