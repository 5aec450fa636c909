#pragma once
// The real-time loop of the command-line tool and the simulator: poll() on
// the watched descriptors, steady-clock timers.

#include <atomic>
#include <deque>

#include "platform/event_loop.h"
#include "platform/fd_watches.h"
#include "platform/timer_queue.h"

namespace torvane {

class PollLoop : public EventLoop {
  public:
    PollLoop();

    void Post(Task task) override;
    void PostFromAnyThread(Task task) override;
    TimeMs Now() const override;
    TimerId StartTimer(int periodMs, Task onExpiry) override;
    void CancelTimer(TimerId id) override;
    WatchId WatchFd(int fd, unsigned events, std::function<void(unsigned)> onReady) override;
    void UpdateWatch(WatchId id, unsigned events) override;
    void Unwatch(WatchId id) override;

    // Runs until Quit(); returns the code given to Quit.
    int Run();
    // Runs until Quit() or until `ms` of real time have passed.
    void RunFor(TimeMs ms);
    // One turn: runs what is posted and due; only when there was nothing,
    // waits up to `maxWaitMs` for a descriptor or a post from another thread.
    // Lets a caller check its own condition after every event.
    void RunOnce(TimeMs maxWaitMs);
    // Ends Run() after the current task; safe from any thread.
    void Quit(int code = 0);
    bool QuitRequested() const { return quit_; }

  private:
    // Runs what is posted and due, then polls the descriptors for up to
    // `maxWaitMs` (not at all when work ran and `waitOnlyWhenIdle`); true
    // when anything ran.
    bool Step(TimeMs maxWaitMs, bool waitOnlyWhenIdle = false);

    std::int64_t start_;
    std::deque<Task> tasks_;
    TimerQueue timers_;
    FdWatches watches_;
    CrossThreadQueue crossThread_;
    std::atomic<bool> quit_{false};
    std::atomic<int> quitCode_{0};
};

}  // namespace torvane
