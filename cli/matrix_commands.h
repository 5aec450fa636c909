#pragma once
// torvanectl's Matrix page commands: matrix (what each output shows and its
// ARC state), route INPUT OUTPUT and arc OUTPUT on|off.

#include <string>

#include "cli/options.h"
#include "cli/printer.h"
#include "cli/session.h"

namespace torvane::cli {

bool IsMatrixCommand(const std::string& command);
// What is wrong with the command's arguments, or "" when they are right;
// checked before the link is opened.
std::string MatrixUsageError(const Options& options);
// Runs a command that MatrixUsageError accepted, on an open link.
int RunMatrixCommand(Session& session, const Printer& print);

}  // namespace torvane::cli
