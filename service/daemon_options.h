#pragma once
// The command line of torvaned.

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string>

namespace torvane::service {

// Where and how the MQTT bridge publishes; off while `host` is empty.
struct MqttChoice {
    std::string host;
    std::uint16_t port = 1883;
    std::string user;
    std::string passwordFile;
    std::string cafile;
    std::string prefix = "torvane";
    std::string discoveryPrefix;  // "" for no Home Assistant discovery
    std::string id;               // "" for the switcher's profile key
};

struct DaemonOptions {
    enum class Link { kSerial, kTcp, kDemo };
    Link link = Link::kDemo;
    std::string serialPath;
    std::string host;
    std::uint16_t port = 8000;
    sockaddr_in listen{};  // 127.0.0.1:8080 unless given
    std::string listenText = "127.0.0.1:8080";
    std::string tokenFile;  // "" for the default place
    std::string webRoot;    // "" for the installed page
    // The state is read again this often while idle, so changes made at the
    // switcher's front panel reach every client.
    int refreshSeconds = 5;
    MqttChoice mqtt;
    bool help = false;
    bool version = false;

    bool ListensOnLoopback() const;
};

// Parses argv; on a usage error returns nothing and sets `error`.
std::optional<DaemonOptions> ParseDaemonOptions(int argc, const char* const* argv,
                                                std::string& error);

const char* DaemonUsageText();

}  // namespace torvane::service
