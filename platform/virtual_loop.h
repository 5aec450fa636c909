#pragma once
// The loop of the tests: time moves only when the test says so.
//
// Order, fixed so tests are repeatable:
//  1. Posted tasks run first-in first-out; tasks posted from other threads join
//     the queue when it is next drained.
//  2. With the queue empty, watched descriptors are polled once without
//     waiting and their handlers run; then the queue is drained again.
//  3. Advance(ms) runs due timers one at a time, earliest first; timers due at
//     the same instant fire in the order they were armed. Now() reads the
//     timer's due time while it runs, and after each expiry the queue and
//     the descriptors are settled as in 1 and 2 before the next timer.
//  4. Finally Now() becomes the target time and the queue is settled again.

#include <deque>

#include "platform/event_loop.h"
#include "platform/fd_watches.h"
#include "platform/timer_queue.h"

namespace torvane {

class VirtualLoop : public EventLoop {
  public:
    void Post(Task task) override;
    void PostFromAnyThread(Task task) override;
    TimeMs Now() const override { return now_; }
    TimerId StartTimer(int periodMs, Task onExpiry) override;
    void CancelTimer(TimerId id) override;
    WatchId WatchFd(int fd, unsigned events, std::function<void(unsigned)> onReady) override;
    void UpdateWatch(WatchId id, unsigned events) override;
    void Unwatch(WatchId id) override;

    // Runs posted tasks and ready descriptors until nothing is left to do.
    void RunPending();
    // Moves virtual time forward by `ms`, firing every timer due on the way.
    void Advance(TimeMs ms);
    // Waits in real time (up to `realTimeoutMs`) for descriptors or posts from
    // other threads until `done()` holds; virtual time does not move. For
    // tests that drive real pseudo-terminals and sockets. Returns done().
    bool RunUntil(const std::function<bool()>& done, int realTimeoutMs);

    std::optional<TimeMs> NextTimerDue() const { return timers_.NextDue(); }

  private:
    bool DrainTasks();

    TimeMs now_ = 0;
    std::deque<Task> tasks_;
    TimerQueue timers_;
    FdWatches watches_;
    CrossThreadQueue crossThread_;
};

}  // namespace torvane
