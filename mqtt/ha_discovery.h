#pragma once
// Home Assistant's MQTT discovery: one retained config per entity under the
// discovery prefix, so the switcher appears as a device with no hand-written
// configuration. Per output a select of the inputs (by their labels) and an
// ARC switch; power and beep switches; a connectivity sensor per input and
// output; a button per preset. Every entity is available only while the
// bridge's availability topic says online.

#include <string>
#include <vector>

#include "app/switcher_state.h"
#include "profile/profile.h"

namespace torvane::mqtt {

struct DiscoveryScope {
    std::string discoveryPrefix;  // "homeassistant"
    std::string base;             // PREFIX/ID, the switcher's topics
    std::string nodeId;           // the switcher's ID as Home Assistant takes it
};

struct RetainedConfig {
    std::string topic;
    std::string payload;  // JSON; "" takes the entity away
};

// The configs of every entity, the device block filled from what the
// switcher confirmed of its identity.
std::vector<RetainedConfig> DiscoveryConfigs(const DiscoveryScope& scope,
                                             const profile::Profile& names,
                                             const SwitcherState& state);

// The config topic of the button for preset `name`.
std::string PresetButtonTopic(const DiscoveryScope& scope, const std::string& name);

// `id` with every character Home Assistant does not take in an id ('A' to
// 'Z', 'a' to 'z', '0' to '9', '_', '-') written as '_'.
std::string NodeId(const std::string& id);

}  // namespace torvane::mqtt
