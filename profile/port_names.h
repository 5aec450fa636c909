#pragma once
// Inputs and outputs by number, letter or name: "3", "B" and "Apple TV"
// alike, as torvanectl's arguments and the service's requests take them. A
// number or letter always means that port, whatever the names say; a name is
// matched whole, first exactly, then without regard to the case of ASCII
// letters.

#include <array>
#include <optional>
#include <string>

#include "platform/result.h"
#include "profile/profile.h"

namespace torvane::profile {

using PortNames = std::array<std::string, kPorts>;

// The port a number (decimal digits, leading zeros allowed: "03" is 3) or,
// for outputs, a letter A-H in any case stands for: 1 to 8.
std::optional<int> PortNumber(PortKind kind, const std::string& text);

// "A" for output 1 to "H" for output 8.
std::string OutputLetter(int output);

// The port `text` names (1 to 8; outputs A to H as 1 to 8). An unknown or
// ambiguous name is bad input whose message lists the choices.
Result<int> ReadPort(PortKind kind, const std::string& text, const PortNames& names);

}  // namespace torvane::profile
