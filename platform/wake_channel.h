#pragma once
// A manual-reset signal between threads that a poll can wait on: a
// descriptor (a socket on Windows) that is readable once signalled until
// drained, however often it was signalled. It ends a loop's wait from
// another thread, and the serial monitoring thread's.

namespace torvane {

class WakeChannel {
  public:
    WakeChannel();
    ~WakeChannel();
    WakeChannel(const WakeChannel&) = delete;
    WakeChannel& operator=(const WakeChannel&) = delete;

    void Signal();
    void Drain();
    // Blocks until signalled (or until waiting itself fails).
    void Wait() const;
    int ReadFd() const { return read_; }

  private:
    int read_ = -1;
    int write_ = -1;
};

}  // namespace torvane
