#include "protocol/frames.h"

#include <algorithm>

namespace torvane {

std::uint8_t Checksum(const std::uint8_t* bytes, std::size_t count) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum += bytes[i];
    return static_cast<std::uint8_t>((256u - (sum & 0xFFu)) & 0xFFu);
}

void CompleteUnit(std::uint8_t* bytes, std::size_t length) {
    if (length == kCommandFrameSize || length == kDataFrameSize)
        bytes[length - 1] = Checksum(bytes, length - 1);
}

bool HasValidChecksum(const std::uint8_t* frame) {
    return Checksum(frame, kCommandFrameSize - 1) == frame[kCommandFrameSize - 1];
}

OutgoingBuffers::OutgoingBuffers() {
    command_[0] = kCommandHeader0;
    command_[1] = kCommandHeader1;
}

std::optional<std::span<std::uint8_t>> OutgoingBuffers::UnitFor(SendRequest request) {
    switch (request) {
        case SendRequest::kCommandFromEdid:
        case SendRequest::kCommandFromMatrix:
        case SendRequest::kCommandFromUpgrade:
            return std::span<std::uint8_t>(command_);
        case SendRequest::kDataFrame:
            return std::span<std::uint8_t>(data_);
        case SendRequest::kRawBlock:
            return std::span<std::uint8_t>(raw_);
        default:
            return std::nullopt;
    }
}

}  // namespace torvane
