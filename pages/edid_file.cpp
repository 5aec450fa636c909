#include "pages/edid_file.h"

#include <algorithm>
#include <array>

#include "pages/plain_file.h"

namespace torvane {
namespace {

constexpr std::array<std::uint8_t, 8> kHeader{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::size_t kExtensionCount = 126;

std::uint8_t Sum(const std::uint8_t* bytes, std::size_t count) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum += bytes[i];
    return static_cast<std::uint8_t>(sum);
}

}  // namespace

bool IsAcceptedEdidFile(const std::uint8_t* bytes, std::size_t size) {
    if (size != kEdidBlockSize && size != 2 * kEdidBlockSize) return false;
    if (!std::equal(kHeader.begin(), kHeader.end(), bytes)) return false;
    if (Sum(bytes, kEdidBlockSize) != 0) return false;
    switch (bytes[kExtensionCount]) {
        case 0x00:
            return true;
        case 0x01:
            // A missing extension block is all 00, which sums to 0.
            return size == kEdidBlockSize || Sum(bytes + kEdidBlockSize, kEdidBlockSize) == 0;
        default:
            return false;
    }
}

Result<std::vector<std::uint8_t>> LoadEdidFile(const std::string& path) {
    // One byte more than the longest file taken tells every other length
    // apart without trusting a size the file system reports.
    auto read = ReadPlainFile(path, 2 * kEdidBlockSize + 1);
    if (!read) return read;
    if (!IsAcceptedEdidFile(read->data(), read->size())) return BadInput("Bad EDID file!");
    return read;
}

}  // namespace torvane
