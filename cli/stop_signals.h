#pragma once
// A request to stop (Ctrl-C, SIGTERM) as an event of the loop, for a command
// that runs until it is told to stop: the handler only signals a channel
// the loop watches, and the loop runs `onStop`.

#include <functional>

#include "platform/event_loop.h"
#include "platform/wake_channel.h"

namespace torvane::cli {

class StopSignals {
  public:
    StopSignals(EventLoop& loop, std::function<void()> onStop);
    // Puts the signals' default handling back.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  private:
    EventLoop& loop_;
    WakeChannel wake_;
    EventLoop::WatchId watch_;
};

}  // namespace torvane::cli
