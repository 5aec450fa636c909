#include "protocol/tcp_reassembly.h"

#include <algorithm>
#include <cstring>

#include "protocol/frames.h"

namespace torvane {

void TcpReassembly::OnRead(const std::uint8_t* bytes, long readResult) {
    if (readResult >= 1 && bytes != nullptr) {
        const std::size_t room = kCapacity - length_;
        const std::size_t take = std::min(room, static_cast<std::size_t>(readResult));
        std::memcpy(buffer_.data() + length_, bytes, take);
        length_ += take;
    }
    if (length_ < kCommandFrameSize) return;

    CommandFrame frame;
    std::copy_n(buffer_.begin(), kCommandFrameSize, frame.begin());
    const bool isCommandFrame = frame[0] == kCommandHeader0 && frame[1] == kCommandHeader1;
    length_ = 0;
    buffer_.fill(0);
    if (isCommandFrame) onFrame_(frame.data(), frame.size());
}

}  // namespace torvane
