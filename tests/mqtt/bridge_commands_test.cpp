// Commands read from MQTT topics and payloads: what is exactly a command is
// taken, everything else refused with its reason before it reaches the
// switcher.

#include "mqtt/bridge_commands.h"

#include <gtest/gtest.h>

namespace torvane::mqtt {
namespace {

using Kind = BridgeCommand::Kind;

profile::Profile Names() {
    profile::Profile p;
    p.inputNames[0] = "Apple TV";
    p.inputNames[1] = "Input 3";  // a name that reads like another input's label
    p.inputNames[4] = "Cam";
    p.inputNames[5] = "cam";
    p.presets["Movie night"] = {};
    return p;
}

struct Taken {
    const char* topic;
    const char* payload;
    BridgeCommand command;
};

TEST(BridgeCommands, TakesCommandsByNumberLabelOrSwitchWord) {
    const Taken cases[] = {
        {"output/B/input/set", "3", {Kind::kRoute, 2, 3, false, {}}},
        {"output/b/input/set", " 8\n", {Kind::kRoute, 2, 8, false, {}}},
        {"output/H/input/set", "Apple TV", {Kind::kRoute, 8, 1, false, {}}},
        {"output/A/input/set", "apple tv", {Kind::kRoute, 1, 1, false, {}}},
        {"output/A/input/set", "Input 4", {Kind::kRoute, 1, 4, false, {}}},
        {"output/A/input/set", "Cam", {Kind::kRoute, 1, 5, false, {}}},
        {"output/A/arc/set", "ON", {Kind::kArc, 1, 0, true, {}}},
        {"output/C/arc/set", "false", {Kind::kArc, 3, 0, false, {}}},
        {"power/set", "off", {Kind::kPower, 0, 0, false, {}}},
        {"beep/set", "1", {Kind::kBeep, 0, 0, true, {}}},
        {"preset/apply", "Movie night", {Kind::kPreset, 0, 0, false, "Movie night"}},
    };
    for (const auto& c : cases) {
        const auto read = ReadBridgeCommand(c.topic, c.payload, Names());
        ASSERT_TRUE(std::holds_alternative<BridgeCommand>(read))
            << c.topic << " " << c.payload << ": " << std::get<Refusal>(read).reason;
        EXPECT_EQ(std::get<BridgeCommand>(read), c.command) << c.topic << " " << c.payload;
    }
}

TEST(BridgeCommands, RefusesAnythingElseWithTheReason) {
    const std::pair<std::pair<const char*, std::string>, const char*> cases[] = {
        {{"output/B/input/set", "9"}, "no input \"9\""},
        {{"output/B/input/set", ""}, "no input \"\""},
        {{"output/B/input/set", "Input 3"}, "names several inputs"},
        {{"output/B/input/set", "CAM"}, "names several inputs"},
        {{"output/I/input/set", "1"}, "no output \"I\""},
        {{"output/AB/arc/set", "on"}, "no output \"AB\""},
        {{"output/B/arc/set", "yes please"}, "is not ON or OFF"},
        {{"power/set", std::string("on\0", 3)}, "is not ON or OFF"},
        {{"preset/apply", "movie night"}, "no preset"},
        {{"output/B/input", "1"}, "not a command topic"},
        {{"power/set/extra", "on"}, "not a command topic"},
        {{"", "on"}, "not a command topic"},
        {{"beep/set", std::string(kMaxPayload + 1, '1')}, "at most 256"},
    };
    for (const auto& [message, reason] : cases) {
        const auto read = ReadBridgeCommand(message.first, message.second, Names());
        ASSERT_TRUE(std::holds_alternative<Refusal>(read))
            << message.first << " " << message.second;
        EXPECT_NE(std::get<Refusal>(read).reason.find(reason), std::string::npos)
            << std::get<Refusal>(read).reason;
    }
}

}  // namespace
}  // namespace torvane::mqtt
