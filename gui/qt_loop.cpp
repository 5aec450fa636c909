#include "gui/qt_loop.h"

#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>

namespace torvane::gui {

QtLoop::QtLoop() : context_(std::make_unique<QObject>()) { clock_.start(); }

QtLoop::~QtLoop() {
    watches_.clear();
    timers_.clear();
}

void QtLoop::Post(Task task) {
    QMetaObject::invokeMethod(context_.get(), std::move(task), Qt::QueuedConnection);
}

void QtLoop::PostFromAnyThread(Task task) {
    // Qt's posted events are thread-safe and keep their order per sender.
    QMetaObject::invokeMethod(context_.get(), std::move(task), Qt::QueuedConnection);
}

TimeMs QtLoop::Now() const { return clock_.elapsed(); }

EventLoop::TimerId QtLoop::StartTimer(int periodMs, Task onExpiry) {
    const TimerId id = nextTimer_++;
    auto timer = std::make_unique<QTimer>();
    // Window timers promise their period, not a coarse approximation of it.
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(periodMs);
    QObject::connect(timer.get(), &QTimer::timeout, context_.get(), [task = std::move(onExpiry)] {
        // A copy: the task may cancel its own timer.
        Task run = task;
        run();
    });
    timer->start();
    timers_[id] = std::move(timer);
    return id;
}

void QtLoop::CancelTimer(TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second->stop();
    // Deleting a timer from inside its own timeout is not allowed; later is.
    it->second.release()->deleteLater();
    timers_.erase(it);
}

EventLoop::WatchId QtLoop::WatchFd(int fd, unsigned events, std::function<void(unsigned)> onReady) {
    const WatchId id = nextWatch_++;
    auto watch = std::make_unique<Watch>();
    watch->fd = fd;
    watch->onReady = std::move(onReady);
    auto make = [&](QSocketNotifier::Type type, unsigned event) {
        auto notifier = std::make_unique<QSocketNotifier>(fd, type);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, context_.get(),
                         [this, id, event] { Fire(id, event); });
        return notifier;
    };
    watch->read = make(QSocketNotifier::Read, kReadable);
    watch->write = make(QSocketNotifier::Write, kWritable);
    watches_[id] = std::move(watch);
    UpdateWatch(id, events);
    return id;
}

void QtLoop::UpdateWatch(WatchId id, unsigned events) {
    auto it = watches_.find(id);
    if (it == watches_.end()) return;
    it->second->read->setEnabled(events & kReadable);
    it->second->write->setEnabled(events & kWritable);
    // Qt reports errors and hang-ups as readable; the links' read paths
    // find the failure when they read.
}

void QtLoop::Unwatch(WatchId id) {
    auto it = watches_.find(id);
    if (it == watches_.end()) return;
    Watch* watch = it->second.release();
    watches_.erase(it);
    watch->read->setEnabled(false);
    watch->write->setEnabled(false);
    // The watch may be removed from inside its own handler.
    QMetaObject::invokeMethod(
        context_.get(), [watch] { delete watch; }, Qt::QueuedConnection);
}

void QtLoop::Fire(WatchId id, unsigned event) {
    auto it = watches_.find(id);
    if (it == watches_.end()) return;
    auto handler = it->second->onReady;
    handler(event);
}

}  // namespace torvane::gui
