#pragma once
// The core's event loop on Qt's: posted tasks are queued calls, window timers
// are QTimers, descriptor watches are QSocketNotifiers. Nothing here blocks;
// the serial monitoring thread reaches the loop through PostFromAnyThread.

#include <QElapsedTimer>
#include <QObject>
#include <map>
#include <memory>

#include "platform/event_loop.h"

class QSocketNotifier;
class QTimer;

namespace torvane::gui {

class QtLoop : public EventLoop {
  public:
    QtLoop();
    ~QtLoop() override;
    QtLoop(const QtLoop&) = delete;
    QtLoop& operator=(const QtLoop&) = delete;

    void Post(Task task) override;
    void PostFromAnyThread(Task task) override;
    TimeMs Now() const override;
    TimerId StartTimer(int periodMs, Task onExpiry) override;
    void CancelTimer(TimerId id) override;
    WatchId WatchFd(int fd, unsigned events, std::function<void(unsigned)> onReady) override;
    void UpdateWatch(WatchId id, unsigned events) override;
    void Unwatch(WatchId id) override;

  private:
    struct Watch {
        int fd = -1;
        std::unique_ptr<QSocketNotifier> read;
        std::unique_ptr<QSocketNotifier> write;
        std::function<void(unsigned)> onReady;
    };
    void Fire(WatchId id, unsigned event);

    // Lives on the loop's thread; queued calls to it run there in order.
    std::unique_ptr<QObject> context_;
    QElapsedTimer clock_;
    std::map<TimerId, std::unique_ptr<QTimer>> timers_;
    std::map<WatchId, std::unique_ptr<Watch>> watches_;
    TimerId nextTimer_ = 1;
    WatchId nextWatch_ = 1;
};

}  // namespace torvane::gui
