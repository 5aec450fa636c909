#include "mqtt/ha_discovery.h"

#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "mqtt/bridge_commands.h"
#include "mqtt/json_text.h"

namespace torvane::mqtt {
namespace {

using nlohmann::json;

// Presets are named freely; their object ids keep the readable part and a
// hash of the whole name, so "Movie night" and "Movie_night" stay apart.
std::string PresetObjectId(const std::string& name) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", hash);
    std::string slug;
    for (char c : NodeId(name)) slug += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return "preset_" + slug.substr(0, 32) + "_" + hex;
}

json Device(const DiscoveryScope& scope, const SwitcherState& state) {
    json device = {{"identifiers", json::array({scope.nodeId})},
                   {"name", "HDMI matrix " + scope.nodeId}};
    const StateValue& type = state.Value(StateItem::kDeviceType);
    if (const int* t = std::get_if<int>(&type))
        device["model"] = *t == 2 ? "8x8 HDBaseT matrix switcher" : "8x8 HDMI matrix switcher";
    else
        device["model"] = "8x8 matrix switcher";
    const StateValue& version = state.Value(StateItem::kVersion);
    if (const auto* v = std::get_if<std::string>(&version)) device["sw_version"] = *v;
    return device;
}

}  // namespace

std::string NodeId(const std::string& id) {
    std::string node = id;
    for (char& c : node)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
              c == '_' || c == '-'))
            c = '_';
    return node;
}

std::string PresetButtonTopic(const DiscoveryScope& scope, const std::string& name) {
    return scope.discoveryPrefix + "/button/" + scope.nodeId + "/" + PresetObjectId(name) +
           "/config";
}

std::vector<RetainedConfig> DiscoveryConfigs(const DiscoveryScope& scope,
                                             const profile::Profile& names,
                                             const SwitcherState& state) {
    const json device = Device(scope, state);
    const json availability = json::array({{{"topic", scope.base + "/availability"},
                                            {"payload_available", "online"},
                                            {"payload_not_available", "offline"}}});
    std::vector<RetainedConfig> configs;
    auto add = [&](const std::string& component, const std::string& objectId, json config) {
        config["unique_id"] = scope.nodeId + "_" + objectId;
        config["availability"] = availability;
        config["device"] = device;
        configs.push_back({scope.discoveryPrefix + "/" + component + "/" + scope.nodeId + "/" +
                               objectId + "/config",
                           Dump(config)});
    };
    auto onOff = [](json config) {
        config["payload_on"] = "ON";
        config["payload_off"] = "OFF";
        return config;
    };

    json inputLabels = json::array();
    for (int n = 1; n <= profile::kPorts; ++n) inputLabels.push_back(InputLabel(names, n));
    for (int n = 1; n <= profile::kPorts; ++n) {
        const std::string letter = OutputLetter(n);
        const std::string lower(1, static_cast<char>('a' + n - 1));
        const std::string& name = names.outputNames[static_cast<std::size_t>(n - 1)];
        const std::string output = name.empty() ? "Output " + letter : name;
        const std::string topic = scope.base + "/output/" + letter;
        add("select", "output_" + lower,
            {{"name", output},
             {"state_topic", topic + "/input"},
             {"command_topic", topic + "/input/set"},
             {"options", inputLabels},
             {"icon", "mdi:video-input-hdmi"}});
        add("switch", "output_" + lower + "_arc",
            onOff({{"name", output + " ARC"},
                   {"state_topic", topic + "/arc"},
                   {"command_topic", topic + "/arc/set"},
                   {"icon", "mdi:speaker"}}));
        add("binary_sensor", "output_" + lower + "_connected",
            onOff({{"name", output + " display"},
                   {"state_topic", topic + "/connected"},
                   {"device_class", "connectivity"}}));
    }
    for (int n = 1; n <= profile::kPorts; ++n)
        add("binary_sensor", "input_" + std::to_string(n) + "_connected",
            onOff({{"name", InputLabel(names, n) + " source"},
                   {"state_topic", scope.base + "/input/" + std::to_string(n) + "/connected"},
                   {"device_class", "connectivity"}}));
    add("switch", "power",
        onOff({{"name", "Power"},
               {"state_topic", scope.base + "/power"},
               {"command_topic", scope.base + "/power/set"},
               {"icon", "mdi:power"}}));
    add("switch", "beep",
        onOff({{"name", "Beep"},
               {"state_topic", scope.base + "/beep"},
               {"command_topic", scope.base + "/beep/set"},
               {"icon", "mdi:volume-high"}}));
    for (const auto& [name, preset] : names.presets) {
        json config = {{"name", "Preset " + name},
                       {"command_topic", scope.base + "/preset/apply"},
                       {"payload_press", name},
                       {"icon", "mdi:playlist-play"}};
        const std::string objectId = PresetObjectId(name);
        add("button", objectId, config);
        configs.back().topic = PresetButtonTopic(scope, name);
    }
    return configs;
}

}  // namespace torvane::mqtt
