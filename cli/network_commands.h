#pragma once
// torvanectl discover and netconfig: Search and Config... on the main window,
// over UDP only (no link to a switcher is opened).

#include <iosfwd>
#include <string>

#include "cli/options.h"

namespace torvane::cli {

bool IsNetworkCommand(const std::string& command);
int RunNetworkCommand(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace torvane::cli
