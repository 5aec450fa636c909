#include "platform/virtual_loop.h"

#include <chrono>

namespace torvane {

void VirtualLoop::Post(Task task) { tasks_.push_back(std::move(task)); }

void VirtualLoop::PostFromAnyThread(Task task) { crossThread_.Push(std::move(task)); }

EventLoop::TimerId VirtualLoop::StartTimer(int periodMs, Task onExpiry) {
    return timers_.Start(now_, periodMs, std::move(onExpiry));
}

void VirtualLoop::CancelTimer(TimerId id) { timers_.Cancel(id); }

EventLoop::WatchId VirtualLoop::WatchFd(int fd, unsigned events,
                                        std::function<void(unsigned)> onReady) {
    return watches_.Add(fd, events, std::move(onReady));
}

void VirtualLoop::UpdateWatch(WatchId id, unsigned events) { watches_.Update(id, events); }

void VirtualLoop::Unwatch(WatchId id) { watches_.Remove(id); }

bool VirtualLoop::DrainTasks() {
    bool ran = false;
    for (auto& task : crossThread_.TakeAll()) tasks_.push_back(std::move(task));
    while (!tasks_.empty()) {
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        task();
        ran = true;
        for (auto& t : crossThread_.TakeAll()) tasks_.push_back(std::move(t));
    }
    return ran;
}

void VirtualLoop::RunPending() {
    // Bounded so that a descriptor that stays ready (a writable socket whose
    // handler keeps its watch) cannot hang a test.
    for (int pass = 0; pass < 1000; ++pass) {
        bool ran = DrainTasks();
        bool extra = false;
        if (!watches_.Empty()) ran |= watches_.PollOnce(0, -1, &extra) > 0;
        if (!ran) return;
    }
}

void VirtualLoop::Advance(TimeMs ms) {
    const TimeMs target = now_ + ms;
    RunPending();
    while (auto due = timers_.PopDue(target)) {
        now_ = due->first;
        due->second();
        RunPending();
    }
    now_ = target;
    RunPending();
}

bool VirtualLoop::RunUntil(const std::function<bool()>& done, int realTimeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(realTimeoutMs);
    RunPending();
    while (!done()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return done();
        bool woke = false;
        watches_.PollOnce(static_cast<int>(std::min<long long>(left, 50)), crossThread_.WakeFd(),
                          &woke);
        RunPending();
    }
    return true;
}

}  // namespace torvane
