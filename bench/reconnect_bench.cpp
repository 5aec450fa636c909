// What keeping a link alive costs, against a simulated switcher served on
// loopback in the same process, on the real poll() loop and TCP link:
// - the time from the switcher's return to its state read again in full
//   (goal: the first retry, 0.5 s at most after the loss, plus one reading:
//   under 1 s), and from the loss to the same point;
// - the CPU the keep-alive takes on an idle link (goal: under 0.1 % of a
//   core), the simulated switcher's answers included: the difference from
//   the run without one.

#include <benchmark/benchmark.h>

#include <ctime>
#include <functional>

#include "app/torvane_app.h"
#include "links/posix_link_factory.h"
#include "platform/poll_loop.h"
#include "res/resource_ids.h"
#include "run_until.h"
#include "sim/posix_tcp_server.h"
#include "sim/switcher_model.h"

using namespace torvane;

namespace {

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The window connected over TCP to a switcher on loopback, all on one loop.
struct Rig {
    Rig() : links(loop), model(loop), server(loop, model), app(loop, links) {
        std::string error;
        ok = server.Listen("127.0.0.1", 0, &error);
        dlg = &app.InitInstance(nullptr);
        dlg->AddSwitcherAddress("127.0.0.1");
        dlg->SetControlPort(server.Port());
        dlg->Click(res::kTcpModeRadio);
        dlg->Click(res::kTcpConnectButton);
        ok = ok && RunUntil([this] { return dlg->TcpConnected() && dlg->BusyGateOpen(); }, 5000);
        RunUntil([] { return false; }, 200);  // the power and beep answers
    }
    bool RunUntil(const std::function<bool()>& done, TimeMs maxMs) {
        return bench::RunUntil(loop, done, maxMs);
    }

    PollLoop loop;
    PosixLinkFactory links;
    sim::SwitcherModel model;
    sim::PosixTcpServer server;
    CTorvaneApp app;
    CTorvaneDlg* dlg = nullptr;
    bool ok = false;
};

void ReturnToStateRead(benchmark::State& state) {
    Rig rig;
    if (!rig.ok) return state.SkipWithError("the simulated switcher did not connect");
    rig.dlg->SetSupervision({true, 0, 0});
    const ConnectionSupervisor& supervisor = rig.dlg->Supervisor();
    double fromReturn = 0, fromLoss = 0;
    for (auto _ : state) {
        // The switcher drops off the network and is back at once.
        rig.server.Close();
        const TimeMs lost = rig.loop.Now();
        rig.RunUntil([&] { return supervisor.State() == LinkState::kLost; }, 5000);
        std::string error;
        if (!rig.server.ListenAgain(&error)) return state.SkipWithError(error.c_str());
        const TimeMs back = rig.loop.Now();
        if (!rig.RunUntil([&] { return supervisor.StateReadAt() > back; }, 10000))
            return state.SkipWithError("the state was not read again");
        const TimeMs read = supervisor.StateReadAt();
        state.SetIterationTime(static_cast<double>(read - back) / 1000.0);
        fromReturn += static_cast<double>(read - back);
        fromLoss += static_cast<double>(read - lost);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["return_to_read_ms"] = fromReturn / n;
    state.counters["loss_to_read_ms"] = fromLoss / n;
}
BENCHMARK(ReturnToStateRead)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void IdleKeepAliveCpu(benchmark::State& state) {
    Rig rig;
    if (!rig.ok) return state.SkipWithError("the simulated switcher did not connect");
    const int intervalMs = static_cast<int>(state.range(0));
    rig.dlg->SetSupervision({true, intervalMs, 0});
    for (auto _ : state) {
        const unsigned long sentBefore = rig.dlg->UnitsSent();
        const double cpuBefore = CpuSeconds();
        const TimeMs start = rig.loop.Now();
        rig.loop.RunFor(10000);
        const double wall = static_cast<double>(rig.loop.Now() - start) / 1000.0;
        const double cpu = CpuSeconds() - cpuBefore;
        state.SetIterationTime(wall);
        state.counters["cpu_percent_of_a_core"] = 100.0 * cpu / wall;
        state.counters["keep_alives"] = static_cast<double>(rig.dlg->UnitsSent() - sentBefore);
    }
}
// 0: no keep-alive, the idle window's own cost (its port list refresh, the
// loop) to subtract from the others.
BENCHMARK(IdleKeepAliveCpu)
    ->Arg(0)
    ->Arg(1000)
    ->Arg(5000)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
