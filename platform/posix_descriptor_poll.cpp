#include <poll.h>

#include <cerrno>

#include "platform/descriptor_poll.h"
#include "platform/event_loop.h"

namespace torvane {

int PollDescriptors(std::vector<PolledDescriptor>& fds, int timeoutMs) {
    std::vector<pollfd> polled;
    for (const auto& d : fds) {
        short ev = 0;
        if (d.wanted & EventLoop::kReadable) ev |= POLLIN;
        if (d.wanted & EventLoop::kWritable) ev |= POLLOUT;
        polled.push_back(pollfd{d.fd, ev, 0});
    }
    const int n = ::poll(polled.data(), polled.size(), timeoutMs);
    if (n < 0) return errno == EINTR ? 0 : -1;
    if (n == 0) return 0;
    for (std::size_t i = 0; i < fds.size(); ++i) {
        const short re = polled[i].revents;
        unsigned events = 0;
        if (re & (POLLIN | POLLPRI)) events |= EventLoop::kReadable;
        if (re & POLLOUT) events |= EventLoop::kWritable;
        if (re & (POLLERR | POLLHUP | POLLNVAL)) events |= EventLoop::kError;
        fds[i].ready = events;
    }
    return n;
}

}  // namespace torvane
