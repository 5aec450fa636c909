// Arbitrary lines into torvane-sim's front panel, as its standard input hands
// them over: each gives a command or a reason, a command stays within the
// switcher's ports, and its usual form reads back as the same command.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sim/front_panel_command.h"
#include "sim/posix_front_panel.h"

using namespace torvane::sim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const FrontPanelParse parse = ParseFrontPanelLine(line);
    ShownLine(line);
    const FrontPanelCommand& c = parse.command;
    if (!parse.error.empty()) {
        if (c.kind != FrontPanelCommand::kNothing) std::abort();
        return 0;
    }
    if (c.kind == FrontPanelCommand::kNothing) return 0;
    if ((c.kind == FrontPanelCommand::kRoute && (c.input < 1 || c.input > kPorts)) ||
        ((c.kind == FrontPanelCommand::kRoute || c.kind == FrontPanelCommand::kArc) &&
         (c.output < 1 || c.output > kPorts)) ||
        (c.kind == FrontPanelCommand::kVanish &&
         (c.vanishMs <= 0 || c.vanishMs > kFrontPanelMaxVanishMs)))
        std::abort();
    SwitcherState state;
    ApplyFrontPanelCommand(c, state);
    const FrontPanelParse again = ParseFrontPanelLine(DescribeFrontPanelCommand(c));
    if (!again.error.empty() || again.command.kind != c.kind || again.command.input != c.input ||
        again.command.output != c.output || again.command.on != c.on ||
        again.command.vanishMs != c.vanishMs)
        std::abort();
    return 0;
}
