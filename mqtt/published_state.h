#pragma once
// The switcher's state as the bridge publishes it: one retained topic per
// value Home Assistant's entities follow (ON/OFF switches, the label of the
// input an output shows), and the whole state as one JSON document with the
// operator's names. A value the switcher has not confirmed has no topic
// message and is null in the document.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/switcher_state.h"
#include "profile/profile.h"

namespace torvane::mqtt {

// A topic under PREFIX/ID/ and its payload.
using TopicValue = std::pair<std::string, std::string>;

// The topic and payload of one state value, or nothing while it is unknown
// or has no topic of its own (the EDID codes and identity live in `state`).
std::optional<TopicValue> ItemTopic(const SwitcherState& state, StateItem what, int index,
                                    const profile::Profile& names);

// Every value's topic that is known.
std::vector<TopicValue> ItemTopics(const SwitcherState& state, const profile::Profile& names);

// The `state` document: power, beep, inputs and outputs with their names,
// the device, and whether the switcher's link is up.
std::string StateDocument(const SwitcherState& state, const profile::Profile& names, bool linkUp);

}  // namespace torvane::mqtt
