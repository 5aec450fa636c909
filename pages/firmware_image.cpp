#include "pages/firmware_image.h"

#include <utility>

#include "pages/plain_file.h"

namespace torvane {

FirmwareFile ReadFirmwareFile(const std::string& path) {
    FirmwareFile file;
    FileRead read = ReadPlainFile(path, kMaxFirmwareBytes + 1);
    if (!read.read) {
        file.problem = FirmwareFile::kUnreadable;
        return file;
    }
    if (read.bytes.empty() || read.bytes.size() > kMaxFirmwareBytes) {
        file.problem = FirmwareFile::kBadSize;
        return file;
    }
    file.bytes = std::move(read.bytes);
    return file;
}

int FirmwareBlockCount(int length) {
    const int block = static_cast<int>(kDataPayloadSize);
    if (length <= block) return 2;
    return (length + block - 1) / block;
}

}  // namespace torvane
