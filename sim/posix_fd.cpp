#include "sim/posix_fd.h"

#include <fcntl.h>

namespace torvane::sim {

bool SetNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL, 0);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

}  // namespace torvane::sim
