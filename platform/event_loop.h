#pragma once
// The one loop the core runs on. Everything that happens to the core arrives
// through it: posted tasks, timer expiries and descriptor readiness. The core
// never blocks; only the serial monitoring thread lives outside the loop, and
// it reaches the loop through PostFromAnyThread.

#include <cstdint>
#include <functional>

namespace torvane {

using TimeMs = std::int64_t;

class EventLoop {
  public:
    using Task = std::function<void()>;
    using TimerId = std::uint64_t;
    using WatchId = std::uint64_t;

    enum IoEvents : unsigned { kReadable = 1u, kWritable = 2u, kError = 4u };

    virtual ~EventLoop() = default;

    // Runs `task` after the current task, in posting order (a posted window message).
    virtual void Post(Task task) = 0;
    // The same, callable from any thread; tasks keep their order per thread.
    virtual void PostFromAnyThread(Task task) = 0;

    // Milliseconds since an arbitrary start.
    virtual TimeMs Now() const = 0;

    // A periodic timer: fires every `periodMs` until cancelled. Cancelling an
    // unknown or already cancelled id is harmless.
    virtual TimerId StartTimer(int periodMs, Task onExpiry) = 0;
    virtual void CancelTimer(TimerId id) = 0;

    // Calls `onReady` with the events (kReadable, kWritable, kError) that
    // `fd` is ready for, for as long as the watch exists.
    virtual WatchId WatchFd(int fd, unsigned events, std::function<void(unsigned)> onReady) = 0;
    virtual void UpdateWatch(WatchId id, unsigned events) = 0;
    virtual void Unwatch(WatchId id) = 0;
};

}  // namespace torvane
