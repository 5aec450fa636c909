#pragma once
// The switcher's front panel as torvane-sim reads it, one line at a time:
// someone at the device (or a remote control) changing what the program
// controls, so that the program must find the change by reading. The parser
// takes outside input: any bytes give a command or an error, never a crash.

#include <cstdint>
#include <string>
#include <string_view>

#include "sim/switcher_state.h"

namespace torvane::sim {

struct FrontPanelCommand {
    enum Kind { kNothing, kRoute, kArc, kPower, kBeep, kVanish } kind = kNothing;
    int input = 0;   // 1 to 8 (route)
    int output = 0;  // 1 to 8 for A to H (route, arc)
    bool on = false;
    int vanishMs = 0;  // how long the links stay away (vanish)
};

struct FrontPanelParse {
    FrontPanelCommand command;  // kNothing for a blank line or an error
    std::string error;          // empty when the line was understood
};

// The longest line the front panel takes; anything longer is refused whole.
inline constexpr std::size_t kFrontPanelMaxLine = 200;
// The longest a vanish may last, so a typo cannot take the switcher away for good.
inline constexpr int kFrontPanelMaxVanishMs = 3600 * 1000;

// One line without its newline: "route 3 B", "arc A on", "power off",
// "beep on", "vanish 1.5". Words are separated by spaces or tabs; command
// words and on/off in any case; outputs as A-H (any case) or 1-8.
FrontPanelParse ParseFrontPanelLine(std::string_view line);

// Applies route, arc, power and beep to `state`; vanish and nothing leave it.
void ApplyFrontPanelCommand(const FrontPanelCommand& command, SwitcherState& state);

// The command in the form the parser reads, e.g. "route 3 B".
std::string DescribeFrontPanelCommand(const FrontPanelCommand& command);

// The commands, for --help.
std::string FrontPanelUsage();

}  // namespace torvane::sim
