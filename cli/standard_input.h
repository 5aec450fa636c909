#pragma once
// A file given as "-": read from standard input, with a bound on its size
// and on the wait, so a pipe whose writer never ends it cannot hold the
// command. One file per system (posix_standard_input.cpp,
// win_standard_input.cpp).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace torvane::cli {

struct StandardInputRead {
    std::vector<std::uint8_t> bytes;  // at most `limit`
    std::string error;                // empty when read to its end or to `limit`
};

// Reads until end of file or `limit` bytes, for at most `waitMs` in all. A
// terminal is refused at once: nobody types an EDID.
StandardInputRead ReadStandardInput(std::size_t limit, int waitMs);

// Whether standard error is a terminal (where a progress bar may be drawn).
bool StandardErrorIsTerminal();

}  // namespace torvane::cli
