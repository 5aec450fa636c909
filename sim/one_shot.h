#pragma once
// A one-shot timer on a loop whose timers are periodic: the expiry cancels its
// own timer before running the task. A delay of 0 or less runs the task on
// the loop's next turn instead.

#include <memory>

#include "platform/event_loop.h"

namespace torvane::sim {

inline void RunAfter(EventLoop& loop, int delayMs, EventLoop::Task task) {
    if (delayMs <= 0) {
        loop.Post(std::move(task));
        return;
    }
    auto id = std::make_shared<EventLoop::TimerId>(0);
    *id = loop.StartTimer(delayMs, [&loop, id, task = std::move(task)] {
        loop.CancelTimer(*id);
        task();
    });
}

}  // namespace torvane::sim
