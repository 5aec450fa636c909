#include "pages/plain_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/utf8_path.h"

namespace torvane {

Status CheckPlainFile(const std::string& path) {
    std::error_code ec;
    const auto type = std::filesystem::status(PathFromUtf8(path), ec).type();
    if (ec || type == std::filesystem::file_type::regular) return {};
    if (type == std::filesystem::file_type::directory)
        return SystemError(std::make_error_code(std::errc::is_a_directory).message());
    return SystemError("not a regular file");
}

namespace {

std::string SystemReason(int error) { return std::strerror(error); }

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

Result<std::vector<std::uint8_t>> ReadPlainFile(const std::string& path, std::size_t limit) {
    // A directory opens for reading on some systems, a named pipe blocks:
    // say so plainly instead.
    if (Status plain = CheckPlainFile(path); !plain) return plain.error();
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(OpenForReading(path));
    if (!file) return SystemError(SystemReason(errno));
    std::vector<std::uint8_t> bytes(limit);
    bytes.resize(std::fread(bytes.data(), 1, limit, file.get()));
    if (std::ferror(file.get())) return SystemError(SystemReason(errno ? errno : EIO));
    return bytes;
}

}  // namespace torvane
