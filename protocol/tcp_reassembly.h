#pragma once
// Reassembles frames read from the TCP control link. Each read event yields at
// most one frame: once 13 or more bytes are held, the first 13 are dispatched
// if they begin A5 5B, and everything held is discarded either way. Data
// frame acknowledgements (FE EF) are never dispatched from this link.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace torvane {

class TcpReassembly {
  public:
    static constexpr std::size_t kCapacity = 1024;
    using FrameHandler = std::function<void(const std::uint8_t* frame, std::size_t length)>;

    explicit TcpReassembly(FrameHandler onFrame) : onFrame_(std::move(onFrame)) {}

    // One read event: `readResult` is what the read call returned (below 1
    // adds nothing). Bytes beyond the buffer's capacity are dropped: only the
    // first 13 held are ever used.
    void OnRead(const std::uint8_t* bytes, long readResult);

    std::size_t Held() const { return length_; }

  private:
    FrameHandler onFrame_;
    std::array<std::uint8_t, kCapacity> buffer_{};
    std::size_t length_ = 0;
};

}  // namespace torvane
