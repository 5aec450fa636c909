#pragma once
// torvane-sim's command line: where it serves the switcher, and every state,
// timing and fault setting of the model.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/switcher_settings.h"
#include "sim/switcher_state.h"

namespace torvane::sim {

struct SimOptions {
    std::uint16_t tcpPort = 8000;
    std::uint16_t discoveryPort = 30600;
    std::uint16_t configPort = 30601;
    bool udp = true;
    std::string linkPath;
    bool frontPanel = false;  // commands on standard input
    bool help = false;

    SwitcherState state;
    SwitcherTiming timing;
    SwitcherFaults faults;
};

// Parses argv (without the program name). On a usage error returns false
// and sets `error`.
bool ParseSimOptions(const std::vector<std::string>& args, SimOptions* options, std::string* error);

// The --help text: every option with its meaning and default.
std::string SimUsage();

}  // namespace torvane::sim
