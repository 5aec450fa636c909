#include "links/stable_serial_path.h"

#include <filesystem>
#include <system_error>

namespace torvane {

std::string StableSerialPath(const std::string& devicePath, const std::string& byIdFolder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path device = fs::canonical(devicePath, ec);
    if (ec || fs::path(devicePath).parent_path() == fs::path(byIdFolder)) return devicePath;
    for (const auto& entry : fs::directory_iterator(byIdFolder, ec)) {
        std::error_code each;
        if (entry.is_symlink(each) && fs::canonical(entry.path(), each) == device && !each)
            return entry.path().string();
    }
    return devicePath;
}

}  // namespace torvane
