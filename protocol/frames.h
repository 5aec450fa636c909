#pragma once
// The three units the program sends to the switcher, their checksum, and the
// one shared outgoing buffer of each.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace torvane {

inline constexpr std::size_t kCommandFrameSize = 13;
inline constexpr std::size_t kDataFrameSize = 1029;
inline constexpr std::size_t kDataPayloadSize = 1024;
inline constexpr std::size_t kRawBlockSize = 256;

inline constexpr std::uint8_t kCommandHeader0 = 0xA5;
inline constexpr std::uint8_t kCommandHeader1 = 0x5B;
inline constexpr std::uint8_t kDataHeader0 = 0xFE;
inline constexpr std::uint8_t kDataHeader1 = 0xEF;
inline constexpr std::uint8_t kLastBlockFlag = 0x80;
// A data frame: the header, its flags (byte 2: none, or kLastBlockFlag on
// the image's last block), the block's number (byte 3), then the payload.
inline constexpr std::size_t kDataFlagsByte = 2;
inline constexpr std::size_t kDataBlockByte = 3;
inline constexpr std::size_t kDataPayloadByte = 4;
inline constexpr std::uint8_t kNoBlockFlags = 0x00;

using CommandFrame = std::array<std::uint8_t, kCommandFrameSize>;
using DataFrame = std::array<std::uint8_t, kDataFrameSize>;
using RawBlock = std::array<std::uint8_t, kRawBlockSize>;

// Two's complement of the 8-bit sum of `count` bytes: a whole unit, checksum
// included, sums to 0 mod 256.
std::uint8_t Checksum(const std::uint8_t* bytes, std::size_t count);

// Writes the checksum into the last byte of a 13- or 1029-byte unit; leaves
// any other length (the raw block) unchanged.
void CompleteUnit(std::uint8_t* bytes, std::size_t length);

// True when the 13 bytes carry a correct checksum in byte 12.
bool HasValidChecksum(const std::uint8_t* frame);

// Codes of the send request a page posts to the main window.
enum class SendRequest : int {
    kRawBlock = 3,
    kCommandFromEdid = 2,
    kCommandFromMatrix = 4,
    kCommandFromUpgrade = 5,
    kDataFrame = 6,
    kStopEntryTimeout = 1000,
};

// The shared outgoing buffers. Frames are never queued: each buffer holds the
// last unit built, which the retry timers resend and pages read back.
class OutgoingBuffers {
  public:
    OutgoingBuffers();

    // Replaces the command frame with one a builder of the protocol's
    // vocabulary made (bytes 0 and 1 are A5 5B in every one).
    CommandFrame& Write(const CommandFrame& frame) { return command_ = frame; }

    CommandFrame& Command() { return command_; }
    const CommandFrame& Command() const { return command_; }
    DataFrame& Data() { return data_; }
    RawBlock& Raw() { return raw_; }

    // The unit a send request names, or nothing (the entry time-out's stop
    // and codes that name no unit send nothing).
    std::optional<std::span<std::uint8_t>> UnitFor(SendRequest request);

  private:
    CommandFrame command_{};
    DataFrame data_{};
    RawBlock raw_{};
};

}  // namespace torvane
