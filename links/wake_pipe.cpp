#include "links/wake_pipe.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace torvane {

WakePipe::WakePipe() {
    if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::system_error(errno, std::generic_category(), "cannot create a wake-up pipe");
}

WakePipe::~WakePipe() {
    ::close(fds_[0]);
    ::close(fds_[1]);
}

void WakePipe::Signal() {
    const char one = 1;
    // A full pipe is signalled already.
    [[maybe_unused]] auto n = ::write(fds_[1], &one, 1);
}

void WakePipe::Wait() const {
    pollfd p{fds_[0], POLLIN, 0};
    while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
}

void WakePipe::Reset() {
    char drain[64];
    while (::read(fds_[0], drain, sizeof drain) > 0) {
    }
}

}  // namespace torvane
