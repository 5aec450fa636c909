#pragma once
// The operator's files (EDID, firmware) are read only when they are plain
// files: a named pipe or a terminal would hold the program at the open or the
// read for as long as nobody writes to it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace torvane {

// Empty when `path` is a plain file or does not exist (the open then says
// why); otherwise why it is not read.
std::string NotAPlainFile(const std::string& path);

struct FileRead {
    bool read = false;  // false: could not be opened or read, `error` says why
    std::vector<std::uint8_t> bytes;
    std::string error;
};

// Reads at most `limit` bytes of a plain file, without trusting its reported
// size (a device or a file still growing reports none): a caller asks for one
// byte more than it accepts to tell an oversized file.
FileRead ReadPlainFile(const std::string& path, std::size_t limit);

}  // namespace torvane
