#pragma once
// The commands of torvanectl. Each runs the operator's action on the window
// model and prints its answer.

#include <iosfwd>

#include "cli/options.h"

namespace torvane::cli {

// Runs the command of `options`; returns the exit status.
int RunCommand(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace torvane::cli
