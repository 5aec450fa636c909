#pragma once
// A firmware image as the Upgrade page sends it: whole 1024-byte blocks, the
// bytes after the image FF.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/result.h"
#include "protocol/frames.h"

namespace torvane {

// The largest image file the switcher takes.
inline constexpr std::size_t kMaxFirmwareBytes = 100000;
// The buffer holds whole blocks, so the block that reaches the image's end
// is always read from inside it.
inline constexpr std::size_t kFirmwareBufferBytes =
    (kMaxFirmwareBytes + kDataPayloadSize - 1) / kDataPayloadSize * kDataPayloadSize;

using FirmwareBuffer = std::array<std::uint8_t, kFirmwareBufferBytes>;

// The bytes of a firmware file, or why there are none: a system error when
// it cannot be read, bad input ("Bad firmware file!") when it is empty or
// longer than kMaxFirmwareBytes.
Result<std::vector<std::uint8_t>> ReadFirmwareFile(const std::string& path);

// How many data frames an image of `length` bytes goes out in: the first
// block is never the last, so a one-block image is followed by a block of FF.
int FirmwareBlockCount(int length);

}  // namespace torvane
