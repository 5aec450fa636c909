#include "platform/win_sockets.h"

namespace torvane {

bool StartWindowsSockets() {
    // Never cleaned up: sockets may live until the process ends, and the
    // system releases everything then.
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

}  // namespace torvane
