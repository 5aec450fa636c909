#include "cli/program_start.h"

namespace torvane::cli {

std::vector<std::string> ProgramArguments(int argc, char** argv) { return {argv, argv + argc}; }

}  // namespace torvane::cli
