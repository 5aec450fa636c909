// What sharing the switcher over HTTP costs, with torvaned's whole service
// (HTTP server, API, events) on the real poll() loop in this process and an
// in-process simulated switcher that answers on the loop's next turn; the
// clients are a thread of their own on loopback sockets:
// - a request's overhead beyond the switcher's round trip: POST /api/route
//   over HTTP against the same call on the command path alone, p50 and p99
//   (goal: p99 under 1 ms);
// - the fan-out of a state change to 100 connected event clients, from the
//   change to the last client's read (goal: under 10 ms);
// - the memory after 10,000 requests and after 100 event clients came and
//   went (goal: flat).

#include <benchmark/benchmark.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

#include "figures.h"
#include "platform/poll_loop.h"
#include "run_until.h"
#include "service/daemon.h"
#include "service/torvaned_process.h"
#include "sim/in_process_links.h"
#include "sim/switcher_model.h"

using namespace torvane;
using namespace torvane::service;
using Clock = bench::Clock;
namespace client = torvane::service::test;

namespace {

using bench::Ms;
using bench::Percentile;

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// The service on a loopback port, serving an in-process switcher.
struct Rig {
    Rig() : model(loop), links(loop) {
        model.Timing().replyDelayMs = 0;
        links.AddSwitcher(model);
        DaemonSettings settings;
        settings.link.serialPath = sim::kDefaultSerialPath;
        settings.listen.sin_family = AF_INET;
        settings.listen.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        settings.supervision = {true, 0, 0};
        settings.queueLimit = 1000;
        daemon.emplace(loop, links, std::move(settings));
        auto bound = daemon->Start();
        port = bound ? *bound : 0;
        RunUntil([this] { return daemon->LinkUp() && !daemon->Window().Reading().Busy(); }, 5000);
        RunUntil([] { return false; }, 200);
    }
    bool RunUntil(const std::function<bool()>& done, TimeMs maxMs) {
        return bench::RunUntil(loop, done, maxMs);
    }
    // Runs the loop while `client` runs on a thread of its own, which wakes
    // the loop through a pipe when it is done.
    void Serve(const std::function<void()>& client) {
        int wake[2];
        if (::pipe(wake) != 0) return;
        bool finished = false;
        const auto watch = loop.WatchFd(wake[0], EventLoop::kReadable, [&](unsigned) {
            char byte;
            finished = ::read(wake[0], &byte, 1) == 1;
        });
        std::thread thread([&] {
            client();
            const char byte = 0;
            [[maybe_unused]] const auto written = ::write(wake[1], &byte, 1);
        });
        RunUntil([&] { return finished; }, 600000);
        thread.join();
        loop.Unwatch(watch);
        ::close(wake[0]);
        ::close(wake[1]);
    }

    PollLoop loop;
    sim::SwitcherModel model;
    sim::SimLinkFactory links;
    std::optional<Daemon> daemon;
    std::uint16_t port = 0;
};

ApiCall RouteCall(int input) {
    ApiCall call;
    call.action = ApiAction::kRoute;
    call.path = "/api/route";
    call.queued = call.changes = true;
    call.output = 1;
    call.input = input;
    return call;
}

void RequestOverhead(benchmark::State& state) {
    Rig rig;
    if (!rig.daemon->LinkUp()) return state.SkipWithError("the switcher did not connect");
    constexpr int kRequests = 1000;
    for (auto _ : state) {
        // The switcher's round trip: the call on the command path alone.
        std::vector<double> direct;
        for (int n = 0; n < kRequests; ++n) {
            bool done = false;
            const auto start = Clock::now();
            rig.daemon->Commands().Run(RouteCall(n % 8 + 1),
                                       [&](const CallOutcome&) { done = true; });
            rig.RunUntil([&] { return done; }, 5000);
            direct.push_back(Ms(Clock::now() - start));
        }
        std::vector<double> http;
        bool failed = false;
        rig.Serve([&] {
            for (int n = 0; n < kRequests; ++n) {
                const std::string body =
                    R"({"output":"A","input":)" + std::to_string(n % 8 + 1) + "}";
                const auto start = Clock::now();
                failed =
                    failed || client::Request(rig.port, "POST", "/api/route", body).status != 200;
                http.push_back(Ms(Clock::now() - start));
            }
        });
        if (failed) return state.SkipWithError("a route over HTTP failed");
        state.counters["switcher_p50_ms"] = Percentile(direct, 0.5);
        state.counters["switcher_p99_ms"] = Percentile(direct, 0.99);
        state.counters["http_p50_ms"] = Percentile(http, 0.5);
        state.counters["http_p99_ms"] = Percentile(http, 0.99);
        state.counters["overhead_p50_ms"] = Percentile(http, 0.5) - Percentile(direct, 0.5);
        state.counters["overhead_p99_ms"] = Percentile(http, 0.99) - Percentile(direct, 0.99);
    }
}
BENCHMARK(RequestOverhead)->Iterations(1)->Unit(benchmark::kMillisecond);

// 100 open event streams; reads each until `text` has arrived on all.
struct Listeners {
    Listeners(std::uint16_t port, int count) {
        for (int n = 0; n < count; ++n) {
            const int fd = client::ConnectLoopback(port);
            client::SendAll(fd, "GET /api/events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
            fds.push_back(fd);
        }
        seen.resize(fds.size());
    }
    ~Listeners() {
        for (int fd : fds) ::close(fd);
    }
    // Reads until every stream holds `text` after what it held before.
    bool AllSee(const std::string& text, int waitMs) {
        std::vector<std::size_t> from(seen.size());
        for (std::size_t i = 0; i < seen.size(); ++i) from[i] = seen[i].size();
        const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
        for (;;) {
            std::vector<pollfd> waiting;
            for (std::size_t i = 0; i < fds.size(); ++i)
                if (seen[i].find(text, from[i]) == std::string::npos)
                    waiting.push_back({fds[i], POLLIN, 0});
            if (waiting.empty()) return true;
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                    .count();
            if (left <= 0 || ::poll(waiting.data(), waiting.size(), static_cast<int>(left)) <= 0)
                return false;
            for (const pollfd& p : waiting) {
                if (!(p.revents & (POLLIN | POLLHUP))) continue;
                char buffer[8192];
                const ssize_t n = ::read(p.fd, buffer, sizeof buffer);
                if (n <= 0) return false;
                const auto at = std::find(fds.begin(), fds.end(), p.fd) - fds.begin();
                seen[static_cast<std::size_t>(at)].append(buffer, static_cast<std::size_t>(n));
            }
        }
    }
    std::vector<int> fds;
    std::vector<std::string> seen;
};

void EventFanOut(benchmark::State& state) {
    Rig rig;
    if (!rig.daemon->LinkUp()) return state.SkipWithError("the switcher did not connect");
    const int clients = static_cast<int>(state.range(0));
    std::atomic<Clock::rep> changedAt{0};
    rig.daemon->Window().State().AddListener([&](const StateChange& change) {
        if (change.what == StateItem::kBeep) changedAt = Clock::now().time_since_epoch().count();
    });
    for (auto _ : state) {
        std::vector<double> fanOut;
        bool failed = false;
        rig.Serve([&] {
            Listeners listeners(rig.port, clients);
            failed = !listeners.AllSee("event: state", 10000);
            for (int n = 0; n < 20 && !failed; ++n) {
                const std::string body = n % 2 ? R"({"on":true})" : R"({"on":false})";
                failed = client::Request(rig.port, "POST", "/api/beep", body).status != 200 ||
                         !listeners.AllSee("\"what\":\"beep\"", 10000);
                const auto last = Clock::now().time_since_epoch().count();
                fanOut.push_back(Ms(Clock::duration(last - changedAt.load())));
            }
        });
        if (failed) return state.SkipWithError("not every client heard the change");
        state.counters["fan_out_p50_ms"] = Percentile(fanOut, 0.5);
        state.counters["fan_out_max_ms"] = Percentile(fanOut, 1.0);
    }
}
BENCHMARK(EventFanOut)->Arg(100)->Iterations(1)->Unit(benchmark::kMillisecond);

void MemoryAfterUse(benchmark::State& state) {
    Rig rig;
    if (!rig.daemon->LinkUp()) return state.SkipWithError("the switcher did not connect");
    for (auto _ : state) {
        // Warmed up first, so the allocator's first growth is not counted.
        rig.Serve([&] {
            for (int n = 0; n < 200; ++n) client::Request(rig.port, "GET", "/api/state");
        });
        const long start = ResidentKiB();
        rig.Serve([&] {
            for (int n = 0; n < 10000; ++n)
                client::Request(rig.port, "POST", n % 2 ? "/api/beep" : "/api/route",
                                n % 2 ? R"({"on":true})" : R"({"output":"B","input":2})");
        });
        const long afterRequests = ResidentKiB();
        rig.Serve([&] {
            Listeners listeners(rig.port, 100);
            listeners.AllSee("event: state", 10000);
        });
        // The service notices the clients gone.
        rig.RunUntil([&] { return rig.daemon->Events().Clients() == 0; }, 20000);
        const long afterClients = ResidentKiB();
        state.counters["rss_start_kib"] = static_cast<double>(start);
        state.counters["rss_after_10000_requests_kib"] = static_cast<double>(afterRequests);
        state.counters["rss_after_100_clients_kib"] = static_cast<double>(afterClients);
        state.counters["event_clients_left"] = static_cast<double>(rig.daemon->Events().Clients());
    }
}
BENCHMARK(MemoryAfterUse)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
