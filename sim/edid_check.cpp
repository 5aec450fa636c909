#include "sim/edid_check.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace torvane::sim {
namespace {

constexpr std::array<std::uint8_t, 8> kHeader{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::size_t kEdidBlock = 128;
constexpr std::size_t kExtensionCount = 126;

bool HasHeaderAt(const RawBlock& block, std::size_t offset) {
    return std::equal(kHeader.begin(), kHeader.end(), block.begin() + offset);
}

bool SumsToZero(const RawBlock& block, std::size_t from, std::size_t count) {
    unsigned sum = 0;
    for (std::size_t i = from; i < from + count; ++i) sum += block[i];
    return (sum & 0xFFu) == 0;
}

}  // namespace

std::optional<std::size_t> FindValidEdid(const RawBlock& block) {
    for (std::size_t offset : {std::size_t{1}, std::size_t{0}}) {
        if (!HasHeaderAt(block, offset)) continue;
        const std::uint8_t extensions = block[offset + kExtensionCount];
        if (extensions > 1 || !SumsToZero(block, offset, kEdidBlock)) return std::nullopt;
        // With the leading 00 the extension's own last byte is not in the
        // block, so its sum cannot be checked there.
        const bool wholeExtension = offset + 2 * kEdidBlock <= block.size();
        if (extensions == 1 && wholeExtension &&
            !SumsToZero(block, offset + kEdidBlock, kEdidBlock))
            return std::nullopt;
        return offset;
    }
    return std::nullopt;
}

}  // namespace torvane::sim
