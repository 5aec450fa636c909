#pragma once
// The switcher's state as the API and its events tell it: every value the
// switcher confirmed (null while unknown), the link's state, and the names
// and presets of the switcher's profile; and each change of the state with
// its old and new value and its cause.

#include <nlohmann/json.hpp>
#include <string>

#include "app/connection_supervisor.h"
#include "app/switcher_state.h"
#include "profile/profile.h"

namespace torvane::service {

// How the link is now: up or down, the supervisor's state, why it was lost
// and when the next attempt is.
struct LinkView {
    bool up = false;
    std::string problem;  // why it is down, when it is
    const ConnectionSupervisor* supervisor = nullptr;
    TimeMs now = 0;
};

std::string LinkJson(const LinkView& link);

// GET /api/state and the "state" event. `profile` may be null: no switcher
// known, so no names and no presets.
std::string StateJson(const SwitcherState& state, const LinkView& link,
                      const profile::Profile* profile);

// A preset's outputs ({"A":{"input":3,"arc":true}}), and every preset with its name.
nlohmann::json PresetJson(const profile::Preset& preset);
nlohmann::json PresetsJson(const profile::Profile& profile);

// A "change" event: {"what":"route","output":"B","input":3,"was":1,"cause":"elsewhere"}.
std::string ChangeJson(const StateChange& change);

}  // namespace torvane::service
