#include "platform/wake_channel.h"

#include <vector>

#include "platform/descriptor_poll.h"
#include "platform/event_loop.h"

namespace torvane {

void WakeChannel::Wait() const {
    std::vector<PolledDescriptor> fd{{read_, EventLoop::kReadable}};
    while (PollDescriptors(fd, -1) == 0) {
    }
}

}  // namespace torvane
