#include "pages/plain_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace torvane {

std::string NotAPlainFile(const std::string& path) {
    std::error_code ec;
    const auto type = std::filesystem::status(path, ec).type();
    if (ec || type == std::filesystem::file_type::regular) return {};
    if (type == std::filesystem::file_type::directory)
        return std::make_error_code(std::errc::is_a_directory).message();
    return "not a regular file";
}

namespace {

std::string SystemReason(int error) { return std::strerror(error); }

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

FileRead ReadPlainFile(const std::string& path, std::size_t limit) {
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

}  // namespace torvane
