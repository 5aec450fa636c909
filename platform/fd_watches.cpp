#include "platform/fd_watches.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <utility>

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
    std::vector<pollfd> fds;
    std::vector<EventLoop::WatchId> ids;
    for (const auto& [id, w] : watches_) {
        short ev = 0;
        if (w.events & EventLoop::kReadable) ev |= POLLIN;
        if (w.events & EventLoop::kWritable) ev |= POLLOUT;
        fds.push_back(pollfd{w.fd, ev, 0});
        ids.push_back(id);
    }
    if (extraFd >= 0) fds.push_back(pollfd{extraFd, POLLIN, 0});
    if (extraReady) *extraReady = false;
    if (fds.empty()) return 0;

    int n = ::poll(fds.data(), fds.size(), timeoutMs);
    if (n <= 0) return 0;
    if (extraFd >= 0 && (fds.back().revents & POLLIN) && extraReady) *extraReady = true;

    int ran = 0;
    for (size_t i = 0; i < ids.size(); ++i) {
        const short re = fds[i].revents;
        if (re == 0) continue;
        unsigned events = 0;
        if (re & (POLLIN | POLLPRI)) events |= EventLoop::kReadable;
        if (re & POLLOUT) events |= EventLoop::kWritable;
        if (re & (POLLERR | POLLHUP | POLLNVAL)) events |= EventLoop::kError;
        // A handler may remove any watch, its own included: look it up again.
        auto it = watches_.find(ids[i]);
        if (it == watches_.end()) continue;
        auto handler = it->second.onReady;
        handler(events);
        ++ran;
    }
    return ran;
}

CrossThreadQueue::CrossThreadQueue() {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("cannot create the loop's wake-up pipe");
}

CrossThreadQueue::~CrossThreadQueue() {
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void CrossThreadQueue::Push(EventLoop::Task task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    const char one = 1;
    // A full pipe already means "wake up"; nothing is lost by a failed write.
    [[maybe_unused]] auto n = ::write(pipe_[1], &one, 1);
}

std::vector<EventLoop::Task> CrossThreadQueue::TakeAll() {
    char drain[256];
    while (::read(pipe_[0], drain, sizeof drain) > 0) {
    }
    std::lock_guard lock(mutex_);
    return std::exchange(tasks_, {});
}

}  // namespace torvane
