#pragma once
// The switcher on an MQTT broker. Its state is published under PREFIX/ID/
// as it changes (retained, so a newcomer sees it at once), every change and
// every command's outcome on PREFIX/ID/event, and its availability (online
// while the broker hears the bridge and the switcher's link is up; the
// broker's last will says offline). Commands published on the /set topics
// and preset/apply run through the service's one command path (the caller's
// CommandPath), as the HTTP API's do. With discovery on, Home Assistant finds the switcher as a
// device. The broker going away never touches the switcher's link: the
// bridge republishes everything once it is back.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/preset_apply.h"
#include "app/torvane_dlg.h"
#include "mqtt/bridge_commands.h"
#include "mqtt/ha_discovery.h"
#include "mqtt/mqtt_client.h"
#include "network/mac_query.h"
#include "platform/event_loop.h"
#include "profile/profile_store.h"

namespace torvane::mqtt {

struct BridgeSettings {
    std::string prefix = "torvane";
    std::string discoveryPrefix;  // "" for no discovery
    std::string id;               // "" for the switcher's profile key
    // How often the profile's file is looked at for names and presets
    // changed elsewhere (the window, torvanectl, the API).
    int profileCheckMs = 1000;
};

class MqttBridge {
  public:
    using Log = std::function<void(const std::string& line)>;
    // Makes the broker connection once the switcher's ID, and with it the
    // topic of the last will, is known.
    using ClientMaker = std::function<std::unique_ptr<MqttClient>(const std::string& clientId,
                                                                  const std::string& willTopic)>;

    MqttBridge(EventLoop& loop, CTorvaneDlg& dlg, CommandPath& commands, LinkFactory& links,
               std::optional<profile::ProfileStore> store, BridgeSettings settings,
               ClientMaker makeClient, Log log);
    ~MqttBridge();
    MqttBridge(const MqttBridge&) = delete;
    MqttBridge& operator=(const MqttBridge&) = delete;

    void Start();

    // PREFIX/ID, "" until the switcher is known.
    const std::string& Base() const { return base_; }
    MqttClient* Client() { return client_.get(); }

  private:
    class PresetCommands;

    void CheckProfile();
    void OnLinkState(LinkState state);
    void Identify();
    void LoadProfile();
    bool ProfileFileChanged();
    void OnConnected();
    void OnMessage(const MqttMessage& message);
    void Run(const BridgeCommand& command, const std::string& topic);
    void ApplyPreset(const std::string& name);
    void OnChange(const StateChange& change);
    void OnLinkChanged();

    void Publish(const std::string& topic, const std::string& payload, bool retain = true);
    void PublishEvent(const std::string& json);
    void PublishAvailability();
    void PublishItems();
    void PublishDiscovery();
    // The state document, once the changes arriving now have settled.
    void StateLater();
    bool LinkUp() const { return dlg_.SerialOpen() || dlg_.TcpConnected(); }

    EventLoop& loop_;
    CTorvaneDlg& dlg_;
    CommandPath& commands_;
    std::optional<profile::ProfileStore> store_;
    BridgeSettings settings_;
    ClientMaker makeClient_;
    Log log_;
    MacQuery macQuery_;
    std::unique_ptr<MqttClient> client_;
    std::unique_ptr<PresetCommands> presetCommands_;
    std::vector<std::unique_ptr<PresetRun>> presetRuns_;

    std::string base_;
    std::string profileKey_;
    bool macAsked_ = false;
    profile::Profile names_;
    std::optional<std::filesystem::file_time_type> profileWritten_;
    std::vector<std::string> presetTopics_;      // buttons published, to take away
    std::vector<std::string> presetTopicsGone_;  // buttons taken away
    std::string deviceShown_;                    // the device block's identity
    bool linkUp_ = false;
    EventLoop::TimerId stateTimer_ = 0;
    int stateListener_ = 0;
    EventLoop::TimerId profileTimer_ = 0;
    int linkListener_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace torvane::mqtt
