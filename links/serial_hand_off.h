#pragma once
// What the serial driver's two threads share, the same on every system: the
// session's owner, which the monitoring thread reaches only through tasks
// posted to the loop, and the queue of units waiting to be written.
//
// Ending a session clears its owner, so late bytes or a late failure from
// the thread never reach a later session's owner, and drops the units not
// yet written.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "links/serial_port.h"
#include "platform/event_loop.h"

namespace torvane {

// The monitoring thread's way to the owner, valid for one session.
class SerialDelivery {
  public:
    struct Target {
        SerialPortOwner* owner = nullptr;
    };
    SerialDelivery(EventLoop& loop, std::shared_ptr<Target> target)
        : loop_(&loop), target_(std::move(target)) {}

    void Bytes(std::vector<std::uint8_t> bytes) const;
    void Failure() const;

  private:
    EventLoop* loop_;
    std::shared_ptr<Target> target_;
};

class SerialHandOff {
  public:
    using Unit = std::vector<std::uint8_t>;

    explicit SerialHandOff(EventLoop& loop) : loop_(loop) {}

    // On the loop's thread.
    void BeginSession(SerialPortOwner* owner);
    void EndSession();
    bool InSession() const { return target_ != nullptr; }
    SerialDelivery Delivery() const { return {loop_, target_}; }
    // Starts `thread` on `monitor` with this session's delivery and takes
    // units from then on; false without a session or when no thread could
    // be started.
    bool StartMonitor(std::thread* thread, std::function<void(SerialDelivery)> monitor);
    // Units are taken only while the port is monitored.
    void AcceptWrites(bool accept);
    // False when the unit was dropped (not monitored).
    bool Queue(const std::uint8_t* bytes, std::size_t count);

    // On the monitoring thread: every unit queued so far, in order.
    std::deque<Unit> TakeWrites();

  private:
    EventLoop& loop_;
    std::shared_ptr<SerialDelivery::Target> target_;
    std::mutex writeLock_;
    std::deque<Unit> writes_;
    bool acceptingWrites_ = false;
};

}  // namespace torvane
