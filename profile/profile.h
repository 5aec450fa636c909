#pragma once
// What the operator keeps about one switcher: a name for each input and
// output, and presets (the routing of some or all outputs, optionally with
// their ARC state, saved under a name). Plain values; every change goes
// through the functions below, which refuse what may not be stored.

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace torvane::profile {

inline constexpr int kPorts = 8;  // inputs 1 to 8, outputs A to H
// Longest name of an input, an output or a preset, in characters (Unicode
// code points, so "Salle à manger" counts 14).
inline constexpr std::size_t kMaxNameLength = 32;

enum class PortKind { kInput, kOutput };

struct OutputSetting {
    int input = 1;            // 1 to 8
    std::optional<bool> arc;  // absent: the preset leaves ARC as it is
    bool operator==(const OutputSetting&) const = default;
};

struct Preset {
    // Index 0 is output A; an empty entry leaves that output as it is.
    std::array<std::optional<OutputSetting>, kPorts> outputs;
    bool operator==(const Preset&) const = default;
};

struct Profile {
    std::array<std::string, kPorts> inputNames;   // "" for no name
    std::array<std::string, kPorts> outputNames;  // index 0 is output A
    std::map<std::string, Preset> presets;
    bool operator==(const Profile&) const = default;
};

// Gives input `port` (1 to 8) or output `port` (1 to 8 for A to H) a name, or
// takes it away with "". Refused: a name longer than kMaxNameLength, one that
// is not UTF-8, or one with control characters (tabs and newlines included).
Status SetName(Profile& profile, PortKind kind, int port, std::string_view name);

// Saves `preset` under `name` (replacing one of that name). Refused: an empty
// or invalid name as for SetName, a preset that sets no output, an input
// outside 1 to 8.
Status SavePreset(Profile& profile, std::string_view name, const Preset& preset);

// Takes the preset `name` away; refused when there is none of that name.
Status DeletePreset(Profile& profile, std::string_view name);

// Gives the preset `from` the name `to`; refused when there is no `from`, or
// `to` may not be stored or names another preset already.
Status RenamePreset(Profile& profile, std::string_view from, std::string_view to);

// The preset as lines, one per output it sets: "OUTPUT A: IN3, ARC on".
std::string DescribePreset(const Preset& preset);

// The reason `name` may not be stored, or "" when it may. `what` names it in
// the message ("input 3's name", "preset name").
std::string NameProblem(std::string_view name, std::string_view what, bool mayBeEmpty);
std::string PresetProblem(const Preset& preset);

// Characters (code points) in `text`, or nothing when it is not valid UTF-8.
std::optional<std::size_t> Utf8Length(std::string_view text);

// "input 3" or "output B".
std::string PortLabel(PortKind kind, int port);

}  // namespace torvane::profile
