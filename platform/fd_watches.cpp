#include "platform/fd_watches.h"

#include <utility>

#include "platform/descriptor_poll.h"

namespace torvane {

EventLoop::WatchId FdWatches::Add(int fd, unsigned events, std::function<void(unsigned)> onReady) {
    const auto id = nextId_++;
    watches_[id] = Watch{fd, events, std::move(onReady)};
    return id;
}

void FdWatches::Update(EventLoop::WatchId id, unsigned events) {
    auto it = watches_.find(id);
    if (it != watches_.end()) it->second.events = events;
}

void FdWatches::Remove(EventLoop::WatchId id) { watches_.erase(id); }

int FdWatches::PollOnce(int timeoutMs, int extraFd, bool* extraReady) {
    std::vector<PolledDescriptor> fds;
    std::vector<EventLoop::WatchId> ids;
    for (const auto& [id, w] : watches_) {
        fds.push_back({w.fd, w.events & (EventLoop::kReadable | EventLoop::kWritable)});
        ids.push_back(id);
    }
    if (extraFd >= 0) fds.push_back({extraFd, EventLoop::kReadable});
    if (extraReady) *extraReady = false;
    if (fds.empty()) return 0;

    if (PollDescriptors(fds, timeoutMs) <= 0) return 0;
    if (extraFd >= 0 && (fds.back().ready & EventLoop::kReadable) && extraReady) *extraReady = true;

    int ran = 0;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (fds[i].ready == 0) continue;
        // A handler may remove any watch, its own included: look it up again.
        auto it = watches_.find(ids[i]);
        if (it == watches_.end()) continue;
        auto handler = it->second.onReady;
        handler(fds[i].ready);
        ++ran;
    }
    return ran;
}

void CrossThreadQueue::Push(EventLoop::Task task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.Signal();
}

std::vector<EventLoop::Task> CrossThreadQueue::TakeAll() {
    wake_.Drain();
    std::lock_guard lock(mutex_);
    return std::exchange(tasks_, {});
}

}  // namespace torvane
