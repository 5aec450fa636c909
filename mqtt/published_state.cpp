#include "mqtt/published_state.h"

#include <nlohmann/json.hpp>

#include "cli/watch_lines.h"
#include "mqtt/bridge_commands.h"
#include "mqtt/json_text.h"

namespace torvane::mqtt {
namespace {

const char* OnOff(bool on) { return on ? "ON" : "OFF"; }

}  // namespace

std::optional<TopicValue> ItemTopic(const SwitcherState& state, StateItem what, int index,
                                    const profile::Profile& names) {
    const StateValue& value = state.Value(what, index);
    const bool* flag = std::get_if<bool>(&value);
    const int* number = std::get_if<int>(&value);
    switch (what) {
        case StateItem::kPower:
            if (flag) return TopicValue{"power", OnOff(*flag)};
            break;
        case StateItem::kBeep:
            if (flag) return TopicValue{"beep", OnOff(*flag)};
            break;
        case StateItem::kInputConnection:
            if (flag)
                return TopicValue{"input/" + std::to_string(index) + "/connected", OnOff(*flag)};
            break;
        case StateItem::kOutputConnection:
            if (flag)
                return TopicValue{"output/" + OutputLetter(index) + "/connected", OnOff(*flag)};
            break;
        case StateItem::kRoute:
            if (number && *number >= 1 && *number <= profile::kPorts)
                return TopicValue{"output/" + OutputLetter(index) + "/input",
                                  InputLabel(names, *number)};
            break;
        case StateItem::kArc:
            if (flag) return TopicValue{"output/" + OutputLetter(index) + "/arc", OnOff(*flag)};
            break;
        default:
            break;
    }
    return std::nullopt;
}

std::vector<TopicValue> ItemTopics(const SwitcherState& state, const profile::Profile& names) {
    std::vector<TopicValue> topics;
    auto add = [&](StateItem what, int index) {
        if (auto topic = ItemTopic(state, what, index, names)) topics.push_back(std::move(*topic));
    };
    add(StateItem::kPower, 0);
    add(StateItem::kBeep, 0);
    for (int n = 1; n <= profile::kPorts; ++n) {
        add(StateItem::kInputConnection, n);
        add(StateItem::kOutputConnection, n);
        add(StateItem::kRoute, n);
        add(StateItem::kArc, n);
    }
    return topics;
}

std::string StateDocument(const SwitcherState& state, const profile::Profile& names, bool linkUp) {
    // The same document torvanectl watch --json starts with, so scripts read
    // one shape wherever they take the state from.
    nlohmann::json document = nlohmann::json::parse(cli::StateLines(state, true), nullptr, false);
    if (!document.is_object()) document = nlohmann::json::object();
    document.erase("event");
    document["link"] = linkUp ? "up" : "down";
    for (int n = 1; n <= profile::kPorts; ++n) {
        const auto at = static_cast<std::size_t>(n - 1);
        document["inputs"][std::to_string(n)]["name"] = names.inputNames[at];
        document["outputs"][OutputLetter(n)]["name"] = names.outputNames[at];
    }
    return Dump(document);
}

}  // namespace torvane::mqtt
