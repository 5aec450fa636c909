#pragma once
// How the monitoring thread writes one unit: purge what waits unread in the
// port (it belongs to an earlier command), write the unit whole, and wait
// until it has left the port, so nothing of ours is ever pending when the
// next unit comes.

#include <cstddef>
#include <cstdint>

#include "links/serial_line.h"

namespace torvane {

// Writes all `count` bytes to the non-blocking `fd`, waiting for room as
// needed; abandons the unit when `shutdownFd` becomes readable meanwhile.
UnitWrite PurgeAndWriteUnit(int fd, const std::uint8_t* bytes, std::size_t count, int shutdownFd);

}  // namespace torvane
