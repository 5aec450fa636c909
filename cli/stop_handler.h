#pragma once
// The system's hook for a request to stop (SIGINT and SIGTERM on POSIX,
// Ctrl-C, Ctrl-Break and closing the console on Windows): once installed,
// such a request only signals `wake`, which the loop watches.

#include "platform/wake_channel.h"

namespace torvane::cli {

void InstallStopHandler(WakeChannel& wake);
// Puts the system's default handling back.
void RemoveStopHandler();

}  // namespace torvane::cli
