#pragma once
// The descriptor watches of a loop and one pass of the system's poll over
// them.

#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "platform/event_loop.h"
#include "platform/wake_channel.h"

namespace torvane {

class FdWatches {
  public:
    EventLoop::WatchId Add(int fd, unsigned events, std::function<void(unsigned)> onReady);
    void Update(EventLoop::WatchId id, unsigned events);
    void Remove(EventLoop::WatchId id);
    bool Empty() const { return watches_.empty(); }

    // Polls the watched descriptors plus `extraFd` (if >= 0, for reading) for
    // up to `timeoutMs` (-1 waits forever) and calls the handlers of those
    // ready. Returns how many handlers ran; sets `extraReady`.
    int PollOnce(int timeoutMs, int extraFd, bool* extraReady);

  private:
    struct Watch {
        int fd;
        unsigned events;
        std::function<void(unsigned)> onReady;
    };
    std::map<EventLoop::WatchId, Watch> watches_;
    EventLoop::WatchId nextId_ = 1;
};

// A thread-safe queue of tasks posted from other threads, with a wake-up
// channel that ends a loop's wait when something arrives.
class CrossThreadQueue {
  public:
    CrossThreadQueue() = default;
    CrossThreadQueue(const CrossThreadQueue&) = delete;
    CrossThreadQueue& operator=(const CrossThreadQueue&) = delete;

    void Push(EventLoop::Task task);
    std::vector<EventLoop::Task> TakeAll();
    int WakeFd() const { return wake_.ReadFd(); }

  private:
    std::mutex mutex_;
    std::vector<EventLoop::Task> tasks_;
    WakeChannel wake_;
};

}  // namespace torvane
