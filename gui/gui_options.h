#pragma once
// The command line of `torvane`.

#include <string>
#include <vector>

namespace torvane::gui {

struct GuiOptions {
    bool help = false;
    // Start a simulated switcher inside the program and offer it for connecting.
    bool demo = false;
    // With the demo: its front panel reads command lines on standard input.
    bool frontPanel = false;
    // Serial devices to list besides those the machine reports.
    std::vector<std::string> ports;
    // Write the windows' pictures here and exit (with --demo).
    std::string screenshots;
};

// False with `error` set for an unknown option or a missing value.
bool ParseGuiOptions(const std::vector<std::string>& args, GuiOptions* options, std::string* error);
const char* GuiUsage();

}  // namespace torvane::gui
