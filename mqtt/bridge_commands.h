#pragma once
// Commands that arrive as MQTT messages, read from the topic under the
// switcher's own (output/B/input/set, power/set, preset/apply, ...) and the
// payload alone. Payloads come from anyone who may publish on the broker:
// anything that is not exactly a command is refused with the reason, and
// nothing reaches the switcher for it.

#include <functional>
#include <string>
#include <string_view>
#include <variant>

#include "profile/profile.h"

namespace torvane::mqtt {

struct BridgeCommand {
    enum class Kind { kRoute, kArc, kPower, kBeep, kPreset };
    Kind kind = Kind::kRoute;
    int output = 0;  // 1 to 8 for A to H
    int input = 0;   // 1 to 8
    bool on = false;
    std::string preset;

    bool operator==(const BridgeCommand&) const = default;
};

struct Refusal {
    std::string reason;
};

// How a command ended: done, or the kind of failure ("refused",
// "timed-out", "link-down", "busy", ...) and why.
struct CommandOutcome {
    bool ok = true;
    std::string kind;
    std::string message;
};

// The one way commands reach the switcher, shared with the service's other
// clients: a route, an ARC, power or beep command, ended once.
class CommandPath {
  public:
    using Done = std::function<void(const CommandOutcome& outcome)>;
    virtual ~CommandPath() = default;
    virtual void Run(const BridgeCommand& command, Done done) = 0;
};

// Longest payload taken; a longer one is refused unread.
inline constexpr std::size_t kMaxPayload = 256;

// `topic` is what follows PREFIX/ID/. Inputs may be given by number or by
// the label the bridge publishes for them (their name, else "Input N");
// switches by ON/OFF, on/off, true/false or 1/0.
std::variant<BridgeCommand, Refusal> ReadBridgeCommand(std::string_view topic,
                                                       std::string_view payload,
                                                       const profile::Profile& names);

// The label input `input` (1 to 8) is published under: its name, else
// "Input N".
std::string InputLabel(const profile::Profile& names, int input);

// "A" to "H" for outputs 1 to 8.
std::string OutputLetter(int output);

}  // namespace torvane::mqtt
