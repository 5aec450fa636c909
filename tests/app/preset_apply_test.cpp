// Applying a preset: only what differs is sent, one command after the
// other's end, every command tried even after one failed, and each output
// reported as the switcher confirmed it.

#include "app/preset_apply.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>

namespace torvane {
namespace {

using Outcome = PresetReport::Outcome;

// Commands that end when the test says, in order, each with the outcome the
// test chose (confirmed unless listed).
class ScriptedCommands : public RoutingCommands {
  public:
    void Route(int input, int output, Done done) override {
        Log("route " + std::to_string(input) + " " + std::string(1, char('A' + output - 1)),
            std::move(done));
    }
    void SetArc(int output, bool on, Done done) override {
        Log(std::string("arc ") + char('A' + output - 1) + (on ? " on" : " off"), std::move(done));
    }
    // Ends the command waiting, if any.
    bool EndOne() {
        if (waiting_.empty()) return false;
        Done done = std::move(waiting_.front());
        waiting_.pop_front();
        const std::size_t n = sent.size();
        if (failing.count(n))
            done(Error{Error::Kind::kTimedOut, "Time out!"});
        else
            done({});
        return true;
    }

    std::vector<std::string> sent;
    std::set<std::size_t> failing;  // 1-based numbers of the commands that fail

  private:
    void Log(std::string what, Done done) {
        // One at a time: nothing new while a command waits.
        EXPECT_TRUE(waiting_.empty()) << what;
        sent.push_back(std::move(what));
        waiting_.push_back(std::move(done));
    }
    std::deque<Done> waiting_;
};

profile::Preset Scene() {
    profile::Preset p;
    p.outputs[0] = profile::OutputSetting{3, true};          // A: IN3, ARC on
    p.outputs[1] = profile::OutputSetting{1, std::nullopt};  // B: IN1
    p.outputs[2] = profile::OutputSetting{2, false};         // C: IN2, ARC off
    p.outputs[3] = profile::OutputSetting{4, std::nullopt};  // D: IN4
    return p;
}

RoutingState Now() {
    RoutingState s;
    s.input = {1, 1, 5, std::nullopt, 5, 6, 7, 8};
    s.arc = {true, false, true, false, false, false, false, false};
    return s;
}

TEST(PresetApply, SendsOnlyWhatDiffersInOrder) {
    const auto steps = PlanPreset(Scene(), Now());
    // A: route only (ARC already on); B: nothing; C: route and ARC; D: the
    // route is not confirmed, so it is sent.
    const std::vector<PresetStep> expected = {
        {1, PresetStep::Kind::kRoute, 3, false},
        {3, PresetStep::Kind::kRoute, 2, false},
        {3, PresetStep::Kind::kArc, 0, false},
        {4, PresetStep::Kind::kRoute, 4, false},
    };
    EXPECT_EQ(steps, expected);
}

TEST(PresetApply, AFailedCommandDoesNotStopTheRestAndIsReported) {
    ScriptedCommands commands;
    commands.failing = {3};  // ARC off on C
    std::optional<PresetReport> report;
    PresetRun run(commands, Scene(), Now(), false, [&](const PresetReport& r) { report = r; });
    run.Start();
    while (commands.EndOne()) {
    }
    EXPECT_EQ(commands.sent,
              (std::vector<std::string>{"route 3 A", "route 2 C", "arc C off", "route 4 D"}));
    ASSERT_TRUE(report);
    EXPECT_TRUE(report->AnyFailed());
    struct Row {
        int output;
        Outcome outcome;
        const char* detail;
    };
    const Row rows[] = {
        {1, Outcome::kChanged, "IN3"},
        {2, Outcome::kAlreadySo, "IN1"},
        {3, Outcome::kFailed, "ARC off: Time out! (IN2 confirmed)"},
        {4, Outcome::kChanged, "IN4"},
    };
    ASSERT_EQ(report->outputs.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(report->outputs[i].output, rows[i].output);
        EXPECT_EQ(report->outputs[i].outcome, rows[i].outcome) << rows[i].output;
        EXPECT_EQ(report->outputs[i].detail, rows[i].detail);
    }
}

TEST(PresetApply, ADryRunSendsNothing) {
    ScriptedCommands commands;
    std::optional<PresetReport> report;
    PresetRun run(commands, Scene(), Now(), true, [&](const PresetReport& r) { report = r; });
    run.Start();
    EXPECT_TRUE(commands.sent.empty());
    ASSERT_TRUE(report);
    EXPECT_FALSE(report->AnyFailed());
    EXPECT_EQ(report->outputs[2].outcome, Outcome::kWouldChange);
    EXPECT_EQ(report->outputs[2].detail, "IN2, ARC off");
    EXPECT_EQ(report->outputs[1].outcome, Outcome::kAlreadySo);
}

TEST(PresetApply, SavingTakesOnlyConfirmedState) {
    RoutingState state = Now();
    auto all = PresetFromState(state, {});
    ASSERT_FALSE(all.ok());
    EXPECT_EQ(all.error().message, "the routing of output D is not known yet");
    auto some = PresetFromState(state, {1, 3});
    ASSERT_TRUE(some.ok()) << some.error().message;
    EXPECT_EQ(some->outputs[0], (profile::OutputSetting{1, true}));
    EXPECT_EQ(some->outputs[2], (profile::OutputSetting{5, true}));
    EXPECT_FALSE(some->outputs[1]);
    state.arc[2].reset();
    auto arcUnknown = PresetFromState(state, {3});
    ASSERT_FALSE(arcUnknown.ok());
    EXPECT_EQ(arcUnknown.error().message, "the ARC state of output C is not known yet");
}

}  // namespace
}  // namespace torvane
