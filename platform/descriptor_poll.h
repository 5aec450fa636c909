#pragma once
// One wait on several descriptors (sockets on Windows) with the system's
// poll, in the loop's event flags.

#include <vector>

namespace torvane {

struct PolledDescriptor {
    int fd;
    unsigned wanted;     // EventLoop::kReadable | kWritable
    unsigned ready = 0;  // what it is ready for, kError included
};

// Waits up to `timeoutMs` (-1: no limit) until a descriptor is ready and
// sets each one's `ready`. Returns how many are ready; 0 after the time or
// an interruption; -1 when the wait itself failed.
int PollDescriptors(std::vector<PolledDescriptor>& fds, int timeoutMs);

}  // namespace torvane
