#include "cli/stop_signals.h"

#include <signal.h>

namespace torvane::cli {
namespace {

// The one pipe the handler writes; a signal handler may do no more.
WakePipe* signalled = nullptr;

void OnSignal(int) {
    if (signalled) signalled->Signal();
}

void Handle(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

StopSignals::StopSignals(EventLoop& loop, std::function<void()> onStop) : loop_(loop) {
    watch_ = loop_.WatchFd(pipe_.ReadFd(), EventLoop::kReadable,
                           [onStop = std::move(onStop)](unsigned) { onStop(); });
    signalled = &pipe_;
    Handle(OnSignal);
}

StopSignals::~StopSignals() {
    Handle(SIG_DFL);
    signalled = nullptr;
    loop_.Unwatch(watch_);
}

}  // namespace torvane::cli
