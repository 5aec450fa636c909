#include "platform/utf8_path.h"

namespace torvane {

std::FILE* OpenForReading(const std::string& utf8Path) {
    return std::fopen(utf8Path.c_str(), "rb");
}

}  // namespace torvane
