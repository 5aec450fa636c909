// The program's own cost of applying a preset: an 8-output preset applied
// through the operation API against the in-process simulated switcher
// answering at once, on virtual time. Virtual time stands still while the
// program works, so the wall time of an application is what the program
// itself spends beyond the switcher's 8 round trips (goal: under 1 ms).
//
// Counters: wall time per application, and the virtual time it took (the
// round trips as the loop counts them).

#include <benchmark/benchmark.h>
#include <time.h>

#include <optional>
#include <stdexcept>

#include "app/operation_routing.h"
#include "app/operations.h"
#include "app/preset_apply.h"
#include "links/listed_port_source.h"
#include "platform/virtual_loop.h"
#include "sim/in_process_links.h"
#include "sim/switcher_model.h"

using namespace torvane;

namespace {

// Every output to `input`.
profile::Preset AllTo(int input) {
    profile::Preset preset;
    for (auto& output : preset.outputs) output = profile::OutputSetting{input, std::nullopt};
    return preset;
}

class Desk {
  public:
    Desk() {
        model_.Timing().replyDelayMs = 0;
        links_.AddSwitcher(model_);
        app_.InitInstance(nullptr);
        ops_.emplace(app_, loop_);
        LinkChoice link;
        link.serial = true;
        link.serialPath = sim::kDefaultSerialPath;
        std::optional<bool> connected;
        ops_->Connect(link, [&](const Completed<void>& c) { connected = c.result.ok(); });
        Run([&] { return connected.has_value(); });
        if (!*connected) throw std::runtime_error("the simulated switcher did not connect");
    }

    // Reads the routing, applies `preset`; false when an output failed.
    bool Apply(const profile::Preset& preset) {
        OperationRouting routing(*ops_);
        std::optional<Result<RoutingState>> state;
        routing.Read([&](const Result<RoutingState>& s) { state = s; });
        Run([&] { return state.has_value(); });
        if (!*state) return false;
        std::optional<PresetReport> report;
        PresetRun run(routing, preset, state->value(), false,
                      [&](const PresetReport& r) { report = r; });
        run.Start();
        Run([&] { return report.has_value(); });
        return !report->AnyFailed();
    }

    TimeMs Now() const { return loop_.Now(); }

  private:
    void Run(const std::function<bool()>& done) {
        while (!done()) loop_.Advance(1);
    }

    VirtualLoop loop_;
    sim::SwitcherModel model_{loop_};
    sim::SimLinkFactory links_{loop_};
    CTorvaneApp app_{loop_, links_};
    std::optional<Operations> ops_;
};

double WallSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void EightOutputPreset(benchmark::State& state) {
    Desk desk;
    int input = 1;
    double wall = 0;
    TimeMs virtualMs = 0;
    for (auto _ : state) {
        input = input == 1 ? 2 : 1;
        const double start = WallSeconds();
        const TimeMs virtualStart = desk.Now();
        if (!desk.Apply(AllTo(input))) state.SkipWithError("an output failed");
        wall += WallSeconds() - start;
        virtualMs += desk.Now() - virtualStart;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["wall_ms_per_apply"] = wall * 1000 / n;
    state.counters["virtual_ms_per_apply"] = static_cast<double>(virtualMs) / n;
}
BENCHMARK(EightOutputPreset)->Unit(benchmark::kMillisecond);

}  // namespace
