#include "service/daemon_options.h"

#include <arpa/inet.h>

#include <cstdlib>

namespace torvane::service {
namespace {

std::optional<std::uint16_t> ReadPort(const std::string& text, bool zeroAllowed) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const long port = std::strtol(text.c_str(), nullptr, 10);
    if (port > 65535 || (port == 0 && !zeroAllowed)) return std::nullopt;
    return static_cast<std::uint16_t>(port);
}

bool ReadListen(const std::string& text, sockaddr_in& into) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos) return false;
    std::string host = text.substr(0, colon);
    if (host == "localhost") host = "127.0.0.1";
    const auto port = ReadPort(text.substr(colon + 1), true);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (!port || inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) return false;
    address.sin_port = htons(*port);
    into = address;
    return true;
}

// A topic prefix: levels split by '/', none empty, no wildcards.
bool TopicLevelsValid(const std::string& text) {
    if (text.empty() || text.front() == '/' || text.back() == '/' ||
        text.find("//") != std::string::npos)
        return false;
    for (char c : text)
        if (c == '+' || c == '#' || static_cast<unsigned char>(c) < 0x20) return false;
    return true;
}

}  // namespace

bool DaemonOptions::ListensOnLoopback() const {
    return (ntohl(listen.sin_addr.s_addr) >> 24) == 127;
}

std::optional<DaemonOptions> ParseDaemonOptions(int argc, const char* const* argv,
                                                std::string& error) {
    DaemonOptions options;
    ReadListen(options.listenText, options.listen);
    int links = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            into = argv[++i];
            return true;
        };
        if (arg == "--help") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--demo") {
            options.link = DaemonOptions::Link::kDemo;
            ++links;
        } else if (arg == "--serial") {
            if (!value(options.serialPath)) return std::nullopt;
            options.link = DaemonOptions::Link::kSerial;
            ++links;
        } else if (arg == "--tcp") {
            std::string text;
            if (!value(text)) return std::nullopt;
            const auto colon = text.rfind(':');
            options.host = text.substr(0, colon);
            if (colon != std::string::npos) {
                const auto port = ReadPort(text.substr(colon + 1), false);
                if (!port) {
                    error = "bad port in " + text + ": 1 to 65535";
                    return std::nullopt;
                }
                options.port = *port;
            }
            if (options.host.empty()) {
                error = "--tcp needs HOST[:PORT]";
                return std::nullopt;
            }
            options.link = DaemonOptions::Link::kTcp;
            ++links;
        } else if (arg == "--listen") {
            if (!value(options.listenText)) return std::nullopt;
            if (!ReadListen(options.listenText, options.listen)) {
                error = "bad --listen " + options.listenText + ": an IPv4 ADDRESS:PORT";
                return std::nullopt;
            }
        } else if (arg == "--token-file") {
            if (!value(options.tokenFile)) return std::nullopt;
        } else if (arg == "--web-root") {
            if (!value(options.webRoot)) return std::nullopt;
        } else if (arg == "--refresh") {
            std::string text;
            if (!value(text)) return std::nullopt;
            const auto seconds = ReadPort(text, false);
            if (!seconds || *seconds > 3600) {
                error = "bad --refresh " + text + ": 1 to 3600 seconds";
                return std::nullopt;
            }
            options.refreshSeconds = *seconds;
        } else if (arg == "--mqtt") {
            std::string text;
            if (!value(text)) return std::nullopt;
            const auto colon = text.rfind(':');
            options.mqtt.host = text.substr(0, colon);
            if (colon != std::string::npos) {
                const auto port = ReadPort(text.substr(colon + 1), false);
                if (!port) {
                    error = "bad port in " + text + ": 1 to 65535";
                    return std::nullopt;
                }
                options.mqtt.port = *port;
            }
            if (options.mqtt.host.empty()) {
                error = "--mqtt needs HOST[:PORT]";
                return std::nullopt;
            }
        } else if (arg == "--mqtt-user") {
            if (!value(options.mqtt.user)) return std::nullopt;
        } else if (arg == "--mqtt-password-file") {
            if (!value(options.mqtt.passwordFile)) return std::nullopt;
        } else if (arg == "--mqtt-cafile") {
            if (!value(options.mqtt.cafile)) return std::nullopt;
        } else if (arg == "--mqtt-prefix") {
            if (!value(options.mqtt.prefix)) return std::nullopt;
            if (!TopicLevelsValid(options.mqtt.prefix)) {
                error = "bad --mqtt-prefix " + options.mqtt.prefix +
                        ": topic levels without '+', '#' or empty levels";
                return std::nullopt;
            }
        } else if (arg == "--mqtt-id") {
            if (!value(options.mqtt.id)) return std::nullopt;
            if (!TopicLevelsValid(options.mqtt.id) ||
                options.mqtt.id.find('/') != std::string::npos) {
                error = "bad --mqtt-id " + options.mqtt.id + ": one topic level";
                return std::nullopt;
            }
        } else if (arg == "--ha-discovery") {
            options.mqtt.discoveryPrefix = "homeassistant";
        } else if (arg.rfind("--ha-discovery=", 0) == 0) {
            options.mqtt.discoveryPrefix = arg.substr(std::string("--ha-discovery=").size());
            if (!TopicLevelsValid(options.mqtt.discoveryPrefix)) {
                error = "bad " + arg + ": topic levels without '+', '#' or empty levels";
                return std::nullopt;
            }
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
    }
    if (options.help || options.version) return options;
    if (options.mqtt.host.empty() &&
        (!options.mqtt.user.empty() || !options.mqtt.passwordFile.empty() ||
         !options.mqtt.cafile.empty() || !options.mqtt.id.empty() ||
         !options.mqtt.discoveryPrefix.empty())) {
        error = "the --mqtt-... and --ha-discovery options need --mqtt HOST[:PORT]";
        return std::nullopt;
    }
    if (links != 1) {
        error = links ? "give one of --serial, --tcp and --demo"
                      : "torvaned needs --serial PATH, --tcp HOST[:PORT] or --demo";
        return std::nullopt;
    }
    return options;
}

const char* DaemonUsageText() {
    return "Usage: torvaned --serial PATH | --tcp HOST[:PORT] | --demo [OPTIONS]\n"
           "Shares one 8x8 HDMI matrix switcher with many clients: a JSON API over HTTP,\n"
           "server-sent events and a web page for phones and tablets.\n"
           "\n"
           "  --serial PATH         the switcher on this serial port\n"
           "  --tcp HOST[:PORT]     the switcher's TCP control port (default port 8000)\n"
           "  --demo                a simulated switcher inside the program\n"
           "  --listen ADDR:PORT    where to listen (default 127.0.0.1:8080; port 0: a free\n"
           "                        one); the address and port bound are printed on start\n"
           "  --token-file FILE     the token every change must present when listening\n"
           "                        beyond loopback, made (mode 0600) when missing (default\n"
           "                        $XDG_CONFIG_HOME/torvane/torvaned.token)\n"
           "  --web-root DIR        the web page's files (default: the installed ones)\n"
           "  --refresh S           read the switcher's state again every S seconds while\n"
           "                        idle, so changes made at its front panel are seen\n"
           "                        (default 5)\n"
           "  --mqtt HOST[:PORT]    publish the switcher on this MQTT broker (port 1883)\n"
           "                        and take commands from it\n"
           "  --mqtt-user U         the broker's user name\n"
           "  --mqtt-password-file F  the broker's password, the first line of F\n"
           "  --mqtt-cafile F       TLS to the broker, its certificate checked against F\n"
           "  --mqtt-prefix P       topics under P/ID/ (default torvane)\n"
           "  --mqtt-id ID          the switcher's ID in topics (default: its profile key)\n"
           "  --ha-discovery[=P]    Home Assistant discovery configs under P (default\n"
           "                        homeassistant)\n"
           "  --help                this text\n"
           "  --version             the version\n";
}

}  // namespace torvane::service
