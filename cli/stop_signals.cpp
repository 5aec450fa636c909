#include "cli/stop_signals.h"

#include "cli/stop_handler.h"

namespace torvane::cli {

StopSignals::StopSignals(EventLoop& loop, std::function<void()> onStop) : loop_(loop) {
    watch_ = loop_.WatchFd(wake_.ReadFd(), EventLoop::kReadable,
                           [onStop = std::move(onStop)](unsigned) { onStop(); });
    InstallStopHandler(wake_);
}

StopSignals::~StopSignals() {
    RemoveStopHandler();
    loop_.Unwatch(watch_);
}

}  // namespace torvane::cli
