#include "app/preset_apply.h"

namespace torvane {
namespace {

std::size_t Slot(int output) { return static_cast<std::size_t>(output - 1); }

std::string StepText(const PresetStep& step) {
    if (step.kind == PresetStep::Kind::kRoute) return "IN" + std::to_string(step.input);
    return std::string("ARC ") + (step.on ? "on" : "off");
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const auto& part : parts) out += (out.empty() ? "" : ", ") + part;
    return out;
}

// What the preset asks of `output`, as steps whether or not they differ.
std::vector<PresetStep> Asked(const profile::OutputSetting& setting, int output) {
    std::vector<PresetStep> asked{{output, PresetStep::Kind::kRoute, setting.input, false}};
    if (setting.arc) asked.push_back({output, PresetStep::Kind::kArc, 0, *setting.arc});
    return asked;
}

}  // namespace

Result<profile::Preset> PresetFromState(const RoutingState& state,
                                        const std::vector<int>& outputs) {
    std::vector<int> chosen = outputs;
    if (chosen.empty())
        for (int output = 1; output <= profile::kPorts; ++output) chosen.push_back(output);
    profile::Preset preset;
    for (int output : chosen) {
        if (output < 1 || output > profile::kPorts) return BadInput("outputs are A to H");
        const std::string label = profile::PortLabel(profile::PortKind::kOutput, output);
        const auto& input = state.input[Slot(output)];
        const auto& arc = state.arc[Slot(output)];
        if (!input) return BadInput("the routing of " + label + " is not known yet");
        if (!arc) return BadInput("the ARC state of " + label + " is not known yet");
        preset.outputs[Slot(output)] = profile::OutputSetting{*input, *arc};
    }
    return preset;
}

std::vector<PresetStep> PlanPreset(const profile::Preset& preset, const RoutingState& state) {
    std::vector<PresetStep> steps;
    for (int output = 1; output <= profile::kPorts; ++output) {
        const auto& setting = preset.outputs[Slot(output)];
        if (!setting) continue;
        if (state.input[Slot(output)] != setting->input)
            steps.push_back({output, PresetStep::Kind::kRoute, setting->input, false});
        if (setting->arc && state.arc[Slot(output)] != *setting->arc)
            steps.push_back({output, PresetStep::Kind::kArc, 0, *setting->arc});
    }
    return steps;
}

bool PresetReport::AnyFailed() const {
    for (const auto& output : outputs)
        if (output.outcome == Outcome::kFailed) return true;
    return false;
}

const char* OutcomeWord(PresetReport::Outcome outcome) {
    switch (outcome) {
        case PresetReport::Outcome::kChanged:
            return "changed";
        case PresetReport::Outcome::kAlreadySo:
            return "already so";
        case PresetReport::Outcome::kWouldChange:
            return "would change";
        case PresetReport::Outcome::kFailed:
            return "failed";
    }
    return "";
}

PresetRun::PresetRun(RoutingCommands& commands, const profile::Preset& preset,
                     const RoutingState& state, bool dryRun, Done done)
    : commands_(commands),
      preset_(preset),
      state_(state),
      steps_(PlanPreset(preset, state)),
      dryRun_(dryRun),
      done_(std::move(done)) {}

PresetRun::~PresetRun() { *alive_ = false; }

void PresetRun::Start() {
    running_ = true;
    at_ = 0;
    if (dryRun_) at_ = steps_.size();
    Next();
}

void PresetRun::Next() {
    if (at_ >= steps_.size()) return Finish();
    const PresetStep step = steps_[at_];
    auto done = [this, alive = alive_, step](const Status& outcome) {
        if (!*alive) return;
        if (outcome)
            confirmed_[Slot(step.output)].push_back(StepText(step));
        else if (failed_[Slot(step.output)].empty())
            failed_[Slot(step.output)] = StepText(step) + ": " + outcome.error().message;
        ++at_;
        Next();
    };
    if (step.kind == PresetStep::Kind::kRoute)
        commands_.Route(step.input, step.output, done);
    else
        commands_.SetArc(step.output, step.on, done);
}

void PresetRun::Finish() {
    using Outcome = PresetReport::Outcome;
    PresetReport report;
    for (int output = 1; output <= profile::kPorts; ++output) {
        const auto& setting = preset_.outputs[Slot(output)];
        if (!setting) continue;
        std::vector<std::string> planned;
        for (const auto& step : steps_)
            if (step.output == output) planned.push_back(StepText(step));
        PresetReport::Output result{output, Outcome::kAlreadySo, ""};
        const auto& confirmed = confirmed_[Slot(output)];
        if (!failed_[Slot(output)].empty()) {
            result.outcome = Outcome::kFailed;
            result.detail = failed_[Slot(output)];
            if (!confirmed.empty()) result.detail += " (" + Joined(confirmed) + " confirmed)";
        } else if (planned.empty()) {
            std::vector<std::string> asked;
            for (const auto& step : Asked(*setting, output)) asked.push_back(StepText(step));
            result.detail = Joined(asked);
        } else {
            result.outcome = dryRun_ ? Outcome::kWouldChange : Outcome::kChanged;
            result.detail = Joined(dryRun_ ? planned : confirmed);
        }
        report.outputs.push_back(result);
    }
    running_ = false;
    Done done = std::move(done_);
    if (done) done(report);
}

}  // namespace torvane
