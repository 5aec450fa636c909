#include "app/connection_labels.h"

#include "res/resource_ids.h"

namespace torvane {
namespace {

std::string ConnectionText(bool input, int n, bool connected) {
    std::string text =
        input ? "HDMI IN" + std::to_string(n) : std::string("HDMI OUT") + char('A' + n - 1);
    return text + (connected ? ": Connect" : ": Disconnect");
}

}  // namespace

void ConnectionLabels::Clear() {
    for (std::string& state : states_) state.clear();
    for (int k = 0; k < 8; ++k) {
        table_.SetText(res::kFirstInputLabel + k, "");
        table_.SetText(res::kFirstOutputLabel + k, "");
    }
}

void ConnectionLabels::Show(bool input, int n, bool connected) {
    const int index = (input ? 0 : 8) + n - 1;
    states_[static_cast<std::size_t>(index)] = ConnectionText(input, n, connected);
    ShowLabel(index);
}

void ConnectionLabels::ShowNames(const PortNames& inputs, const PortNames& outputs) {
    inputNames_ = inputs;
    outputNames_ = outputs;
    for (int index = 0; index < 16; ++index) ShowLabel(index);
}

// The state first, so a label too narrow for a long name still shows it;
// the tooltip holds the whole text.
void ConnectionLabels::ShowLabel(int index) {
    const bool input = index < 8;
    const int k = index % 8;
    const int label = (input ? res::kFirstInputLabel : res::kFirstOutputLabel) + k;
    const std::string& state = states_[static_cast<std::size_t>(index)];
    const std::string& name = (input ? inputNames_ : outputNames_)[static_cast<std::size_t>(k)];
    const std::string text = state.empty() || name.empty() ? state : state + " \u00B7 " + name;
    table_.SetText(label, text);
    table_.SetTooltip(label, name.empty() ? "" : text);
}

}  // namespace torvane
