// The bridge on virtual time against the in-process switcher, its broker
// connection a fake that records what is published: what the switcher
// refuses or never answers is told on the event topic with its reason, and
// a lost link makes the switcher's entities unavailable.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "app/operations.h"
#include "mqtt/mqtt_bridge.h"
#include "platform/virtual_loop.h"
#include "profile/switcher_key.h"
#include "service/bridge_command_path.h"
#include "service/switcher_commands.h"
#include "sim/in_process_links.h"
#include "sim/switcher_model.h"
#include "support/sim_connect.h"

namespace torvane::mqtt {
namespace {

using nlohmann::json;

struct FakeBroker : MqttClient {
    void SetHandlers(Handlers h) override { handlers = std::move(h); }
    void Start() override {
        connected = true;
        if (handlers.connected) handlers.connected();
    }
    bool Connected() const override { return connected; }
    void Publish(const std::string& topic, const std::string& payload, bool retain) override {
        // As the real connection: the whole state goes out again on connecting.
        if (!connected && retain) return;
        published.push_back({topic, payload, retain});
    }
    void Subscribe(const std::string& pattern) override { subscribed.push_back(pattern); }

    // The payloads published on `topic`, oldest first.
    std::vector<std::string> On(const std::string& topic) const {
        std::vector<std::string> payloads;
        for (const auto& m : published)
            if (m.topic == topic) payloads.push_back(m.payload);
        return payloads;
    }

    // The broker lost and found again.
    void Reconnect() {
        connected = true;
        handlers.connected();
    }

    Handlers handlers;
    bool connected = false;
    std::vector<MqttMessage> published;  // `retained` as published
    std::vector<std::string> subscribed;
};

struct Rig {
    explicit Rig(std::optional<profile::ProfileStore> store = std::nullopt,
                 std::string discoveryPrefix = "") {
        links.AddSwitcher(model);
        dlg = &app.InitInstance(nullptr);
        ops.emplace(app, loop);
        commands.emplace(*ops, [this] { return dlg->SerialOpen(); });
        path.emplace(*commands);
        BridgeSettings settings;
        settings.id = "hall";
        settings.discoveryPrefix = discoveryPrefix;
        bridge.emplace(
            loop, *dlg, *path, links, std::move(store), settings,
            [this](const std::string& clientId, const std::string& will) {
                this->clientId = clientId;
                willTopic = will;
                auto client = std::make_unique<FakeBroker>();
                broker = client.get();
                return client;
            },
            [this](const std::string& line) { log.push_back(line); });
        bridge->Start();
    }

    bool Connect() { return torvane::test::ConnectToSimSwitcher(*ops, loop); }
    void Advance(
        int maxMs, const std::function<bool()>& until = [] { return false; }) {
        for (int ms = 0; !until() && ms < maxMs; ms += 10) loop.Advance(10);
    }
    void Receive(const std::string& topic, const std::string& payload) {
        broker->handlers.message({"torvane/hall/" + topic, payload, false});
    }
    // The link's states told on the event topic, in order.
    std::vector<std::string> LinkStates() const {
        std::vector<std::string> told;
        for (const auto& payload : broker->On("torvane/hall/event")) {
            json event = json::parse(payload, nullptr, false);
            if (event.is_object() && event["event"] == "connection") told.push_back(event["state"]);
        }
        return told;
    }
    // The command events published so far.
    std::vector<json> Commands() const {
        std::vector<json> told;
        for (const auto& payload : broker->On("torvane/hall/event")) {
            json event = json::parse(payload, nullptr, false);
            if (event.is_object() && event["event"] == "command") told.push_back(event);
        }
        return told;
    }

    VirtualLoop loop;
    sim::SwitcherModel model{loop};
    sim::SimLinkFactory links{loop};
    CTorvaneApp app{loop, links};
    CTorvaneDlg* dlg = nullptr;
    std::optional<Operations> ops;
    std::optional<service::SwitcherCommands> commands;
    std::optional<service::BridgeCommandPath> path;
    std::optional<MqttBridge> bridge;
    FakeBroker* broker = nullptr;
    std::string clientId, willTopic;
    std::vector<std::string> log;
};

TEST(MqttBridge, ConnectsUnderItsIdWithTheLastWillOnAvailability) {
    Rig rig;
    ASSERT_NE(rig.broker, nullptr);
    EXPECT_EQ(rig.willTopic, "torvane/hall/availability");
    EXPECT_EQ(rig.clientId, "torvane-hall");
    EXPECT_EQ(rig.broker->On("torvane/hall/availability"), std::vector<std::string>{"offline"});
    EXPECT_NE(std::find(rig.broker->subscribed.begin(), rig.broker->subscribed.end(),
                        "torvane/hall/output/+/input/set"),
              rig.broker->subscribed.end());
}

TEST(MqttBridge, TellsEachCommandsOutcomeWithTheReasonOfAFailure) {
    Rig rig;
    ASSERT_TRUE(rig.Connect());
    rig.Advance(3000, [&] { return !rig.broker->On("torvane/hall/output/B/input").empty(); });

    rig.Receive("output/B/input/set", "6");
    rig.Advance(5000, [&] { return rig.Commands().size() == 1; });
    ASSERT_EQ(rig.Commands().size(), 1u);
    EXPECT_EQ(rig.Commands()[0]["ok"], true);
    EXPECT_EQ(rig.model.State().routing[1], 6);

    rig.model.Faults().silent = true;
    rig.Receive("output/C/arc/set", "ON");
    rig.Advance(30000, [&] { return rig.Commands().size() == 2; });
    ASSERT_EQ(rig.Commands().size(), 2u);
    const json timedOut = rig.Commands()[1];
    EXPECT_EQ(timedOut["ok"], false);
    EXPECT_EQ(timedOut["command"], "output/C/arc/set");
    EXPECT_EQ(timedOut["output"], "C");
    EXPECT_EQ(timedOut["error"]["kind"], "timed-out");
    EXPECT_FALSE(timedOut["error"]["message"].get<std::string>().empty());
    // Events are not kept by the broker; the state is.
    for (const auto& m : rig.broker->published)
        EXPECT_EQ(m.retained, m.topic != "torvane/hall/event") << m.topic;
}

TEST(MqttBridge, ALostLinkMakesTheSwitcherUnavailableAndRefusesCommands) {
    Rig rig;
    ASSERT_TRUE(rig.Connect());
    rig.Advance(2000);
    EXPECT_EQ(rig.broker->On("torvane/hall/availability").back(), "online");

    rig.links.UnplugSerial();
    rig.Advance(2000);
    EXPECT_EQ(rig.broker->On("torvane/hall/availability").back(), "offline");
    const std::size_t sent = rig.model.ReceivedUnits().size();
    rig.Receive("power/set", "OFF");
    rig.Advance(1000, [&] { return !rig.Commands().empty(); });
    ASSERT_EQ(rig.Commands().size(), 1u);
    EXPECT_EQ(rig.Commands()[0]["error"]["kind"], "link-down");
    EXPECT_EQ(rig.model.ReceivedUnits().size(), sent);
}

TEST(MqttBridge, TellsEachChangeOfTheLinkWhenItHappens) {
    Rig rig;
    rig.dlg->SetSupervision({true, 0, 0});
    ASSERT_TRUE(rig.Connect());
    const auto availability = [&] { return rig.broker->On("torvane/hall/availability").back(); };
    rig.Advance(10);
    EXPECT_EQ(availability(), "online");

    rig.links.UnplugSerial();
    rig.Advance(10);
    EXPECT_EQ(availability(), "offline");
    rig.links.PlugInSerial();
    rig.Advance(3000, [&] { return availability() == "online"; });
    EXPECT_EQ(availability(), "online");
    // Even a state that lasted no time at all.
    const auto states = rig.LinkStates();
    ASSERT_GE(states.size(), 3u);
    EXPECT_EQ(std::vector(states.end() - 3, states.end()),
              (std::vector<std::string>{"lost", "reconnecting", "connected"}));
}

TEST(MqttBridge, APresetDeletedWhileTheBrokerIsAwayLosesItsButtonWhenItIsBack) {
    char pattern[] = "/tmp/torvane-bridge-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    profile::ProfileStore store(folder);
    Rig rig(store, "homeassistant");
    ASSERT_TRUE(rig.Connect());
    const std::string key = profile::KeyForSerialPort(rig.dlg->SerialStableName());
    ASSERT_TRUE(store.Update(key, [](profile::Profile& p) {
        profile::Preset movie;
        movie.outputs[0] = profile::OutputSetting{3, true};
        return profile::SavePreset(p, "Movie night", movie);
    }));
    rig.Advance(2000);
    std::string button;
    for (const auto& m : rig.broker->published)
        if (m.topic.find("/button/") != std::string::npos) button = m.topic;
    ASSERT_FALSE(button.empty());

    rig.broker->connected = false;
    ASSERT_TRUE(store.Update(
        key, [](profile::Profile& p) { return profile::DeletePreset(p, "Movie night"); }));
    rig.Advance(2000);
    ASSERT_NE(rig.broker->On(button).back(), "");
    rig.broker->Reconnect();
    EXPECT_EQ(rig.broker->On(button).back(), "");
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace torvane::mqtt
