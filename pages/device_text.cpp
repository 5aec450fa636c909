#include "pages/device_text.h"

#include "ui/text_codec.h"

namespace torvane {

Status CheckDeviceText(const std::string& text) {
    std::string misfit;
    if (!Utf8ToLatin1(text, &misfit))
        return BadInput("the device text takes Latin-1 characters only (up to U+00FF), not " +
                        misfit);
    if (CharacterCount(text) > kDeviceTextLength)
        return BadInput("the device text has at most 32 characters");
    return {};
}

}  // namespace torvane
