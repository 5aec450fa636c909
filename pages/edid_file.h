#pragma once
// EDID files as the EDID page takes them: 128 or 256 bytes holding an EDID
// base block with at most one extension block. The check is a parser of
// outside input; it judges bytes of any length and content, and says why a
// file is refused in words an operator can act on.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/result.h"

namespace torvane {

inline constexpr std::size_t kEdidBlockSize = 128;
// The eight bytes every EDID base block starts with.
inline constexpr std::array<std::uint8_t, 8> kEdidHeader{0x00, 0xFF, 0xFF, 0xFF,
                                                         0xFF, 0xFF, 0xFF, 0x00};
// Files are read up to this many bytes (an EDID has at most 255 extension
// blocks), and one more tells a longer file.
inline constexpr std::size_t kEdidReadLimit = 256 * kEdidBlockSize;

// An EDID file the page takes: its bytes, and what it will not do as its
// author may expect (empty for most files).
struct EdidFile {
    std::vector<std::uint8_t> bytes;
    std::string warning;
};

// Judges bytes read from a file or standard input. Taken: 128 or 256 bytes,
// the header 00 FF FF FF FF FF FF 00, an extension count (byte 126) of 0 or 1,
// a base block summing to 0 and, with one extension, an extension block
// summing to 0 (bytes a 128-byte file does not supply count as 00: taken,
// with a warning). Anything else is bad input whose message says why.
Result<EdidFile> CheckEdidBytes(std::vector<std::uint8_t> bytes);

// The bytes of a plain file, at most kEdidReadLimit + 1 of them, or a system
// error with the system's reason.
Result<std::vector<std::uint8_t>> ReadEdidFile(const std::string& path);
// Reads a plain file and judges it.
Result<EdidFile> LoadEdidFile(const std::string& path);

// The message of a refused file: "Bad EDID file!", then the file and why.
std::string BadEdidFileMessage(const std::string& name, const std::string& reason);
// The message of an accepted file with a warning.
std::string EdidFileWarningMessage(const std::string& name, const std::string& warning);

}  // namespace torvane
