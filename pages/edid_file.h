#pragma once
// EDID files as the EDID page takes them: 128 or 256 bytes holding an EDID
// base block with at most one extension block. The check is a parser of
// outside input; it judges bytes of any length and content.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/result.h"

namespace torvane {

inline constexpr std::size_t kEdidBlockSize = 128;

// True when `bytes` are an EDID file the page accepts: 128 or 256 bytes,
// the header 00 FF FF FF FF FF FF 00, an extension count (byte 126) of 0 or
// 1, a base block summing to 0 and, with one extension, an extension block
// summing to 0 (bytes a 128-byte file does not supply count as 00).
bool IsAcceptedEdidFile(const std::uint8_t* bytes, std::size_t size);

// Reads and checks an EDID file: its bytes, a system error when it cannot be
// read, or bad input ("Bad EDID file!") when the page would not take it. Only
// a file of 128 or 256 bytes has its contents looked at; any other length is
// a bad file by its length alone.
Result<std::vector<std::uint8_t>> LoadEdidFile(const std::string& path);

}  // namespace torvane
