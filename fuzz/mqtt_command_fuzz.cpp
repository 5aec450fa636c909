// Arbitrary MQTT messages read as bridge commands: the first line is the
// topic under the switcher's own, the rest the payload. Every message is
// either a command whose ports are in range and whose preset exists, or a
// refusal with a reason.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "mqtt/bridge_commands.h"

using namespace torvane;
using namespace torvane::mqtt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto newline = bytes.find('\n');
    const std::string topic = bytes.substr(0, newline);
    const std::string payload = newline == std::string::npos ? "" : bytes.substr(newline + 1);
    profile::Profile names;
    names.inputNames[0] = "Apple TV";
    names.inputNames[2] = "apple tv";
    names.inputNames[4] = "Input 6";
    names.presets["Movie night"] = {};
    const auto read = ReadBridgeCommand(topic, payload, names);
    if (const auto* refused = std::get_if<Refusal>(&read)) {
        if (refused->reason.empty()) std::abort();
        return 0;
    }
    const BridgeCommand& command = std::get<BridgeCommand>(read);
    using Kind = BridgeCommand::Kind;
    const bool hasOutput = command.kind == Kind::kRoute || command.kind == Kind::kArc;
    if (hasOutput && (command.output < 1 || command.output > 8)) std::abort();
    if (command.kind == Kind::kRoute && (command.input < 1 || command.input > 8)) std::abort();
    if (command.kind == Kind::kPreset && names.presets.count(command.preset) == 0) std::abort();
    if (payload.size() > kMaxPayload) std::abort();
    return 0;
}
