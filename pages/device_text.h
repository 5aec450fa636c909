#pragma once
// The device text as the switcher keeps it: 32 bytes, one per character,
// each the character's code (Latin-1). Text typed by the operator or sent by
// a client is UTF-8 and is checked against that before anything is sent.

#include <cstddef>
#include <string>

#include "platform/result.h"

namespace torvane {

inline constexpr std::size_t kDeviceTextLength = 32;

// Bad input that says why when `text` (UTF-8) cannot be the device text.
Status CheckDeviceText(const std::string& text);

}  // namespace torvane
