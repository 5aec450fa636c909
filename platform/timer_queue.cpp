#include "platform/timer_queue.h"

#include <algorithm>

namespace torvane {

EventLoop::TimerId TimerQueue::Start(TimeMs now, int periodMs, EventLoop::Task onExpiry) {
    // A zero period would fire forever at one instant; the system's timers
    // treat anything shorter as their minimum.
    periodMs = std::max(periodMs, 1);
    const auto id = nextId_++;
    timers_[id] = Timer{now + periodMs, periodMs, std::move(onExpiry)};
    order_.insert({now + periodMs, id});
    return id;
}

void TimerQueue::Cancel(EventLoop::TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    order_.erase({it->second.due, id});
    timers_.erase(it);
}

std::optional<TimeMs> TimerQueue::NextDue() const {
    if (order_.empty()) return std::nullopt;
    return order_.begin()->first;
}

std::optional<std::pair<TimeMs, EventLoop::Task>> TimerQueue::PopDue(TimeMs now) {
    if (order_.empty() || order_.begin()->first > now) return std::nullopt;
    const auto [due, id] = *order_.begin();
    order_.erase(order_.begin());
    Timer& timer = timers_.at(id);
    timer.due = due + timer.periodMs;
    order_.insert({timer.due, id});
    return std::make_pair(due, timer.task);
}

}  // namespace torvane
