#pragma once
// Whether a raw block received by the switcher holds an EDID it can use.

#include <optional>

#include "protocol/frames.h"

namespace torvane::sim {

// The program sends its block as one 00 byte followed by the EDID, so the
// EDID header normally stands at offset 1; a block that starts with the header
// itself is read from offset 0. Returns that offset when the block holds a
// valid EDID: the 8-byte header, an extension count of 0 or 1, a base block
// summing to 0 and, where the block holds all of it, an extension block
// summing to 0.
std::optional<std::size_t> FindValidEdid(const RawBlock& block);

}  // namespace torvane::sim
