// The MQTT bridge's cost, with Debian's broker on loopback and switchers
// that answer at once (torvaned's service, its bridge, the simulated
// switcher and the benchmark's own MQTT client all on one poll() loop):
// - a route published on output/B/input/set until the bridge publishes the
//   new input on output/B/input, beside the same route through the
//   service's command path alone (the switcher's round trip); goal: under
//   5 ms beyond it;
// - 8 bridges on one broker, each routing 100 times, one command after the
//   other's confirmation, all eight at once: every command confirmed once,
//   none lost, none sent to a switcher twice.
// Each with the broker as Debian installs it (small messages held back until
// the peer acknowledges the last) and with set_tcp_nodelay, as a broker for
// control traffic should run.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "figures.h"
#include "links/posix_link_factory.h"
#include "mqtt/broker_process.h"
#include "mqtt/mosquitto_client.h"
#include "mqtt/mqtt_bridge.h"
#include "platform/poll_loop.h"
#include "protocol/commands.h"
#include "run_until.h"
#include "service/bridge_command_path.h"
#include "service/daemon.h"
#include "sim/posix_tcp_server.h"
#include "sim/switcher_model.h"

using namespace torvane;
using Clock = bench::Clock;

namespace {

using bench::Ms;
using bench::Percentile;

// One switcher with its service and bridge, on the shared loop.
struct Switcher {
    Switcher(PollLoop& loop, LinkFactory& links, int brokerPort, const std::string& id)
        : model(loop), server(loop, model) {
        model.Timing().replyDelayMs = 0;
        std::string error;
        server.Listen("127.0.0.1", 0, &error);
        service::DaemonSettings settings;
        settings.link.serial = false;
        settings.link.ipv4 = "127.0.0.1";
        settings.link.port = server.Port();
        settings.listen.sin_family = AF_INET;
        settings.listen.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        settings.web["/"] = {"text/html", "<!doctype html>"};
        daemon.emplace(loop, links, settings);
        started = daemon->Start().ok();
        path.emplace(daemon->Commands());
        mqtt::BridgeSettings bridgeSettings;
        bridgeSettings.prefix = "bench";
        bridgeSettings.id = id;
        base = "bench/" + id;
        bridge.emplace(
            loop, daemon->Window(), *path, links, std::nullopt, bridgeSettings,
            [&loop, brokerPort](const std::string& clientId, const std::string& will) {
                mqtt::BrokerSettings broker;
                broker.port = brokerPort;
                broker.clientId = clientId;
                broker.willTopic = will;
                broker.willPayload = "offline";
                return std::make_unique<mqtt::MosquittoClient>(loop, broker,
                                                               [](const std::string&) {});
            },
            [](const std::string&) {});
        bridge->Start();
    }

    // Route commands the switcher received since the last count.
    int RoutesReceived() {
        int routes = 0;
        for (const auto& unit : model.ReceivedUnits())
            for (int input = 1; input <= 8 && unit.size() >= kCommandFrameSize; ++input) {
                // The unit as built, up to its output; the checksum is added on sending.
                const CommandFrame frame = Route(input, 2);
                if (std::equal(frame.begin(), frame.begin() + 7, unit.begin())) ++routes;
            }
        model.ClearHistory();
        return routes;
    }

    sim::SwitcherModel model;
    sim::PosixTcpServer server;
    std::optional<service::Daemon> daemon;
    std::optional<service::BridgeCommandPath> path;
    std::optional<mqtt::MqttBridge> bridge;
    std::string base;
    bool started = false;
};

struct Rig {
    Rig(int switchers, bool nodelay) : links(loop) {
        char pattern[] = "/tmp/torvane-mqtt-bench-XXXXXX";
        folder = ::mkdtemp(pattern) ? pattern : "/tmp";
        ok = broker.Start(folder, 0, nodelay);
        for (int n = 0; n < switchers && ok; ++n)
            units.push_back(std::make_unique<Switcher>(loop, links, broker.Port(),
                                                       "hall-" + std::to_string(n + 1)));
        mqtt::BrokerSettings settings;
        settings.port = broker.Port();
        settings.clientId = "bench-client";
        client = std::make_unique<mqtt::MosquittoClient>(loop, settings, [](const std::string&) {});
        mqtt::MqttClient::Handlers handlers;
        handlers.message = [this](const mqtt::MqttMessage& m) {
            seen[m.topic] = m.payload;
            if (onMessage) onMessage(m);
        };
        client->SetHandlers(handlers);
        client->Subscribe("bench/+/availability");
        client->Subscribe("bench/+/output/B/input");
        client->Subscribe("bench/+/event");
        client->Start();
        // Every switcher linked, its routing read and published.
        ok = ok && RunUntil(
                       [this] {
                           for (const auto& unit : units)
                               if (seen[unit->base + "/availability"] != "online" ||
                                   seen[unit->base + "/output/B/input"].empty())
                                   return false;
                           return true;
                       },
                       15000);
    }
    ~Rig() {
        units.clear();
        client.reset();
        broker.Stop();
        std::filesystem::remove_all(folder);
    }
    bool RunUntil(const std::function<bool()>& done, TimeMs maxMs) {
        return bench::RunUntil(loop, done, maxMs);
    }

    PollLoop loop;
    PosixLinkFactory links;
    std::string folder;
    mqtt::test::BrokerProcess broker;
    std::vector<std::unique_ptr<Switcher>> units;
    std::unique_ptr<mqtt::MosquittoClient> client;
    std::map<std::string, std::string> seen;
    std::function<void(const mqtt::MqttMessage&)> onMessage;
    bool ok = false;
};

service::ApiCall RouteCall(int input, int output) {
    service::ApiCall call;
    call.action = service::ApiAction::kRoute;
    call.path = "/api/route";
    call.queued = call.changes = true;
    call.input = input;
    call.output = output;
    return call;
}

void PublishToConfirmedState(benchmark::State& state) {
    Rig rig(1, state.range(0) != 0);
    if (!rig.ok) return state.SkipWithError("the broker or the switcher did not come up");
    Switcher& unit = *rig.units[0];
    std::vector<double> direct, bridged;
    int input = 3;
    for (auto _ : state) {
        for (int n = 0; n < 50; ++n, input = input == 3 ? 4 : 3) {
            bool done = false;
            const auto start = Clock::now();
            unit.daemon->Commands().Run(RouteCall(input, 2),
                                        [&](const service::CallOutcome&) { done = true; });
            rig.RunUntil([&] { return done; }, 5000);
            direct.push_back(Ms(Clock::now() - start));
        }
        // What the bridge published of those routes has all arrived.
        rig.RunUntil([] { return false; }, 300);
        for (int n = 0; n < 50; ++n, input = input == 3 ? 4 : 3) {
            const std::string want = "Input " + std::to_string(input);
            rig.seen[unit.base + "/output/B/input"].clear();
            const auto start = Clock::now();
            rig.client->Publish(unit.base + "/output/B/input/set", std::to_string(input), false);
            if (!rig.RunUntil([&] { return rig.seen[unit.base + "/output/B/input"] == want; },
                              5000))
                return state.SkipWithError("a route was not confirmed");
            bridged.push_back(Ms(Clock::now() - start));
        }
        state.SetIterationTime(Percentile(bridged, 0.5) / 1000.0);
    }
    state.counters["round_trip_p50_ms"] = Percentile(direct, 0.5);
    state.counters["round_trip_p99_ms"] = Percentile(direct, 0.99);
    state.counters["mqtt_p50_ms"] = Percentile(bridged, 0.5);
    state.counters["mqtt_p99_ms"] = Percentile(bridged, 0.99);
    state.counters["beyond_round_trip_p50_ms"] = Percentile(bridged, 0.5) - Percentile(direct, 0.5);
}
// The argument: the broker's set_tcp_nodelay (0: mosquitto's default).
BENCHMARK(PublishToConfirmedState)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

void EightBridgesRouting(benchmark::State& state) {
    constexpr int kBridges = 8;
    constexpr int kRoutes = 100;
    Rig rig(kBridges, state.range(0) != 0);
    if (!rig.ok) return state.SkipWithError("the broker or the switchers did not come up");
    for (auto& unit : rig.units) unit->RoutesReceived();
    for (auto _ : state) {
        std::map<std::string, int> sent, confirmed;
        auto next = [&](Switcher& unit) {
            const int n = sent[unit.base]++;
            rig.client->Publish(unit.base + "/output/B/input/set", n % 2 ? "3" : "4", false);
        };
        rig.onMessage = [&](const mqtt::MqttMessage& m) {
            if (m.topic.size() < 6 || m.topic.compare(m.topic.size() - 6, 6, "/event") != 0 ||
                m.payload.find("\"event\":\"command\"") == std::string::npos)
                return;
            const std::string base = m.topic.substr(0, m.topic.size() - 6);
            if (m.payload.find("\"ok\":true") != std::string::npos) ++confirmed[base];
            for (auto& unit : rig.units)
                if (unit->base == base && sent[base] < kRoutes) next(*unit);
        };
        const auto start = Clock::now();
        for (auto& unit : rig.units) next(*unit);
        rig.RunUntil(
            [&] {
                for (auto& unit : rig.units)
                    if (confirmed[unit->base] < kRoutes) return false;
                return true;
            },
            60000);
        rig.RunUntil([] { return false; }, 200);  // anything doubled arrives meanwhile
        const double elapsed = Ms(Clock::now() - start);
        int lost = 0, doubled = 0, received = 0;
        for (auto& unit : rig.units) {
            lost += std::max(0, kRoutes - confirmed[unit->base]);
            const int routes = unit->RoutesReceived();
            received += routes;
            doubled += std::max(0, routes - kRoutes) + std::max(0, confirmed[unit->base] - kRoutes);
        }
        state.SetIterationTime(elapsed / 1000.0);
        state.counters["commands"] = kBridges * kRoutes;
        state.counters["confirmed_lost"] = lost;
        state.counters["doubled"] = doubled;
        state.counters["routes_at_switchers"] = received;
        state.counters["per_route_ms"] = elapsed / kRoutes;
        rig.onMessage = nullptr;
    }
}
BENCHMARK(EightBridgesRouting)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
