#pragma once
// Text that reaches a terminal carries no control characters: a device text
// read from the switcher may hold any byte, and ESC or a C1 control would
// reach the terminal as a command.

#include <string>

namespace torvane::cli {

// `text` (UTF-8) with each control character (U+0000 to U+001F, U+007F to
// U+009F) and each byte that is not UTF-8 written as \xNN.
std::string TerminalText(const std::string& text);

}  // namespace torvane::cli
