#include "service/profile_calls.h"

#include "profile/port_names.h"
#include "service/json_text.h"
#include "service/state_json.h"

namespace torvane::service {
namespace {

using nlohmann::json;

json NamesJson(const profile::Profile& p) {
    json inputs = json::array(), outputs = json::array();
    for (int n = 1; n <= profile::kPorts; ++n) {
        inputs.push_back({{"input", n}, {"name", NameOrNull(p.inputNames[n - 1])}});
        outputs.push_back(
            {{"output", profile::OutputLetter(n)}, {"name", NameOrNull(p.outputNames[n - 1])}});
    }
    return {{"ok", true}, {"inputs", inputs}, {"outputs", outputs}};
}

CallOutcome Ok(const json& body) { return {200, Dump(body), {}}; }

CallOutcome Unknown() {
    return FailureOutcome(503, "no-profile",
                          "the switcher is not known yet: names and presets need its identity");
}

}  // namespace

ProfileCalls::ProfileCalls(Operations& ops, SwitcherProfile& profile)
    : ops_(ops), profile_(profile), routing_(ops) {}

ProfileCalls::~ProfileCalls() { *alive_ = false; }

bool ProfileCalls::Handles(ApiAction action) {
    switch (action) {
        case ApiAction::kNames:
        case ApiAction::kSetName:
        case ApiAction::kPresets:
        case ApiAction::kSavePreset:
        case ApiAction::kApplyPreset:
        case ApiAction::kDeletePreset:
            return true;
        default:
            return false;
    }
}

void ProfileCalls::Run(const ApiCall& call, Outcome done) {
    if (!profile_.Known()) return done(Unknown());
    switch (call.action) {
        case ApiAction::kNames:
            return done(Ok(NamesJson(profile_.Current())));
        case ApiAction::kSetName: {
            Status set = profile_.Change([&call](profile::Profile& p) {
                return profile::SetName(p, call.kind, call.port, call.name);
            });
            if (!set) return done(FailureOutcome(set.error()));
            return done(Ok(NamesJson(profile_.Current())));
        }
        case ApiAction::kPresets:
            return done(Ok({{"ok", true}, {"presets", PresetsJson(profile_.Current())}}));
        case ApiAction::kSavePreset:
            return SavePreset(call, done);
        case ApiAction::kApplyPreset:
            return ApplyPreset(call, done);
        case ApiAction::kDeletePreset: {
            Status deleted = profile_.Change(
                [&call](profile::Profile& p) { return profile::DeletePreset(p, call.name); });
            if (!deleted) return done(FailureOutcome(deleted.error()));
            return done(Ok({{"ok", true}, {"presets", PresetsJson(profile_.Current())}}));
        }
        default:
            return done(FailureOutcome(404, "not-a-command", "not a profile call"));
    }
}

// Saved from the routing the switcher confirmed: read again where any of it
// is unknown, never taken from what a page still shows.
void ProfileCalls::SavePreset(const ApiCall& call, Outcome done) {
    routing_.Read(
        [this, call, done, alive = std::weak_ptr<bool>(alive_)](const Result<RoutingState>& state) {
            if (alive.expired()) return;
            if (!state) return done(FailureOutcome(state.error()));
            auto preset = PresetFromState(*state, call.outputs);
            if (!preset) return done(FailureOutcome(preset.error()));
            Status saved = profile_.Change(
                [&](profile::Profile& p) { return profile::SavePreset(p, call.name, *preset); });
            if (!saved) return done(FailureOutcome(saved.error()));
            done(Ok({{"ok", true}, {"preset", call.name}, {"outputs", PresetJson(*preset)}}));
        });
}

// Only what differs is sent, one confirmed command at a time; the answer
// says for each output the preset names what became of it.
void ProfileCalls::ApplyPreset(const ApiCall& call, Outcome done) {
    const auto found = profile_.Current().presets.find(call.name);
    if (found == profile_.Current().presets.end())
        return done(FailureOutcome(400, "bad-input", "no preset named \"" + call.name + "\""));
    const profile::Preset preset = found->second;
    routing_.Read([this, call, preset, done,
                   alive = std::weak_ptr<bool>(alive_)](const Result<RoutingState>& state) {
        if (alive.expired()) return;
        if (!state) return done(FailureOutcome(state.error()));
        // Runs that ended are let go here, never from inside their own report.
        std::erase_if(runs_, [](const auto& run) { return !run->Running(); });
        auto& run = runs_.emplace_back(std::make_unique<PresetRun>(
            routing_, preset, *state, false, [this, call, done, alive](const PresetReport& report) {
                if (alive.expired()) return;
                json outputs = json::object();
                for (const auto& output : report.outputs)
                    outputs[profile::OutputLetter(output.output)] = {
                        {"result", OutcomeWord(output.outcome)}, {"detail", output.detail}};
                json body = {
                    {"ok", !report.AnyFailed()}, {"preset", call.name}, {"outputs", outputs}};
                CallOutcome outcome = Ok(body);
                if (report.AnyFailed()) {
                    // Some of it failed: the reason each output gives, and the
                    // status of a refusal or of the link gone.
                    outcome.status = ops_.AnyLinkOpen() ? 409 : 503;
                    body["error"] = {{"kind", ops_.AnyLinkOpen() ? "refused" : "link-lost"},
                                     {"message", "the preset was applied in part"}};
                    outcome.body = Dump(body);
                }
                done(outcome);
            }));
        run->Start();
    });
}

}  // namespace torvane::service
