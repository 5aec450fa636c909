#pragma once
// Timers the way a window owns them: each window has its own ids, arming a
// running id restarts it, and a timer fires every period until killed. An
// expiry handler that wants one shot kills its own timer first.

#include <functional>
#include <map>

#include "platform/event_loop.h"

namespace torvane {

class WindowTimers {
  public:
    using Handler = std::function<void(int timerId)>;

    WindowTimers(EventLoop& loop, Handler onTimer);
    ~WindowTimers();
    WindowTimers(const WindowTimers&) = delete;
    WindowTimers& operator=(const WindowTimers&) = delete;

    void SetTimer(int id, int periodMs);
    void KillTimer(int id);
    void KillAll();
    bool IsRunning(int id) const;

    EventLoop& Loop() const { return loop_; }

  private:
    EventLoop& loop_;
    Handler onTimer_;
    std::map<int, EventLoop::TimerId> running_;
};

}  // namespace torvane
