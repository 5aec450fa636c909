#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "gui/demo_link_folder.h"

namespace torvane::gui {

DemoLinkFolder::~DemoLinkFolder() {
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

bool DemoLinkFolder::Make(std::string* error) {
    std::error_code failed;
    std::string pattern = (std::filesystem::temp_directory_path(failed) / "torvane-demo-XXXXXX");
    if (failed) {
        *error = "no temporary folder: " + failed.message();
        return false;
    }
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) {
        *error = "cannot make a folder like " + pattern + ": " +
                 std::error_code(errno, std::generic_category()).message();
        return false;
    }
    folder_ = name.data();
    return true;
}

}  // namespace torvane::gui
