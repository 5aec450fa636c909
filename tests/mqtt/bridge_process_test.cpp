// torvaned's MQTT bridge as people run it: Debian's broker, torvane-sim on a
// pseudo-terminal with its front panel, torvaned between them, and the
// broker's own clients watching and publishing.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "broker_process.h"
#include "profile/profile_store.h"
#include "profile/switcher_key.h"
#include "service/torvaned_process.h"
#include "support/sim_process.h"

namespace torvane::mqtt::test {
namespace {

using nlohmann::json;

class Bridge : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/torvane-mqtt-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
        link_ = folder_ + "/switcher";
        base_ = "torvane/" + profile::KeyForSerialPort(link_);
        // torvaned finds the names and presets here.
        ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
        store_.emplace(folder_ + "/torvane");
        Rename(1, "Apple TV");
        ASSERT_TRUE(store_->Update(profile::KeyForSerialPort(link_), [](profile::Profile& p) {
            profile::Preset movie;
            movie.outputs[0] = profile::OutputSetting{3, true};
            return profile::SavePreset(p, "Movie night", movie);
        }));
        ASSERT_TRUE(broker_.Start(folder_)) << broker_.Output();
        ASSERT_TRUE(sim_.Start({"--port", "0", "--no-udp", "--link", link_, "--front-panel"}))
            << sim_.Output();
    }
    void TearDown() override {
        daemon_.Stop();
        sim_.Stop();
        broker_.Stop();
        ::unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(folder_);
    }

    void Rename(int input, const std::string& name) {
        ASSERT_TRUE(store_->Update(profile::KeyForSerialPort(link_), [&](profile::Profile& p) {
            return profile::SetName(p, profile::PortKind::kInput, input, name);
        }));
    }

    bool StartDaemon(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"--serial",  link_,
                                      "--mqtt",    "127.0.0.1:" + std::to_string(broker_.Port()),
                                      "--refresh", "1"};
        args.insert(args.end(), extra.begin(), extra.end());
        return daemon_.Start(args) && daemon_.WaitFor("mqtt: connected to");
    }

    // The switcher's ID as Home Assistant's ids take it.
    std::string NodeId() const {
        std::string nodeId = profile::KeyForSerialPort(link_);
        for (char& c : nodeId)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') c = '_';
        return nodeId;
    }

    // A client that subscribes now to the switcher's topics (and the
    // discovery configs): the retained ones come first.
    bool Watch(Watcher& watcher) {
        return watcher.Start(broker_.Port(), {base_ + "/#", "homeassistant/#"});
    }

    std::string folder_, link_, base_;
    std::optional<profile::ProfileStore> store_;
    BrokerProcess broker_;
    sim::test::SimProcess sim_;
    service::test::TorvanedProcess daemon_;
};

TEST_F(Bridge, PublishesTheStateAndHomeAssistantConfigsRetained) {
    ASSERT_TRUE(StartDaemon({"--ha-discovery"})) << daemon_.Output();
    Watcher watcher;
    ASSERT_TRUE(Watch(watcher));
    EXPECT_TRUE(watcher.WaitForLine({base_ + "/availability online"})) << watcher.Output();
    // The routing is read once the link is up; the state follows it.
    EXPECT_TRUE(watcher.WaitForLine({base_ + "/output/A/input Apple TV"})) << watcher.Output();
    // The device block holds the identity, read last.
    EXPECT_TRUE(watcher.WaitForLine({base_ + "/state", "\"version\":\"1.0\""}));
    Watcher late;
    ASSERT_TRUE(Watch(late));
    const json state = json::parse(late.Next(base_ + "/state"), nullptr, false);
    EXPECT_EQ(state["link"], "up");
    EXPECT_EQ(state["outputs"]["A"]["input"], 1);
    EXPECT_EQ(state["inputs"]["1"]["name"], "Apple TV");
    EXPECT_EQ(state["power"], "on");

    const std::string nodeId = NodeId();
    const std::string select = "homeassistant/select/" + nodeId + "/output_a/config";
    const json config = json::parse(late.Next(select), nullptr, false);
    ASSERT_TRUE(config.is_object()) << late.Output();
    // The fields Home Assistant's MQTT select requires and those it uses to
    // tie the entity to its device and availability.
    EXPECT_EQ(config["command_topic"], base_ + "/output/A/input/set");
    EXPECT_EQ(config["state_topic"], base_ + "/output/A/input");
    EXPECT_EQ(config["options"][0], "Apple TV");
    EXPECT_EQ(config["options"][1], "Input 2");
    EXPECT_EQ(config["unique_id"], nodeId + "_output_a");
    EXPECT_EQ(config["availability"][0]["topic"], base_ + "/availability");
    EXPECT_EQ(config["device"]["identifiers"][0], nodeId);
    EXPECT_EQ(config["device"]["sw_version"], "1.0");
    EXPECT_EQ(config["device"]["model"], "8x8 HDMI matrix switcher");

    const json arc = json::parse(
        late.Next("homeassistant/switch/" + nodeId + "/output_a_arc/config"), nullptr, false);
    EXPECT_EQ(arc["command_topic"], base_ + "/output/A/arc/set");
    EXPECT_EQ(arc["payload_on"], "ON");
    const json sensor = json::parse(
        late.Next("homeassistant/binary_sensor/" + nodeId + "/input_1_connected/config"), nullptr,
        false);
    EXPECT_EQ(sensor["device_class"], "connectivity");
    EXPECT_EQ(sensor["state_topic"], base_ + "/input/1/connected");
    EXPECT_TRUE(late.WaitForLine({"homeassistant/button/" + nodeId + "/preset_movie_night_",
                                  "\"payload_press\":\"Movie night\"",
                                  "\"command_topic\":\"" + base_ + "/preset/apply\""}))
        << late.Output();

    // A rename reaches the entities' options and the published labels.
    Rename(1, "Blu-ray");
    EXPECT_TRUE(late.WaitForLine({base_ + "/output/A/input Blu-ray"})) << late.Output();
    EXPECT_TRUE(late.WaitForLine({select, "\"options\":[\"Blu-ray\",\"Input 2\""}))
        << late.Output();
    // A deleted preset takes its button with it.
    ASSERT_TRUE(store_->Update(profile::KeyForSerialPort(link_), [](profile::Profile& p) {
        return profile::DeletePreset(p, "Movie night");
    }));
    EXPECT_TRUE(
        late.WaitForLine({"homeassistant/button/" + nodeId + "/preset_movie_night_", "(null)"}))
        << late.Output();
}

TEST_F(Bridge, HomeAssistantComingOnlineIsGivenTheConfigsAgain) {
    ASSERT_TRUE(StartDaemon({"--ha-discovery"})) << daemon_.Output();
    Watcher watcher;
    ASSERT_TRUE(Watch(watcher));
    // The configs are complete once the identity has been read.
    ASSERT_TRUE(watcher.WaitForLine({base_ + "/state", "\"version\":\"1.0\""})) << watcher.Output();
    const std::string select = "homeassistant/select/" + NodeId() + "/output_a/config";
    // The broker forgot them (a broker without persistence restarted
    // before Home Assistant did, say).
    ASSERT_TRUE(PublishOnce(broker_.Port(), select, "", true));
    ASSERT_TRUE(watcher.WaitForLine({select, "(null)"})) << watcher.Output();

    ASSERT_TRUE(PublishOnce(broker_.Port(), "homeassistant/status", "online"));
    EXPECT_TRUE(
        watcher.WaitForLine({select, "\"command_topic\":\"" + base_ + "/output/A/input/set"}))
        << watcher.Output();
    Watcher late;
    ASSERT_TRUE(Watch(late));
    EXPECT_TRUE(late.WaitForLine({select, "\"options\":[\"Apple TV\""})) << late.Output();
}

TEST_F(Bridge, ReachesABrokerOverTlsOnlyWithItsCertificateAuthority) {
    // A certificate authority of the test's own, the broker's certificate
    // signed by it for 127.0.0.1, and another authority that signed nothing.
    const std::string tls = folder_ + "/tls";
    std::filesystem::create_directory(tls);
    std::ofstream(tls + "/server.ext") << "subjectAltName=IP:127.0.0.1\n";
    const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    const std::string quiet = " 2>/dev/null";
    for (const std::string& command : {
             "openssl req -x509" + key + " -keyout " + tls + "/ca.key -out " + tls +
                 "/ca.pem -days 1 -subj /CN=torvane-test-ca",
             "openssl req -x509" + key + " -keyout " + tls + "/other.key -out " + tls +
                 "/other.pem -days 1 -subj /CN=torvane-test-other-ca",
             "openssl req" + key + " -keyout " + tls + "/server.key -out " + tls +
                 "/server.csr -subj /CN=127.0.0.1",
             "openssl x509 -req -in " + tls + "/server.csr -CA " + tls + "/ca.pem -CAkey " + tls +
                 "/ca.key -CAcreateserial -days 1 -extfile " + tls + "/server.ext -out " + tls +
                 "/server.pem",
         })
        ASSERT_EQ(std::system((command + quiet).c_str()), 0) << command;
    // A broker started by root reads them as its own user.
    namespace fs = std::filesystem;
    for (const auto& folder : {fs::path(folder_), fs::path(tls)})
        fs::permissions(folder, fs::perms::others_read | fs::perms::others_exec,
                        fs::perm_options::add);
    for (const auto& file : fs::directory_iterator(tls))
        fs::permissions(file.path(), fs::perms::others_read, fs::perm_options::add);
    broker_.Stop();
    TlsListener listener{FreePort(), tls + "/ca.pem", tls + "/server.pem", tls + "/server.key"};
    ASSERT_TRUE(broker_.Start(folder_, 0, true, &listener)) << broker_.Output();
    const std::string address = "127.0.0.1:" + std::to_string(listener.port);
    // Over TCP under an ID given: each torvaned in turn reaches the switcher
    // and names its topics at once.
    const auto start = [&](const std::string& cafile) {
        return daemon_.Start({"--tcp", sim_.TcpAddress(), "--mqtt-id", "tls", "--mqtt", address,
                              "--mqtt-cafile", cafile});
    };
    base_ = "torvane/tls";

    // A certificate its authority did not sign is refused, and the log says so.
    ASSERT_TRUE(start(tls + "/other.pem"));
    EXPECT_TRUE(daemon_.WaitFor("certificate verify failed", 10000)) << daemon_.Output();
    daemon_.Stop();
    EXPECT_EQ(daemon_.Output().find("mqtt: connected to"), std::string::npos) << daemon_.Output();
    // An authority that cannot be read never becomes a plain connection.
    ASSERT_TRUE(start(tls + "/missing.pem"));
    EXPECT_TRUE(daemon_.WaitFor(
        "missing.pem: cannot read it: No such file or directory; not connecting", 10000))
        << daemon_.Output();
    daemon_.Stop();

    ASSERT_TRUE(start(tls + "/ca.pem"));
    EXPECT_TRUE(daemon_.WaitFor("mqtt: connected to " + address, 10000)) << daemon_.Output();
    Watcher watcher;
    ASSERT_TRUE(Watch(watcher));
    EXPECT_TRUE(watcher.WaitForLine({base_ + "/availability online"})) << watcher.Output();
}

TEST_F(Bridge, RoutesByTopicAndPublishesChangesMadeElsewhere) {
    ASSERT_TRUE(StartDaemon()) << daemon_.Output();
    Watcher watcher;
    ASSERT_TRUE(Watch(watcher));
    ASSERT_TRUE(watcher.WaitForLine({base_ + "/output/B/input Input 2"})) << watcher.Output();

    ASSERT_TRUE(PublishOnce(broker_.Port(), base_ + "/output/B/input/set", "apple tv"));
    EXPECT_TRUE(watcher.WaitForLine({base_ + "/output/B/input Apple TV"})) << watcher.Output();
    EXPECT_TRUE(watcher.WaitForLine(
        {base_ + "/event", "\"command\":\"output/B/input/set\"", "\"ok\":true"}));

    ASSERT_TRUE(sim_.Tell("route 5 C"));
    EXPECT_TRUE(watcher.WaitForLine({base_ + "/output/C/input Input 5"}, 5000)) << watcher.Output();
    EXPECT_TRUE(watcher.WaitForLine(
        {base_ + "/event", "\"what\":\"route\"", "\"output\":\"C\"", "\"cause\":\"elsewhere\""}));

    ASSERT_TRUE(PublishOnce(broker_.Port(), base_ + "/preset/apply", "Movie night"));
    EXPECT_TRUE(watcher.WaitForLine({base_ + "/output/A/arc ON"})) << watcher.Output();
    EXPECT_TRUE(
        watcher.WaitForLine({base_ + "/event", "\"preset\":\"Movie night\"", "\"ok\":true"}));
}

TEST_F(Bridge, IgnoresMalformedAndRetainedCommands) {
    // Kept by the broker from before, it would route again at every
    // connection of the bridge.
    ASSERT_TRUE(PublishOnce(broker_.Port(), base_ + "/output/B/input/set", "3", true));
    ASSERT_TRUE(StartDaemon()) << daemon_.Output();
    EXPECT_TRUE(daemon_.WaitFor("mqtt: ignored a retained command")) << daemon_.Output();
    PublishOnce(broker_.Port(), base_ + "/output/B/input/set", "", true);
    Watcher watcher;
    ASSERT_TRUE(Watch(watcher));
    ASSERT_TRUE(watcher.WaitForLine({base_ + "/output/A/input Apple TV"})) << watcher.Output();

    const std::vector<std::pair<std::string, std::string>> malformed = {
        {"output/B/input/set", "9"},
        {"output/B/input/set", "Nobody"},
        {"output/Z/input/set", "1"},
        {"output/B/arc/set", "maybe"},
        {"power/set", ""},
        {"preset/apply", "No such preset"},
        {"output/B/input/set", "1; 2"},
    };
    for (const auto& [topic, payload] : malformed) {
        ASSERT_TRUE(PublishOnce(broker_.Port(), base_ + "/" + topic, payload));
        EXPECT_TRUE(daemon_.WaitFor("mqtt: ignored " + base_ + "/" + topic)) << daemon_.Output();
    }

    // A good command after them is the first that reaches the switcher.
    ASSERT_TRUE(PublishOnce(broker_.Port(), base_ + "/output/D/input/set", "5"));
    ASSERT_TRUE(watcher.WaitForLine({base_ + "/event", "\"command\""})) << watcher.Output();
    EXPECT_NE(watcher.Output().find("\"command\":\"output/D/input/set\""), std::string::npos);
    EXPECT_EQ(watcher.Output().find("\"command\":\"output/B"), std::string::npos)
        << watcher.Output();
    EXPECT_EQ(watcher.Output().find("\"command\":\"power"), std::string::npos);
}

TEST_F(Bridge, RepublishesAfterTheBrokerRestartsAndFollowsTheSwitchersLink) {
    ASSERT_TRUE(StartDaemon()) << daemon_.Output();
    const int port = broker_.Port();
    broker_.Stop();
    EXPECT_TRUE(daemon_.WaitFor("mqtt: lost the broker")) << daemon_.Output();
    // The switcher's link goes on serving meanwhile.
    const auto routed =
        service::test::Request(daemon_.Port(), "POST", "/api/route", R"({"output":"E","input":2})");
    EXPECT_EQ(routed.status, 200) << routed.body;
    ASSERT_TRUE(broker_.Start(folder_, port)) << broker_.Output();
    EXPECT_TRUE(daemon_.WaitFor("mqtt: connected to", 10000)) << daemon_.Output();
    // The broker kept nothing: what a new client sees was published again.
    Watcher watcher;
    ASSERT_TRUE(Watch(watcher));
    EXPECT_TRUE(watcher.WaitForLine({base_ + "/availability online"})) << watcher.Output();
    EXPECT_TRUE(watcher.WaitForLine({base_ + "/state", "\"link\":\"up\"",
                                     "\"E\":{\"arc\":\"off\",\"connected\":false,\"input\":2"}))
        << watcher.Output();

    ASSERT_TRUE(sim_.Tell("vanish 2"));
    EXPECT_TRUE(watcher.WaitForLine({base_ + "/availability offline"})) << watcher.Output();
    EXPECT_TRUE(watcher.WaitForLine({base_ + "/availability online"}, 15000)) << watcher.Output();
}

TEST_F(Bridge, TheLastWillSaysOfflineWhenTheBridgeDies) {
    // Over TCP, under the ID given.
    ASSERT_TRUE(daemon_.Start({"--tcp", sim_.TcpAddress(), "--mqtt",
                               "127.0.0.1:" + std::to_string(broker_.Port()), "--mqtt-prefix",
                               "building/av", "--mqtt-id", "hall"}))
        << daemon_.Output();
    base_ = "building/av/hall";
    Watcher watcher;
    ASSERT_TRUE(Watch(watcher));
    ASSERT_TRUE(watcher.WaitForLine({base_ + "/availability online"})) << watcher.Output();
    daemon_.Stop(SIGKILL);
    EXPECT_TRUE(watcher.WaitForLine({base_ + "/availability offline"})) << watcher.Output();
}

}  // namespace
}  // namespace torvane::mqtt::test
