#pragma once
// Connects the operations to the in-process simulated switcher's serial
// port, advancing virtual time until the connection is settled.

#include "app/operations.h"
#include "platform/virtual_loop.h"

namespace torvane::test {

// True when the connection was made within ten seconds of virtual time.
bool ConnectToSimSwitcher(Operations& ops, VirtualLoop& loop);

}  // namespace torvane::test
