#pragma once
// torvanectl watch [--interval S]: prints the switcher's state, then a line
// for every change of it and of the connection, reconnecting by itself,
// until SIGINT or SIGTERM ends it (status 0).

#include <iosfwd>

#include "cli/options.h"

namespace torvane::cli {

int RunWatch(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace torvane::cli
