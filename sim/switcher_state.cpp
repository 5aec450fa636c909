#include "sim/switcher_state.h"

namespace torvane::sim {

void SwitcherState::FactoryReset() {
    const SwitcherState defaults;
    routing = defaults.routing;
    arcOn = defaults.arcOn;
    edidCode = defaults.edidCode;
    powerOn = true;
    beepOn = true;
}

std::array<char, 32> SwitcherState::MakeDeviceText(const std::string& text) {
    std::array<char, 32> out;
    out.fill(' ');
    for (std::size_t i = 0; i < out.size() && i < text.size(); ++i) out[i] = text[i];
    return out;
}

}  // namespace torvane::sim
