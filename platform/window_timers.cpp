#include "platform/window_timers.h"

namespace torvane {

WindowTimers::WindowTimers(EventLoop& loop, Handler onTimer)
    : loop_(loop), onTimer_(std::move(onTimer)) {}

WindowTimers::~WindowTimers() { KillAll(); }

void WindowTimers::SetTimer(int id, int periodMs) {
    KillTimer(id);
    running_[id] = loop_.StartTimer(periodMs, [this, id] { onTimer_(id); });
}

void WindowTimers::KillTimer(int id) {
    auto it = running_.find(id);
    if (it == running_.end()) return;
    loop_.CancelTimer(it->second);
    running_.erase(it);
}

void WindowTimers::KillAll() {
    for (auto& [id, timer] : running_) loop_.CancelTimer(timer);
    running_.clear();
}

bool WindowTimers::IsRunning(int id) const { return running_.count(id) != 0; }

}  // namespace torvane
