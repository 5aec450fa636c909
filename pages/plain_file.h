#pragma once
// The operator's files (EDID, firmware) are read only when they are plain
// files: a named pipe or a terminal would hold the program at the open or the
// read for as long as nobody writes to it.

#include <string>

namespace torvane {

// Empty when `path` is a plain file or does not exist (the open then says
// why); otherwise why it is not read.
std::string NotAPlainFile(const std::string& path);

}  // namespace torvane
