#include "cli/stop_signals.h"

#include <signal.h>

namespace torvane::cli {
namespace {

// The one channel the handler signals; a signal handler may do no more.
WakeChannel* signalled = nullptr;

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
    watch_ = loop_.WatchFd(wake_.ReadFd(), EventLoop::kReadable,
                           [onStop = std::move(onStop)](unsigned) { onStop(); });
    signalled = &wake_;
    Handle(OnSignal);
}

StopSignals::~StopSignals() {
    Handle(SIG_DFL);
    signalled = nullptr;
    loop_.Unwatch(watch_);
}

}  // namespace torvane::cli
