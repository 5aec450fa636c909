#include "pages/firmware_image.h"

#include <fstream>

#include "pages/plain_file.h"

namespace torvane {

FirmwareFile ReadFirmwareFile(const std::string& path) {
    FirmwareFile file;
    if (!NotAPlainFile(path).empty()) {
        file.problem = FirmwareFile::kUnreadable;
        return file;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        file.problem = FirmwareFile::kUnreadable;
        return file;
    }
    // One byte more than fits tells an oversized file without trusting its
    // reported size (a device or a file still growing reports none).
    file.bytes.resize(kMaxFirmwareBytes + 1);
    in.read(reinterpret_cast<char*>(file.bytes.data()),
            static_cast<std::streamsize>(file.bytes.size()));
    if (in.bad()) {
        file.problem = FirmwareFile::kUnreadable;
        file.bytes.clear();
        return file;
    }
    file.bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (file.bytes.empty() || file.bytes.size() > kMaxFirmwareBytes) {
        file.problem = FirmwareFile::kBadSize;
        file.bytes.clear();
    }
    return file;
}

int FirmwareBlockCount(int length) {
    const int block = static_cast<int>(kDataPayloadSize);
    if (length <= block) return 2;
    return (length + block - 1) / block;
}

}  // namespace torvane
