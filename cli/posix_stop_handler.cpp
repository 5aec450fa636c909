#include <signal.h>

#include "cli/stop_handler.h"

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

void InstallStopHandler(WakeChannel& wake) {
    signalled = &wake;
    Handle(OnSignal);
}

void RemoveStopHandler() {
    Handle(SIG_DFL);
    signalled = nullptr;
}

}  // namespace torvane::cli
