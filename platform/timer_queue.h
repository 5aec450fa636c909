#pragma once
// Periodic timers ordered by due time; shared by the loops. Timers due at the
// same instant fire in the order they were armed.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "platform/event_loop.h"

namespace torvane {

class TimerQueue {
  public:
    EventLoop::TimerId Start(TimeMs now, int periodMs, EventLoop::Task onExpiry);
    void Cancel(EventLoop::TimerId id);

    std::optional<TimeMs> NextDue() const;
    // If a timer is due at or before `now`, reschedules it one period later
    // and returns its task (a copy, so the timer may cancel itself).
    std::optional<std::pair<TimeMs, EventLoop::Task>> PopDue(TimeMs now);
    bool Empty() const { return timers_.empty(); }

  private:
    struct Timer {
        TimeMs due;
        int periodMs;
        EventLoop::Task task;
    };
    using Key = std::pair<TimeMs, EventLoop::TimerId>;  // (due, arming order)
    std::map<EventLoop::TimerId, Timer> timers_;
    std::set<Key> order_;
    EventLoop::TimerId nextId_ = 1;
};

}  // namespace torvane
