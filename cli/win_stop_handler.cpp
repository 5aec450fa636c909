#include <windows.h>

#include "cli/stop_handler.h"

namespace torvane::cli {
namespace {

// The console calls the handler on a thread of its own; the channel hands
// the request to the loop's thread.
WakeChannel* signalled = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
            if (signalled) signalled->Signal();
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void InstallStopHandler(WakeChannel& wake) {
    signalled = &wake;
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void RemoveStopHandler() {
    ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    signalled = nullptr;
}

}  // namespace torvane::cli
