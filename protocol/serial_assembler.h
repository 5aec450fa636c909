#pragma once
// Turns the serial byte stream into 13-byte frames. The algorithm is the
// device protocol's own and is kept with its quirks, because the switcher and
// its installed base behave accordingly: positions 0 and 1 of the hunt buffer
// are never written; the hunt position wraps from 256 to 2 without clearing;
// once a header (A5 5B or FE EF) is seen the next 11 bytes form the frame
// whatever they are; only a dispatched frame resets the hunt.

#include <array>
#include <cstdint>
#include <functional>

#include "protocol/frames.h"

namespace torvane {

class SerialFrameAssembler {
  public:
    using FrameHandler = std::function<void(const std::uint8_t* frame, std::size_t length)>;

    explicit SerialFrameAssembler(FrameHandler onFrame) : onFrame_(std::move(onFrame)) {}

    void Feed(std::uint8_t byte);

    bool Synced() const { return synced_; }
    int HuntPosition() const { return huntPosition_; }
    int FramePosition() const { return framePosition_; }

  private:
    FrameHandler onFrame_;
    bool synced_ = false;
    std::array<std::uint8_t, 256> hunt_{};
    int huntPosition_ = 2;
    CommandFrame frame_{};
    int framePosition_ = 0;
};

}  // namespace torvane
