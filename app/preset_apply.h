#pragma once
// Applying a preset: only what differs from the switcher's confirmed state
// is sent, one command at a time, each confirmed (or failed) before the
// next; a failed command does not stop the rest. The report says for each
// output the preset names whether it changed, was already so, or failed and
// why; nothing counts as applied unless the switcher confirmed it.

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/result.h"
#include "profile/profile.h"

namespace torvane {

// What applying a preset needs of the link: a route or an ARC change, each
// ending confirmed or with the reason it failed.
class RoutingCommands {
  public:
    using Done = std::function<void(const Status& outcome)>;
    virtual ~RoutingCommands() = default;
    virtual void Route(int input, int output, Done done) = 0;
    virtual void SetArc(int output, bool on, Done done) = 0;
};

// The routing and ARC the switcher confirmed, output A first; nothing where
// it has not said.
struct RoutingState {
    std::array<std::optional<int>, profile::kPorts> input;
    std::array<std::optional<bool>, profile::kPorts> arc;
};

// A preset of the confirmed routing and ARC state of `outputs` (1 to 8;
// empty: all). Refused while any of it is not known.
Result<profile::Preset> PresetFromState(const RoutingState& state, const std::vector<int>& outputs);

// One command of a preset's application.
struct PresetStep {
    int output = 1;  // 1 to 8
    enum class Kind { kRoute, kArc } kind = Kind::kRoute;
    int input = 1;    // kRoute
    bool on = false;  // kArc
    bool operator==(const PresetStep&) const = default;
};

// The commands that make `state` what `preset` asks: a route where the
// output shows another input or one not confirmed, an ARC change likewise;
// in output order, each output's route before its ARC.
std::vector<PresetStep> PlanPreset(const profile::Preset& preset, const RoutingState& state);

struct PresetReport {
    enum class Outcome { kChanged, kAlreadySo, kWouldChange, kFailed };
    struct Output {
        int output = 1;
        Outcome outcome = Outcome::kAlreadySo;
        // What was done or would be ("IN3, ARC on"), or why it failed.
        std::string detail;
    };
    std::vector<Output> outputs;  // the outputs the preset names, A first
    bool AnyFailed() const;
};

const char* OutcomeWord(PresetReport::Outcome outcome);

// Applies a preset through `commands`; `done` runs once with the report. A
// dry run sends nothing and reports what would change.
class PresetRun {
  public:
    using Done = std::function<void(const PresetReport& report)>;

    PresetRun(RoutingCommands& commands, const profile::Preset& preset, const RoutingState& state,
              bool dryRun, Done done);
    ~PresetRun();
    PresetRun(const PresetRun&) = delete;
    PresetRun& operator=(const PresetRun&) = delete;
    // Sends the first command (or reports at once when nothing differs).
    void Start();
    bool Running() const { return running_; }

  private:
    void Next();
    void Finish();

    RoutingCommands& commands_;
    profile::Preset preset_;
    RoutingState state_;
    std::vector<PresetStep> steps_;
    bool dryRun_;
    Done done_;
    std::size_t at_ = 0;
    bool running_ = false;
    // Per output: the changes confirmed and the first failure.
    std::array<std::vector<std::string>, profile::kPorts> confirmed_;
    std::array<std::string, profile::kPorts> failed_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace torvane
