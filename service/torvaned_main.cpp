// torvaned: one switcher shared on the network.

#include <fcntl.h>
#include <netinet/in.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "links/ipv4_address.h"
#include "links/ipv4_sockaddr.h"
#include "links/posix_link_factory.h"
#include "mqtt/mosquitto_client.h"
#include "mqtt/mqtt_bridge.h"
#include "platform/poll_loop.h"
#include "profile/profile_files.h"
#include "profile/profile_store.h"
#include "service/bridge_command_path.h"
#include "service/daemon.h"
#include "service/daemon_options.h"
#include "service/token_file.h"
#include "sim/in_process_links.h"
#include "sim/switcher_model.h"

namespace {

using namespace torvane;
using namespace torvane::service;

constexpr int kUsage = 2;
constexpr int kCannotStart = 3;

// A signal only writes a byte; the loop reads it and ends.
int stopPipe[2] = {-1, -1};

void StopOnSignal(int) {
    const char byte = 0;
    [[maybe_unused]] const auto written = ::write(stopPipe[1], &byte, 1);
}

// The installed page next to the program (PREFIX/bin -> PREFIX/share), else
// the one in the source tree this program was built from.
std::string DefaultWebRoot() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const auto installed = self.parent_path().parent_path() / "share/torvane/web";
        if (std::filesystem::exists(installed / "index.html", error)) return installed.string();
    }
    return TORVANE_WEB_SOURCE_DIR;
}

Result<std::string> TokenPath(const DaemonOptions& options) {
    if (!options.tokenFile.empty()) return options.tokenFile;
    auto folder =
        profile::ProfileStore::DefaultFolder([](const char* name) { return std::getenv(name); });
    if (!folder) return folder.error();
    if (auto made = profile::MakePrivateFolder(*folder); !made) return made.error();
    return *folder + "/torvaned.token";
}

// The broker's password: the first line of its file, so it is never on a
// command line other users can read.
Result<std::string> ReadPassword(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    if (!file || !std::getline(file, line))
        return SystemError("cannot read the MQTT password from " + path);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

// The user's configuration folder, where the window and torvanectl keep
// their profiles too; "" where there is none.
std::string DefaultProfileFolder() {
    auto folder =
        profile::ProfileStore::DefaultFolder([](const char* name) { return std::getenv(name); });
    return folder ? *folder : "";
}

std::optional<profile::ProfileStore> DefaultProfileStore() {
    const std::string folder = DefaultProfileFolder();
    if (folder.empty()) return std::nullopt;
    return profile::ProfileStore(folder);
}

int Serve(const DaemonOptions& options) {
    DaemonSettings settings;
    settings.listen = options.listen;
    settings.supervision.refreshMs = options.refreshSeconds * 1000;
    mqtt::BrokerSettings broker;
    if (!options.mqtt.host.empty()) {
        broker.host = options.mqtt.host;
        broker.port = options.mqtt.port;
        broker.user = options.mqtt.user;
        broker.cafile = options.mqtt.cafile;
        broker.willPayload = "offline";
        if (!options.mqtt.passwordFile.empty()) {
            auto password = ReadPassword(options.mqtt.passwordFile);
            if (!password) {
                std::cerr << "torvaned: " << password.error().message << "\n";
                return kCannotStart;
            }
            broker.password = *password;
        }
    }
    const std::string webRoot = options.webRoot.empty() ? DefaultWebRoot() : options.webRoot;
    auto web = LoadWebFiles(webRoot);
    if (!web) {
        std::cerr << "torvaned: " << web.error().message << "\n";
        return kCannotStart;
    }
    settings.web = std::move(*web);
    // Names and presets are the user's, shared with the window and torvanectl;
    // without a configuration folder the service runs without them.
    settings.profileFolder = DefaultProfileFolder();
    if (!options.ListensOnLoopback()) {
        auto path = TokenPath(options);
        auto token = path ? ReadOrCreateToken(*path) : Result<std::string>(path.error());
        if (!token) {
            std::cerr << "torvaned: " << token.error().message << "\n";
            return kCannotStart;
        }
        settings.access.requireToken = true;
        settings.access.token = *token;
        std::cout << "torvaned: changes need the token in " << *path << std::endl;
    }

    PollLoop loop;
    PosixLinkFactory systemLinks(loop);
    sim::SimLinkFactory demoLinks(loop);
    sim::SwitcherModel demoSwitcher(loop);
    LinkFactory* links = &systemLinks;
    switch (options.link) {
        case DaemonOptions::Link::kSerial:
            settings.link.serial = true;
            settings.link.serialPath = options.serialPath;
            // Listed even where the machine's enumeration does not find it (a
            // pseudo-terminal, say).
            systemLinks.AddExtraPort(
                {options.serialPath, "Serial port " + options.serialPath, "", ""});
            break;
        case DaemonOptions::Link::kTcp:
            settings.link.serial = false;
            settings.link.ipv4 = ResolveIpv4(options.host);
            settings.link.port = options.port;
            if (settings.link.ipv4.empty()) {
                std::cerr << "torvaned: unknown host " << options.host << "\n";
                return kCannotStart;
            }
            break;
        case DaemonOptions::Link::kDemo:
            demoLinks.AddSwitcher(demoSwitcher);
            links = &demoLinks;
            settings.link.serial = true;
            settings.link.serialPath = sim::kDefaultSerialPath;
            break;
    }

    Daemon daemon(loop, *links, std::move(settings));
    daemon.OnLinkProblem([](const std::string& problem) {
        std::cerr << "torvaned: link: " << problem << std::endl;
    });
    auto port = daemon.Start();
    if (!port) {
        std::cerr << "torvaned: cannot listen on " << options.listenText << ": "
                  << port.error().message << "\n";
        return kCannotStart;
    }
    // Tests and scripts that asked for a free port read it here.
    std::cout << "torvaned: listening on http://" << FormatIpv4(sockets::OctetsOf(options.listen))
              << ":" << *port << "/" << std::endl;
    BridgeCommandPath bridgeCommands(daemon.Commands());
    std::optional<mqtt::MqttBridge> bridge;
    if (!options.mqtt.host.empty()) {
        auto log = [](const std::string& line) { std::cerr << "torvaned: " << line << std::endl; };
        mqtt::BridgeSettings bridgeSettings;
        bridgeSettings.prefix = options.mqtt.prefix;
        bridgeSettings.discoveryPrefix = options.mqtt.discoveryPrefix;
        bridgeSettings.id = options.mqtt.id;
        bridge.emplace(
            loop, daemon.Window(), bridgeCommands, *links, DefaultProfileStore(), bridgeSettings,
            [&loop, broker, log](const std::string& clientId, const std::string& willTopic) {
                mqtt::BrokerSettings settings = broker;
                settings.clientId = clientId;
                settings.willTopic = willTopic;
                return std::make_unique<mqtt::MosquittoClient>(loop, settings, log);
            },
            log);
        bridge->Start();
    }
    if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        loop.WatchFd(stopPipe[0], EventLoop::kReadable, [&loop](unsigned) { loop.Quit(0); });
        std::signal(SIGINT, StopOnSignal);
        std::signal(SIGTERM, StopOnSignal);
    }
    std::signal(SIGPIPE, SIG_IGN);
    return loop.Run();
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = ParseDaemonOptions(argc, argv, error);
    if (!options) {
        std::cerr << "torvaned: " << error << "\n" << DaemonUsageText();
        return kUsage;
    }
    if (options->help) {
        std::cout << DaemonUsageText();
        return 0;
    }
    if (options->version) {
        std::cout << "torvaned " << TORVANE_VERSION << "\n";
        return 0;
    }
    return Serve(*options);
}
