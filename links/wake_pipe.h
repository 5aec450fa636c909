#pragma once
// A manual-reset event between threads that poll() can wait on: signalled
// until reset, however often it is signalled.

namespace torvane {

class WakePipe {
  public:
    WakePipe();
    ~WakePipe();
    WakePipe(const WakePipe&) = delete;
    WakePipe& operator=(const WakePipe&) = delete;

    void Signal();
    void Reset();
    // Blocks until signalled (or until waiting itself fails).
    void Wait() const;
    int ReadFd() const { return fds_[0]; }

  private:
    int fds_[2] = {-1, -1};
};

}  // namespace torvane
