#include <winsock2.h>

#include "platform/descriptor_poll.h"
#include "platform/event_loop.h"
#include "platform/win_sockets.h"

namespace torvane {

int PollDescriptors(std::vector<PolledDescriptor>& fds, int timeoutMs) {
    std::vector<WSAPOLLFD> polled;
    for (const auto& d : fds) {
        WSAPOLLFD p{};
        p.fd = FdAsSocket(d.fd);
        // POLLPRI is refused by WSAPoll; urgent data means nothing here.
        if (d.wanted & EventLoop::kReadable) p.events |= POLLRDNORM;
        if (d.wanted & EventLoop::kWritable) p.events |= POLLWRNORM;
        polled.push_back(p);
    }
    const int n = ::WSAPoll(polled.data(), static_cast<ULONG>(polled.size()), timeoutMs);
    if (n == SOCKET_ERROR) return -1;
    if (n == 0) return 0;
    for (std::size_t i = 0; i < fds.size(); ++i) {
        const short re = polled[i].revents;
        unsigned events = 0;
        if (re & (POLLRDNORM | POLLRDBAND)) events |= EventLoop::kReadable;
        if (re & POLLWRNORM) events |= EventLoop::kWritable;
        if (re & (POLLERR | POLLHUP | POLLNVAL)) events |= EventLoop::kError;
        fds[i].ready = events;
    }
    return n;
}

}  // namespace torvane
