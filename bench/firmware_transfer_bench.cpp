// The program's own cost on the send path, measured against torvane-sim on
// a real pseudo-terminal. A pseudo-terminal does not throttle to 115200
// baud, so what is left is the program's (and the simulator's) turn-around.
//
// FirmwareTransfer: a 100,000-byte image, 98 data frames of 1029 bytes. On
// a real line the transfer takes about 9.75 s at line rate; a cost under
// 1 ms per block keeps it within 1.01 times that.
// StatusRoundTrip: the General page's Status chain, 18 round trips.
//
// Counters: wall time per block or round trip, and the CPU time this
// process spent per block or round trip (its own cost, the simulator apart).

#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/torvane_app.h"
#include "links/posix_link_factory.h"
#include "pages/fw_dlg.h"
#include "platform/poll_loop.h"
#include "res/resource_ids.h"
#include "res/upgrade_page_ids.h"
#include "support/sim_process.h"

using namespace torvane;

namespace {

constexpr int kStatusRoundTrips = 18;

double CpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double WallSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The operator's desk on a real loop, connected to torvane-sim's serial port.
class Desk {
  public:
    Desk() {
        if (!sim_.Start({"--port", "0", "--no-udp", "--reply-delay", "0", "--ready-delay", "0",
                         "--restart", "0"}))
            throw std::runtime_error("torvane-sim did not start");
        const std::string path = sim_.Said("serial");
        links_.AddExtraPort({path, "Simulated switcher", "", ""});
        dlg_ = &app_.InitInstance(nullptr);
        const auto& items = dlg_->Controls().Items(res::kPortList);
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i] == path) dlg_->Select(res::kPortList, static_cast<int>(i));
        dlg_->Click(res::kComConnectButton);
        if (!dlg_->SerialOpen()) throw std::runtime_error("cannot open " + path);
        Settle();
    }

    CTorvaneDlg& Dlg() { return *dlg_; }
    CFWDlg& UpgradePage() {
        return dynamic_cast<CFWDlg&>(dlg_->PageFor(PageCode::kUpgrade).PageWindow());
    }

    void RunUntil(const std::function<bool()>& done, int maxMs = 30000) {
        const TimeMs deadline = loop_.Now() + maxMs;
        while (!done()) {
            if (loop_.Now() >= deadline)
                throw std::runtime_error("the simulator stopped answering");
            loop_.RunOnce(deadline - loop_.Now());
        }
    }
    void Settle() {
        RunUntil([this] {
            return dlg_->BusyGateOpen() && !dlg_->AwaitingReply() && !dlg_->Busy().Flagged();
        });
    }
    void EnterUpgradePage() {
        const Rect r = dlg_->Controls().At(res::kUpgradeLabel).rect;
        const int reads = UpgradePage().DeviceTextReads();
        dlg_->PressAt({r.x + r.width / 2, r.y + r.height / 2});
        RunUntil([&] { return UpgradePage().DeviceTextReads() > reads; });
    }

  private:
    sim::test::SimProcess sim_;
    PollLoop loop_;
    PosixLinkFactory links_{loop_};
    CTorvaneApp app_{loop_, links_};
    CTorvaneDlg* dlg_ = nullptr;
};

std::string WriteImage(std::size_t size) {
    const std::string path = "/tmp/torvane_bench_firmware_" + std::to_string(::getpid()) + ".bin";
    std::vector<char> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + 3);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(size));
    return path;
}

void FirmwareTransfer(benchmark::State& state) {
    Desk desk;
    desk.EnterUpgradePage();
    CFWDlg& page = desk.UpgradePage();
    const std::string image = WriteImage(kMaxFirmwareBytes);
    page.Click(res::kFirmwareOpenButton);
    page.AnswerFileChoice(image);
    std::remove(image.c_str());
    const int blocks = FirmwareBlockCount(page.ImageLength());
    double wall = 0, cpu = 0;
    for (auto _ : state) {
        const double wall0 = WallSeconds(), cpu0 = CpuSeconds();
        page.Click(res::kUpgradeButton);
        desk.RunUntil([&] { return page.State() == UpgradeState::kRebooting; });
        const double took = WallSeconds() - wall0;
        cpu += CpuSeconds() - cpu0;
        wall += took;
        state.SetIterationTime(took);
        state.PauseTiming();
        desk.RunUntil([&] { return page.State() == UpgradeState::kIdle; });
        desk.Settle();
        state.ResumeTiming();
    }
    const double transfers = static_cast<double>(state.iterations());
    state.counters["blocks"] = blocks;
    state.counters["transfer_ms"] = wall / transfers * 1e3;
    state.counters["ms_per_block"] = wall / transfers / blocks * 1e3;
    state.counters["cpu_ms_per_block"] = cpu / transfers / blocks * 1e3;
}
BENCHMARK(FirmwareTransfer)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

void StatusRoundTrip(benchmark::State& state) {
    Desk desk;
    CTorvaneDlg& dlg = desk.Dlg();
    double wall = 0, cpu = 0;
    for (auto _ : state) {
        const double wall0 = WallSeconds(), cpu0 = CpuSeconds();
        dlg.Click(res::kStatusButton);
        desk.Settle();
        const double took = WallSeconds() - wall0;
        cpu += CpuSeconds() - cpu0;
        wall += took;
        state.SetIterationTime(took);
    }
    const double trips = static_cast<double>(state.iterations()) * kStatusRoundTrips;
    state.counters["ms_per_round_trip"] = wall / trips * 1e3;
    state.counters["cpu_ms_per_round_trip"] = cpu / trips * 1e3;
}
BENCHMARK(StatusRoundTrip)->Iterations(50)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
