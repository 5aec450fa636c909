#include "mqtt/bridge_commands.h"

#include <optional>
#include <vector>

namespace torvane::mqtt {
namespace {

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::vector<std::string_view> Levels(std::string_view topic) {
    std::vector<std::string_view> levels;
    for (std::size_t start = 0;;) {
        const auto slash = topic.find('/', start);
        levels.push_back(topic.substr(start, slash - start));
        if (slash == std::string_view::npos) return levels;
        start = slash + 1;
    }
}

std::optional<int> OutputOf(std::string_view level) {
    if (level.size() != 1) return std::nullopt;
    const char c = level[0];
    if (c >= 'A' && c <= 'H') return c - 'A' + 1;
    if (c >= 'a' && c <= 'h') return c - 'a' + 1;
    return std::nullopt;
}

std::optional<bool> SwitchOf(std::string_view payload) {
    for (const char* on : {"on", "true", "1"})
        if (SameIgnoringCase(payload, on)) return true;
    for (const char* off : {"off", "false", "0"})
        if (SameIgnoringCase(payload, off)) return false;
    return std::nullopt;
}

// A number always means that input; otherwise a label matched whole, first
// exactly, then regardless of the case of ASCII letters. Two inputs with
// the same label leave the label ambiguous.
std::variant<int, Refusal> InputOf(std::string_view payload, const profile::Profile& names) {
    if (payload.size() == 1 && payload[0] >= '1' && payload[0] <= '8') return payload[0] - '0';
    for (bool exact : {true, false}) {
        int found = 0, matches = 0;
        for (int n = 1; n <= profile::kPorts; ++n) {
            const std::string label = InputLabel(names, n);
            if (exact ? label == payload : SameIgnoringCase(label, payload)) {
                found = n;
                ++matches;
            }
        }
        if (matches == 1) return found;
        if (matches > 1) return Refusal{"\"" + std::string(payload) + "\" names several inputs"};
    }
    return Refusal{"no input \"" + std::string(payload) + "\": 1 to 8 or an input's name"};
}

}  // namespace

std::string InputLabel(const profile::Profile& names, int input) {
    const std::string& name = names.inputNames[static_cast<std::size_t>(input - 1)];
    return name.empty() ? "Input " + std::to_string(input) : name;
}

std::string OutputLetter(int output) { return std::string(1, static_cast<char>('A' + output - 1)); }

std::variant<BridgeCommand, Refusal> ReadBridgeCommand(std::string_view topic,
                                                       std::string_view payload,
                                                       const profile::Profile& names) {
    if (payload.size() > kMaxPayload)
        return Refusal{"payload of " + std::to_string(payload.size()) + " bytes; at most " +
                       std::to_string(kMaxPayload)};
    const std::string_view value = Trimmed(payload);
    const auto levels = Levels(topic);
    BridgeCommand command;
    if (levels.size() == 4 && levels[0] == "output" && levels[3] == "set" &&
        (levels[2] == "input" || levels[2] == "arc")) {
        const auto output = OutputOf(levels[1]);
        if (!output) return Refusal{"no output \"" + std::string(levels[1]) + "\": A to H"};
        command.output = *output;
        if (levels[2] == "input") {
            auto input = InputOf(value, names);
            if (auto* refused = std::get_if<Refusal>(&input)) return *refused;
            command.kind = BridgeCommand::Kind::kRoute;
            command.input = std::get<int>(input);
            return command;
        }
        command.kind = BridgeCommand::Kind::kArc;
    } else if (levels.size() == 2 && levels[1] == "set" &&
               (levels[0] == "power" || levels[0] == "beep")) {
        command.kind =
            levels[0] == "power" ? BridgeCommand::Kind::kPower : BridgeCommand::Kind::kBeep;
    } else if (levels.size() == 2 && levels[0] == "preset" && levels[1] == "apply") {
        if (names.presets.count(std::string(value)) == 0)
            return Refusal{"no preset \"" + std::string(value) + "\""};
        command.kind = BridgeCommand::Kind::kPreset;
        command.preset = std::string(value);
        return command;
    } else {
        return Refusal{"not a command topic"};
    }
    const auto on = SwitchOf(value);
    if (!on) return Refusal{"\"" + std::string(value) + "\" is not ON or OFF"};
    command.on = *on;
    return command;
}

}  // namespace torvane::mqtt
