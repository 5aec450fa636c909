#include "pages/plain_file.h"

#include <filesystem>
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

}  // namespace torvane
