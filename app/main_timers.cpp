#include "app/main_timers.h"

namespace torvane::main_timer {

int InputStatusTimer(int n) { return kFirstInputStatus + 2 * (n - 1); }

int OutputStatusTimer(int n) {
    static const int ids[] = {2100, 2102, 2104, 2106, 2108, 2110, 2114, 2112};
    return ids[n - 1];
}

CommandWait WaitOf(int retryTimer) {
    // Power on gives up sooner than the others.
    return {kCommandTimeoutMs, retryTimer == kPowerOn ? 2000 : kCommandTimeoutMs};
}

}  // namespace torvane::main_timer
