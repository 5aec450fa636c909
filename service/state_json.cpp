#include "service/state_json.h"

#include <nlohmann/json.hpp>

#include "service/json_text.h"

namespace torvane::service {
namespace {

using nlohmann::json;

json Value(const StateValue& value) {
    if (const bool* b = std::get_if<bool>(&value)) return *b;
    if (const int* n = std::get_if<int>(&value)) return *n;
    if (const auto* s = std::get_if<std::string>(&value)) return *s;
    return nullptr;
}

struct Item {
    const char* what;  // the change's name
    const char* key;   // the new value's key
    bool output;       // indexed by output (else by input, when indexed)
};

Item ItemOf(StateItem what) {
    switch (what) {
        case StateItem::kPower:
            return {"power", "on", false};
        case StateItem::kBeep:
            return {"beep", "on", false};
        case StateItem::kInputConnection:
            return {"connection", "connected", false};
        case StateItem::kOutputConnection:
            return {"connection", "connected", true};
        case StateItem::kRoute:
            return {"route", "input", true};
        case StateItem::kArc:
            return {"arc", "on", true};
        case StateItem::kEdid:
            return {"edid", "code", false};
        case StateItem::kDeviceType:
            return {"device", "type", false};
        case StateItem::kVersion:
            return {"version", "version", false};
        case StateItem::kDeviceText:
            return {"text", "text", false};
    }
    return {"", "", false};
}

}  // namespace

json PresetJson(const profile::Preset& preset) {
    json outputs = json::object();
    for (int output = 1; output <= profile::kPorts; ++output) {
        const auto& setting = preset.outputs[output - 1];
        if (!setting) continue;
        json one = {{"input", setting->input}};
        if (setting->arc) one["arc"] = *setting->arc;
        outputs[OutputLetter(output)] = one;
    }
    return outputs;
}

json PresetsJson(const profile::Profile& profile) {
    json presets = json::array();
    for (const auto& [name, preset] : profile.presets)
        presets.push_back({{"name", name}, {"outputs", PresetJson(preset)}});
    return presets;
}

std::string LinkJson(const LinkView& link) {
    json told = {{"link", link.up ? "up" : "down"}};
    if (!link.up && !link.problem.empty()) told["problem"] = link.problem;
    if (const ConnectionSupervisor* s = link.supervisor) {
        const LinkState state = s->State();
        told["state"] = LinkStateName(state);
        if (state == LinkState::kLost) told["reason"] = s->LossReason();
        if (state == LinkState::kLost && s->AttemptScheduled())
            told["retry_in_ms"] = s->NextAttemptAt() - link.now;
        if (state == LinkState::kReconnecting) told["attempt"] = s->Attempts();
    }
    return Dump(told);
}

std::string StateJson(const SwitcherState& s, const LinkView& link,
                      const profile::Profile* profile) {
    using I = StateItem;
    json state = json::parse(LinkJson(link));
    state["ok"] = true;
    state["power"] = Value(s.Value(I::kPower));
    state["beep"] = Value(s.Value(I::kBeep));
    json inputs = json::array(), outputs = json::array();
    for (int n = 1; n <= SwitcherState::kPorts; ++n) {
        inputs.push_back({{"input", n},
                          {"name", profile ? NameOrNull(profile->inputNames[n - 1]) : json()},
                          {"connected", Value(s.Value(I::kInputConnection, n))},
                          {"edid", Value(s.Value(I::kEdid, n))}});
        outputs.push_back({{"output", OutputLetter(n)},
                           {"name", profile ? NameOrNull(profile->outputNames[n - 1]) : json()},
                           {"connected", Value(s.Value(I::kOutputConnection, n))},
                           {"input", Value(s.Value(I::kRoute, n))},
                           {"arc", Value(s.Value(I::kArc, n))}});
    }
    state["inputs"] = inputs;
    state["outputs"] = outputs;
    state["device"] = {{"type", Value(s.Value(I::kDeviceType))},
                       {"version", Value(s.Value(I::kVersion))},
                       {"text", Value(s.Value(I::kDeviceText))}};
    // Presets are kept only for a switcher whose profile is known.
    if (profile) state["presets"] = PresetsJson(*profile);
    return Dump(state);
}

std::string ChangeJson(const StateChange& c) {
    const Item item = ItemOf(c.what);
    json told = {{"what", item.what}};
    if (SwitcherState::HasIndex(c.what)) {
        if (item.output)
            told["output"] = OutputLetter(c.index);
        else
            told["input"] = c.index;
    }
    told[item.key] = Value(c.after);
    told["was"] = Value(c.before);
    told["cause"] = c.cause == ChangeCause::kThisProgram ? "this program" : "elsewhere";
    return Dump(told);
}

}  // namespace torvane::service
