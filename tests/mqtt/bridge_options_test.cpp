// torvaned's MQTT options: what they set, and the usage errors that stop
// the service before it touches a broker.

#include <gtest/gtest.h>

#include "service/daemon_options.h"

namespace torvane::service {
namespace {

std::optional<DaemonOptions> Parse(std::vector<const char*> args, std::string& error) {
    args.insert(args.begin(), "torvaned");
    return ParseDaemonOptions(static_cast<int>(args.size()), args.data(), error);
}

TEST(BridgeOptions, SetTheBrokerTopicsAndDiscovery) {
    std::string error;
    auto options = Parse({"--demo", "--mqtt", "broker.local", "--mqtt-prefix", "building/av",
                          "--mqtt-id", "hall", "--ha-discovery", "--mqtt-user", "av",
                          "--mqtt-password-file", "/etc/pw", "--refresh", "5"},
                         error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->mqtt.host, "broker.local");
    EXPECT_EQ(options->mqtt.port, 1883);
    EXPECT_EQ(options->mqtt.prefix, "building/av");
    EXPECT_EQ(options->mqtt.id, "hall");
    EXPECT_EQ(options->mqtt.discoveryPrefix, "homeassistant");
    EXPECT_EQ(options->mqtt.user, "av");
    EXPECT_EQ(options->mqtt.passwordFile, "/etc/pw");
    EXPECT_EQ(options->refreshSeconds, 5);

    options = Parse({"--demo", "--mqtt", "10.0.0.2:8883", "--ha-discovery=ha"}, error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->mqtt.port, 8883);
    EXPECT_EQ(options->mqtt.discoveryPrefix, "ha");
    EXPECT_EQ(options->mqtt.prefix, "torvane");
    EXPECT_TRUE(Parse({"--demo"}, error)->mqtt.host.empty());
}

TEST(BridgeOptions, RefuseWhatCannotBeATopicOrABroker) {
    const std::vector<std::pair<std::vector<const char*>, const char*>> cases = {
        {{"--demo", "--mqtt", ":1883"}, "--mqtt needs HOST[:PORT]"},
        {{"--demo", "--mqtt", "host:0"}, "bad port in host:0"},
        {{"--demo", "--mqtt", "host:99999"}, "bad port"},
        {{"--demo", "--mqtt", "h", "--mqtt-prefix", "a/+/b"}, "bad --mqtt-prefix"},
        {{"--demo", "--mqtt", "h", "--mqtt-prefix", "a//b"}, "bad --mqtt-prefix"},
        {{"--demo", "--mqtt", "h", "--mqtt-prefix", "/a"}, "bad --mqtt-prefix"},
        {{"--demo", "--mqtt", "h", "--mqtt-id", "a/b"}, "bad --mqtt-id"},
        {{"--demo", "--mqtt", "h", "--mqtt-id", "#"}, "bad --mqtt-id"},
        {{"--demo", "--mqtt", "h", "--ha-discovery="}, "bad --ha-discovery="},
        {{"--demo", "--ha-discovery"}, "need --mqtt HOST[:PORT]"},
        {{"--demo", "--mqtt-id", "hall"}, "need --mqtt HOST[:PORT]"},
        {{"--demo", "--refresh", "0"}, "bad --refresh 0"},
        {{"--demo", "--refresh", "3601"}, "bad --refresh"},
        {{"--demo", "--mqtt"}, "--mqtt needs a value"},
    };
    for (const auto& [args, reason] : cases) {
        std::string error;
        EXPECT_FALSE(Parse(args, error)) << args.back();
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace torvane::service
