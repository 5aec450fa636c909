#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>

#include "platform/wake_channel.h"

namespace torvane {

WakeChannel::WakeChannel() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("cannot create the loop's wake-up pipe");
    read_ = fds[0];
    write_ = fds[1];
}

WakeChannel::~WakeChannel() {
    ::close(read_);
    ::close(write_);
}

void WakeChannel::Signal() {
    const char one = 1;
    // A full pipe already means "wake up"; nothing is lost by a failed write.
    [[maybe_unused]] auto n = ::write(write_, &one, 1);
}

void WakeChannel::Drain() {
    char drain[256];
    while (::read(read_, drain, sizeof drain) > 0) {
    }
}

}  // namespace torvane
