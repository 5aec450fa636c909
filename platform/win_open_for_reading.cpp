#include <stdio.h>

#include "platform/utf8_path.h"
#include "platform/win_text.h"

namespace torvane {

std::FILE* OpenForReading(const std::string& utf8Path) {
    return ::_wfopen(WideFromUtf8(utf8Path).c_str(), L"rb");
}

}  // namespace torvane
