#include "pages/edid_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

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

std::string SystemReason(int error) { return std::strerror(error); }

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

struct FileRead {
    bool read = false;  // false: could not be opened or read, `error` says why
    std::vector<std::uint8_t> bytes;
    std::string error;
};

FileRead ReadUpTo(const std::string& path, std::size_t limit) {
    FileRead result;
    // A directory opens for reading on some systems, a named pipe blocks:
    // say so plainly instead.
    result.error = NotAPlainFile(path);
    if (!result.error.empty()) return result;
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        result.error = SystemReason(errno);
        return result;
    }
    result.bytes.resize(limit);
    result.bytes.resize(std::fread(result.bytes.data(), 1, limit, file.get()));
    if (std::ferror(file.get())) {
        result.error = SystemReason(errno ? errno : EIO);
        result.bytes.clear();
        return result;
    }
    result.read = true;
    return result;
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

CheckedEdidFile LoadEdidFile(const std::string& path) {
    // One byte more than the longest file taken tells every other length
    // apart without trusting a size the file system reports.
    FileRead read = ReadUpTo(path, 2 * kEdidBlockSize + 1);
    CheckedEdidFile checked;
    if (!read.read) {
        checked.error = std::move(read.error);
        return checked;
    }
    if (!IsAcceptedEdidFile(read.bytes.data(), read.bytes.size())) {
        checked.verdict = EdidFileVerdict::kBadFile;
        return checked;
    }
    checked.verdict = EdidFileVerdict::kAccepted;
    checked.bytes = std::move(read.bytes);
    return checked;
}

}  // namespace torvane
