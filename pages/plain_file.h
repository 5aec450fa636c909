#pragma once
// The operator's files (EDID, firmware) are read only when they are plain
// files: a named pipe or a terminal would hold the program at the open or the
// read for as long as nobody writes to it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/result.h"

namespace torvane {

// Fails when `path` exists and is not a plain file, saying why; a path that
// does not exist passes (the open then says why).
Status CheckPlainFile(const std::string& path);

// Reads at most `limit` bytes of a plain file, without trusting its reported
// size (a device or a file still growing reports none): a caller asks for one
// byte more than it accepts to tell an oversized file. A file that cannot be
// opened or read is a system error with the system's reason.
Result<std::vector<std::uint8_t>> ReadPlainFile(const std::string& path, std::size_t limit);

}  // namespace torvane
