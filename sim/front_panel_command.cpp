#include "sim/front_panel_command.h"

#include <algorithm>
#include <vector>

namespace torvane::sim {
namespace {

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
        std::size_t end = at;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
        if (end > at) words.push_back(line.substr(at, end - at));
        at = end;
    }
    return words;
}

std::string Lower(std::string_view word) {
    std::string lower(word);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool Input(std::string_view word, int* input) {
    if (word.size() != 1 || word[0] < '1' || word[0] > '8') return false;
    *input = word[0] - '0';
    return true;
}

bool Output(std::string_view word, int* output) {
    if (word.size() != 1) return false;
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
    if (c >= 'A' && c <= 'H') {
        *output = c - 'A' + 1;
        return true;
    }
    return Input(word, output);
}

bool OnOff(std::string_view word, bool* on) {
    const std::string lower = Lower(word);
    if (lower != "on" && lower != "off") return false;
    *on = lower == "on";
    return true;
}

// Seconds with at most three decimals ("2", "0.5"), as milliseconds.
bool Seconds(std::string_view word, int* ms) {
    const auto dot = word.find('.');
    const std::string_view whole = word.substr(0, dot);
    const std::string_view fraction =
        dot == std::string_view::npos ? std::string_view() : word.substr(dot + 1);
    auto digits = [](std::string_view s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (whole.empty() || whole.size() > 4 || !digits(whole) || fraction.size() > 3 ||
        !digits(fraction) || (dot != std::string_view::npos && fraction.empty()))
        return false;
    long value = std::stol(std::string(whole)) * 1000;
    long scale = 100;
    for (char c : fraction) {
        value += (c - '0') * scale;
        scale /= 10;
    }
    if (value <= 0 || value > kFrontPanelMaxVanishMs) return false;
    *ms = static_cast<int>(value);
    return true;
}

FrontPanelParse Error(std::string message) { return {{}, std::move(message)}; }

}  // namespace

FrontPanelParse ParseFrontPanelLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kFrontPanelMaxLine)
        return Error("line longer than " + std::to_string(kFrontPanelMaxLine) + " characters");
    const auto words = Words(line);
    if (words.empty()) return {};
    const std::string verb = Lower(words[0]);
    FrontPanelCommand c;
    auto expect = [&](std::size_t count, const char* usage) {
        return words.size() == count ? std::string() : std::string("usage: ") + usage;
    };
    if (verb == "route") {
        if (auto e = expect(3, "route INPUT OUTPUT"); !e.empty()) return Error(e);
        if (!Input(words[1], &c.input)) return Error("INPUT must be 1 to 8");
        if (!Output(words[2], &c.output)) return Error("OUTPUT must be A to H or 1 to 8");
        c.kind = FrontPanelCommand::kRoute;
    } else if (verb == "arc") {
        if (auto e = expect(3, "arc OUTPUT on|off"); !e.empty()) return Error(e);
        if (!Output(words[1], &c.output)) return Error("OUTPUT must be A to H or 1 to 8");
        if (!OnOff(words[2], &c.on)) return Error("ARC must be on or off");
        c.kind = FrontPanelCommand::kArc;
    } else if (verb == "power" || verb == "beep") {
        if (auto e = expect(2, verb == "power" ? "power on|off" : "beep on|off"); !e.empty())
            return Error(e);
        if (!OnOff(words[1], &c.on)) return Error(verb + " must be on or off");
        c.kind = verb == "power" ? FrontPanelCommand::kPower : FrontPanelCommand::kBeep;
    } else if (verb == "vanish") {
        if (auto e = expect(2, "vanish SECONDS"); !e.empty()) return Error(e);
        if (!Seconds(words[1], &c.vanishMs))
            return Error("SECONDS must be more than 0 and at most 3600, e.g. 2 or 0.5");
        c.kind = FrontPanelCommand::kVanish;
    } else {
        return Error("unknown command; the front panel takes route, arc, power, beep, vanish");
    }
    return {c, {}};
}

void ApplyFrontPanelCommand(const FrontPanelCommand& command, SwitcherState& state) {
    const auto output = static_cast<std::size_t>(command.output - 1);
    switch (command.kind) {
        case FrontPanelCommand::kRoute:
            state.routing[output] = static_cast<std::uint8_t>(command.input);
            break;
        case FrontPanelCommand::kArc:
            state.arcOn[output] = command.on;
            break;
        case FrontPanelCommand::kPower:
            state.powerOn = command.on;
            break;
        case FrontPanelCommand::kBeep:
            state.beepOn = command.on;
            break;
        case FrontPanelCommand::kVanish:
        case FrontPanelCommand::kNothing:
            break;
    }
}

std::string DescribeFrontPanelCommand(const FrontPanelCommand& command) {
    const std::string onOff = command.on ? "on" : "off";
    const std::string output(1, static_cast<char>('A' + command.output - 1));
    switch (command.kind) {
        case FrontPanelCommand::kRoute:
            return "route " + std::to_string(command.input) + " " + output;
        case FrontPanelCommand::kArc:
            return "arc " + output + " " + onOff;
        case FrontPanelCommand::kPower:
            return "power " + onOff;
        case FrontPanelCommand::kBeep:
            return "beep " + onOff;
        case FrontPanelCommand::kVanish: {
            std::string ms = std::to_string(command.vanishMs % 1000);
            ms.insert(0, 3 - ms.size(), '0');
            while (!ms.empty() && ms.back() == '0') ms.pop_back();
            return "vanish " + std::to_string(command.vanishMs / 1000) +
                   (ms.empty() ? "" : "." + ms);
        }
        case FrontPanelCommand::kNothing:
            break;
    }
    return "";
}

std::string FrontPanelUsage() {
    return "  route INPUT OUTPUT          show input 1-8 on output A-H (or 1-8)\n"
           "  arc OUTPUT on|off           ARC of an output\n"
           "  power on|off                the power flag\n"
           "  beep on|off                 the beep\n"
           "  vanish SECONDS              close the TCP port, its connections and the serial\n"
           "                              line, and come back after SECONDS (up to 3600, e.g.\n"
           "                              0.5) on the same TCP port and --link path\n";
}

}  // namespace torvane::sim
