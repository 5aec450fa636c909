#include "protocol/serial_assembler.h"

namespace torvane {

void SerialFrameAssembler::Feed(std::uint8_t byte) {
    if (synced_)
        frame_[framePosition_++] = byte;
    else
        hunt_[huntPosition_++] = byte;

    if (!synced_) {
        const std::uint8_t first = hunt_[huntPosition_ - 2];
        const std::uint8_t second = hunt_[huntPosition_ - 1];
        const bool command = first == kCommandHeader0 && second == kCommandHeader1;
        const bool data = first == kDataHeader0 && second == kDataHeader1;
        if (command || data) {
            synced_ = true;
            frame_[0] = first;
            frame_[1] = second;
            framePosition_ = 2;
            huntPosition_ = 2;
        }
    }

    if (framePosition_ == static_cast<int>(kCommandFrameSize)) {
        // Hand over a copy: the handler may feed more bytes (a test, or a
        // reply that sends the next frame whose echo arrives synchronously).
        const CommandFrame frame = frame_;
        synced_ = false;
        framePosition_ = 0;
        huntPosition_ = 2;
        hunt_.fill(0);
        frame_.fill(0);
        onFrame_(frame.data(), frame.size());
    }

    if (huntPosition_ == 256) huntPosition_ = 2;
}

}  // namespace torvane
