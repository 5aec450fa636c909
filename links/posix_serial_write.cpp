#include "links/posix_serial_write.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace torvane {

UnitWrite PurgeAndWriteUnit(int fd, const std::uint8_t* bytes, std::size_t count, int shutdownFd) {
    // Input only: the output was drained after the previous unit, and on a
    // pseudo-terminal an output purge would discard that unit where the far
    // end has not read it yet.
    ::tcflush(fd, TCIFLUSH);
    std::size_t written = 0;
    while (written < count) {
        const ssize_t n = ::write(fd, bytes + written, count - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd fds[2] = {{shutdownFd, POLLIN, 0}, {fd, POLLOUT, 0}};
            if (::poll(fds, 2, -1) < 0 && errno != EINTR) return UnitWrite::kFailed;
            if (fds[0].revents) return UnitWrite::kAbandoned;
            if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) return UnitWrite::kFailed;
            continue;
        }
        return UnitWrite::kFailed;
    }
    ::tcdrain(fd);
    return UnitWrite::kWritten;
}

}  // namespace torvane
