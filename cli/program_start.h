#pragma once
// The command line as the program's own text: UTF-8 on every system. On
// Windows the arguments are read wide (main's narrow ones went through the
// ANSI code page and lost every letter it lacks) and the console is told
// that the program writes UTF-8.

#include <string>
#include <vector>

namespace torvane::cli {

// argv[0] first, as main has them.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace torvane::cli
