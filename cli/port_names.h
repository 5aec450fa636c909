#pragma once
// Inputs and outputs on torvanectl's command line by number, letter or name:
// "3", "B" and "Apple TV" alike. A number or letter always means that port,
// whatever the names say; a name is matched whole, first exactly, then
// without regard to the case of ASCII letters.

#include <array>
#include <string>

#include "platform/result.h"
#include "profile/profile.h"

namespace torvane::cli {

using PortNames = std::array<std::string, profile::kPorts>;

// The port `text` names (1 to 8; outputs A to H as 1 to 8). An unknown or
// ambiguous name is a usage error that lists the choices.
Result<int> ReadPort(profile::PortKind kind, const std::string& text, const PortNames& names);

}  // namespace torvane::cli
