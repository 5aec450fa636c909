#include "platform/poll_loop.h"

#include <algorithm>
#include <chrono>

namespace torvane {
namespace {
std::int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

PollLoop::PollLoop() : start_(SteadyMs()) {}

void PollLoop::Post(Task task) { tasks_.push_back(std::move(task)); }

void PollLoop::PostFromAnyThread(Task task) { crossThread_.Push(std::move(task)); }

TimeMs PollLoop::Now() const { return SteadyMs() - start_; }

EventLoop::TimerId PollLoop::StartTimer(int periodMs, Task onExpiry) {
    return timers_.Start(Now(), periodMs, std::move(onExpiry));
}

void PollLoop::CancelTimer(TimerId id) { timers_.Cancel(id); }

EventLoop::WatchId PollLoop::WatchFd(int fd, unsigned events,
                                     std::function<void(unsigned)> onReady) {
    return watches_.Add(fd, events, std::move(onReady));
}

void PollLoop::UpdateWatch(WatchId id, unsigned events) { watches_.Update(id, events); }

void PollLoop::Unwatch(WatchId id) { watches_.Remove(id); }

void PollLoop::Quit(int code) {
    quitCode_ = code;
    quit_ = true;
    crossThread_.Push([] {});  // wake a waiting poll()
}

bool PollLoop::Step(TimeMs maxWaitMs, bool waitOnlyWhenIdle) {
    bool ran = false;
    for (auto& task : crossThread_.TakeAll()) tasks_.push_back(std::move(task));
    while (!tasks_.empty() && !quit_) {
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        task();
        ran = true;
    }
    if (quit_) return ran;
    while (auto due = timers_.PopDue(Now())) {
        due->second();
        ran = true;
        if (quit_ || !tasks_.empty()) return ran;
    }
    TimeMs wait = ran && waitOnlyWhenIdle ? 0 : maxWaitMs;
    if (auto next = timers_.NextDue()) wait = std::min(wait, std::max<TimeMs>(0, *next - Now()));
    bool woke = false;
    return watches_.PollOnce(static_cast<int>(wait), crossThread_.WakeFd(), &woke) > 0 || ran;
}

int PollLoop::Run() {
    while (!quit_) Step(1000);
    return quitCode_;
}

void PollLoop::RunOnce(TimeMs maxWaitMs) {
    if (!quit_) Step(maxWaitMs, true);
}

void PollLoop::RunFor(TimeMs ms) {
    const TimeMs end = Now() + ms;
    while (!quit_) {
        const TimeMs left = end - Now();
        if (left <= 0) break;
        Step(left);
    }
}

}  // namespace torvane
