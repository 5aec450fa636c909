#include "pages/firmware_image.h"

#include <utility>

#include "pages/plain_file.h"

namespace torvane {

Result<std::vector<std::uint8_t>> ReadFirmwareFile(const std::string& path) {
    auto read = ReadPlainFile(path, kMaxFirmwareBytes + 1);
    if (!read) return read;
    if (read->empty() || read->size() > kMaxFirmwareBytes) return BadInput("Bad firmware file!");
    return read;
}

int FirmwareBlockCount(int length) {
    const int block = static_cast<int>(kDataPayloadSize);
    if (length <= block) return 2;
    return (length + block - 1) / block;
}

}  // namespace torvane
