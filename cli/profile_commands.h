#pragma once
// torvanectl's names and presets: names, name, preset list|show|save|apply|
// delete|rename|export|import, kept in the profile of the switcher the link
// option names (the serial port's path, or over TCP the MAC the switcher's
// network module gives when asked).

#include <optional>
#include <string>

#include "cli/options.h"
#include "cli/printer.h"
#include "profile/port_names.h"

namespace torvane::cli {

bool IsProfileCommand(const std::string& command);
int RunProfileCommand(const Options& options, const Printer& print);

// route INPUT OUTPUT and arc OUTPUT on|off with a name for a port: each name
// becomes the port's number or letter in `options` (its profile is read
// only when a name is given). Returns the exit status when a name is
// unknown or ambiguous, or the switcher's profile cannot be read.
std::optional<int> ResolveMatrixNames(Options& options, const Printer& print);

}  // namespace torvane::cli
