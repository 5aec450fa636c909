#pragma once
// Writes a switcher's output to a non-blocking descriptor (a TCP connection
// or the pty master) in order, keeping what the descriptor cannot take yet
// until the loop says it is writable.

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/event_loop.h"

namespace torvane::sim {

class ByteStreamWriter {
  public:
    // `onBroken` runs when a write fails for good (peer gone).
    ByteStreamWriter(EventLoop& loop, int fd, EventLoop::WatchId watch, unsigned readEvents,
                     std::function<void()> onBroken)
        : loop_(loop),
          fd_(fd),
          watch_(watch),
          readEvents_(readEvents),
          onBroken_(std::move(onBroken)) {}

    void Write(const std::vector<std::uint8_t>& bytes);
    // Call when the watch reports kWritable.
    void OnWritable();

  private:
    void Flush();

    EventLoop& loop_;
    int fd_;
    EventLoop::WatchId watch_;
    unsigned readEvents_;
    std::function<void()> onBroken_;
    std::vector<std::uint8_t> pending_;
};

}  // namespace torvane::sim
