#include "mqtt/mqtt_bridge.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <system_error>

#include "app/operation_routing.h"
#include "cli/watch_lines.h"
#include "mqtt/json_text.h"
#include "mqtt/published_state.h"
#include "profile/switcher_key.h"

namespace torvane::mqtt {
namespace {

using nlohmann::json;

// How long the switcher's network module gets to tell its MAC.
constexpr int kMacWaitMs = 1500;
// A reading of the whole state changes some forty values one answer after
// another: the document goes out once they have settled.
constexpr int kStateGatherMs = 20;

// Payloads quoted in the log: control characters (a forged log line) shown
// as '?'.
std::string Printable(const std::string& text) {
    std::string shown = text.substr(0, kMaxPayload);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return shown;
}

// What a command asked, as the event stream tells it.
json CommandJson(const BridgeCommand& command, const std::string& topic) {
    json told = {{"event", "command"}, {"command", topic}};
    switch (command.kind) {
        case BridgeCommand::Kind::kRoute:
            told["output"] = OutputLetter(command.output);
            told["input"] = command.input;
            break;
        case BridgeCommand::Kind::kArc:
            told["output"] = OutputLetter(command.output);
            told["on"] = command.on;
            break;
        default:
            told["on"] = command.on;
            break;
    }
    return told;
}

Error ErrorOf(const CommandOutcome& outcome) {
    if (outcome.kind == "refused") return {Error::Kind::kRefused, outcome.message};
    if (outcome.kind == "timed-out") return {Error::Kind::kTimedOut, outcome.message};
    if (outcome.kind == "link-lost") return {Error::Kind::kLinkLost, outcome.message};
    return {Error::Kind::kSystem, outcome.message};
}

}  // namespace

// A preset's routes and ARC changes through the one command path.
class MqttBridge::PresetCommands : public RoutingCommands {
  public:
    explicit PresetCommands(CommandPath& commands) : commands_(commands) {}
    void Route(int input, int output, Done done) override {
        Run({BridgeCommand::Kind::kRoute, output, input, false, {}}, done);
    }
    void SetArc(int output, bool on, Done done) override {
        Run({BridgeCommand::Kind::kArc, output, 0, on, {}}, done);
    }

  private:
    void Run(const BridgeCommand& command, const Done& done) {
        commands_.Run(command, [done](const CommandOutcome& outcome) {
            if (outcome.ok) return done({});
            done(ErrorOf(outcome));
        });
    }
    CommandPath& commands_;
};

MqttBridge::MqttBridge(EventLoop& loop, CTorvaneDlg& dlg, CommandPath& commands, LinkFactory& links,
                       std::optional<profile::ProfileStore> store, BridgeSettings settings,
                       ClientMaker makeClient, Log log)
    : loop_(loop),
      dlg_(dlg),
      commands_(commands),
      store_(std::move(store)),
      settings_(std::move(settings)),
      makeClient_(std::move(makeClient)),
      log_(std::move(log)),
      macQuery_(loop, links),
      presetCommands_(std::make_unique<PresetCommands>(commands)) {}

MqttBridge::~MqttBridge() {
    *alive_ = false;
    loop_.CancelTimer(profileTimer_);
    loop_.CancelTimer(stateTimer_);
    if (stateListener_) dlg_.State().RemoveListener(stateListener_);
    if (linkListener_) dlg_.RemoveLinkListener(linkListener_);
    presetRuns_.clear();
    client_.reset();
}

void MqttBridge::Start() {
    stateListener_ = dlg_.State().AddListener([this](const StateChange& c) { OnChange(c); });
    linkListener_ = dlg_.AddLinkListener([this](LinkState state) { OnLinkState(state); });
    profileTimer_ = loop_.StartTimer(settings_.profileCheckMs, [this] { CheckProfile(); });
    Identify();
    // Where the link stands already; its changes are told as they happen.
    if (const LinkState state = dlg_.Supervisor().State(); state != LinkState::kDisconnected)
        PublishEvent(Dump({{"event", "connection"}, {"state", LinkStateName(state)}}));
    if (LinkUp() != linkUp_) OnLinkChanged();
    CheckProfile();
}

void MqttBridge::OnLinkState(LinkState state) {
    // Every state in its order, however briefly it lasted.
    PublishEvent(Dump({{"event", "connection"}, {"state", LinkStateName(state)}}));
    // The rest reads the state and may start a reading: once the link's own
    // handling of the change is over.
    loop_.Post([this, alive = std::weak_ptr<bool>(alive_)] {
        if (alive.expired()) return;
        if (profileKey_.empty() || base_.empty()) Identify();
        if (LinkUp() != linkUp_) OnLinkChanged();
    });
}

void MqttBridge::CheckProfile() {
    if (ProfileFileChanged()) LoadProfile();
}

void MqttBridge::Identify() {
    if (profileKey_.empty()) {
        if (dlg_.SerialOpen()) {
            profileKey_ = profile::KeyForSerialPort(dlg_.SerialStableName());
        } else if (dlg_.TcpConnected() && !macAsked_) {
            macAsked_ = true;
            const std::string ip = dlg_.SwitcherIp();
            macQuery_.Ask(ip, dlg_.SwitcherDiscovery().Settings(), kMacWaitMs,
                          [this, ip](const Result<MacAddress>& mac) {
                              if (mac) {
                                  profileKey_ = profile::KeyForMac(*mac);
                                  return Identify();
                              }
                              log_("mqtt: the switcher at " + ip + " did not tell its MAC (" +
                                   mac.error().message + "); give --mqtt-id to name it");
                          });
        }
        if (!profileKey_.empty()) LoadProfile();
    }
    if (!base_.empty()) return;
    const std::string id = settings_.id.empty() ? profileKey_ : settings_.id;
    if (id.empty()) return;
    base_ = settings_.prefix + "/" + id;
    log_("mqtt: the switcher's topics are under " + base_ + "/");
    client_ = makeClient_("torvane-" + NodeId(id), base_ + "/availability");
    client_->SetHandlers({[this] { OnConnected(); },
                          {},
                          [this](const MqttMessage& message) { OnMessage(message); },
                          [this] { OnConnected(); }});
    for (const char* pattern :
         {"/output/+/input/set", "/output/+/arc/set", "/power/set", "/beep/set", "/preset/apply"})
        client_->Subscribe(base_ + pattern);
    // Home Assistant says online when it starts: its entities come from the
    // configs, so they are published again.
    if (!settings_.discoveryPrefix.empty())
        client_->Subscribe(settings_.discoveryPrefix + "/status");
    client_->Start();
}

bool MqttBridge::ProfileFileChanged() {
    if (!store_ || profileKey_.empty()) return false;
    std::error_code error;
    const auto written = std::filesystem::last_write_time(store_->PathOf(profileKey_), error);
    const std::optional<std::filesystem::file_time_type> now =
        error ? std::nullopt : std::optional(written);
    return now != profileWritten_;
}

void MqttBridge::LoadProfile() {
    if (!store_ || profileKey_.empty()) return;
    std::error_code error;
    const auto written = std::filesystem::last_write_time(store_->PathOf(profileKey_), error);
    profileWritten_ = error ? std::nullopt : std::optional(written);
    auto loaded = store_->Load(profileKey_);
    if (!loaded) {
        log_("mqtt: names and presets: " + loaded.error().message);
        return;
    }
    if (!loaded->notice.empty()) log_("mqtt: " + loaded->notice);
    if (loaded->profile == names_) return;
    names_ = loaded->profile;
    // The labels inputs are published under, the entities' names and the
    // preset buttons follow the names.
    PublishItems();
    PublishDiscovery();
    StateLater();
}

void MqttBridge::OnConnected() {
    PublishDiscovery();
    PublishItems();
    StateLater();
    PublishAvailability();
}

void MqttBridge::OnLinkChanged() {
    linkUp_ = LinkUp();
    if (!linkUp_) macAsked_ = false;
    PublishAvailability();
    StateLater();
    // The link's own opening reads power and beep only; the routing, ARC and
    // identity the bridge publishes are read once it is up.
    if (linkUp_ && !std::get_if<int>(&dlg_.State().Value(StateItem::kRoute, 1)))
        dlg_.ReadStateNow(true);
}

void MqttBridge::OnChange(const StateChange& change) {
    if (auto item = ItemTopic(dlg_.State(), change.what, change.index, names_))
        Publish(item->first, item->second);
    std::string line = cli::ChangeLine(change, true);
    while (!line.empty() && line.back() == '\n') line.pop_back();
    PublishEvent(line);
    if (change.what == StateItem::kDeviceType || change.what == StateItem::kVersion)
        PublishDiscovery();
    StateLater();
}

void MqttBridge::OnMessage(const MqttMessage& message) {
    if (!settings_.discoveryPrefix.empty() &&
        message.topic == settings_.discoveryPrefix + "/status") {
        if (message.payload == "online") OnConnected();
        return;
    }
    const std::string prefix = base_ + "/";
    if (base_.empty() || message.topic.rfind(prefix, 0) != 0) return;
    const std::string topic = message.topic.substr(prefix.size());
    if (message.retained) {
        // A command kept by the broker would run again at every connection.
        log_("mqtt: ignored a retained command on " + message.topic);
        return;
    }
    auto read = ReadBridgeCommand(topic, message.payload, names_);
    if (const auto* refused = std::get_if<Refusal>(&read)) {
        log_("mqtt: ignored " + message.topic + " \"" + Printable(message.payload) +
             "\": " + refused->reason);
        return;
    }
    Run(std::get<BridgeCommand>(read), topic);
}

void MqttBridge::Run(const BridgeCommand& command, const std::string& topic) {
    if (command.kind == BridgeCommand::Kind::kPreset) return ApplyPreset(command.preset);
    commands_.Run(command, [this, told = CommandJson(command, topic),
                            alive = std::weak_ptr<bool>(alive_)](const CommandOutcome& outcome) {
        if (alive.expired()) return;
        json event = told;
        event["ok"] = outcome.ok;
        if (!outcome.ok) event["error"] = {{"kind", outcome.kind}, {"message", outcome.message}};
        PublishEvent(Dump(event));
    });
}

void MqttBridge::ApplyPreset(const std::string& name) {
    const auto found = names_.presets.find(name);
    if (found == names_.presets.end()) return;
    auto run = std::make_unique<PresetRun>(
        *presetCommands_, found->second, RoutingOf(dlg_.State()), false,
        [this, name, alive = std::weak_ptr<bool>(alive_)](const PresetReport& report) {
            if (alive.expired()) return;
            json outputs = json::array();
            for (const auto& output : report.outputs)
                outputs.push_back({{"output", OutputLetter(output.output)},
                                   {"outcome", OutcomeWord(output.outcome)},
                                   {"detail", output.detail}});
            PublishEvent(Dump({{"event", "preset"},
                               {"preset", name},
                               {"ok", !report.AnyFailed()},
                               {"outputs", outputs}}));
            // The run ends after its report; it is let go once that is over.
            loop_.Post([this, alive] {
                if (alive.expired()) return;
                std::erase_if(presetRuns_, [](const auto& r) { return !r->Running(); });
            });
        });
    PresetRun& started = *run;
    presetRuns_.push_back(std::move(run));
    started.Start();
}

void MqttBridge::Publish(const std::string& topic, const std::string& payload, bool retain) {
    if (client_ && !base_.empty()) client_->Publish(base_ + "/" + topic, payload, retain);
}

void MqttBridge::PublishEvent(const std::string& json) { Publish("event", json, false); }

void MqttBridge::PublishAvailability() { Publish("availability", LinkUp() ? "online" : "offline"); }

void MqttBridge::PublishItems() {
    for (const auto& [topic, payload] : ItemTopics(dlg_.State(), names_)) Publish(topic, payload);
}

void MqttBridge::PublishDiscovery() {
    if (settings_.discoveryPrefix.empty() || !client_) return;
    const std::string id = settings_.id.empty() ? profileKey_ : settings_.id;
    const DiscoveryScope scope{settings_.discoveryPrefix, base_, NodeId(id)};
    std::vector<std::string> presetTopics;
    for (const auto& [name, preset] : names_.presets)
        presetTopics.push_back(PresetButtonTopic(scope, name));
    // A preset deleted or renamed takes its button with it. The broker may
    // not have heard that (it was away, or the message was dropped), so
    // every button gone is taken away again each time.
    for (const auto& old : presetTopics_)
        if (std::find(presetTopics.begin(), presetTopics.end(), old) == presetTopics.end() &&
            std::find(presetTopicsGone_.begin(), presetTopicsGone_.end(), old) ==
                presetTopicsGone_.end())
            presetTopicsGone_.push_back(old);
    std::erase_if(presetTopicsGone_, [&](const std::string& gone) {
        return std::find(presetTopics.begin(), presetTopics.end(), gone) != presetTopics.end();
    });
    for (const auto& gone : presetTopicsGone_) client_->Publish(gone, "", true);
    presetTopics_ = presetTopics;
    for (const auto& config : DiscoveryConfigs(scope, names_, dlg_.State()))
        client_->Publish(config.topic, config.payload, true);
}

void MqttBridge::StateLater() {
    if (stateTimer_) return;
    stateTimer_ = loop_.StartTimer(kStateGatherMs, [this] {
        loop_.CancelTimer(stateTimer_);
        stateTimer_ = 0;
        Publish("state", StateDocument(dlg_.State(), names_, LinkUp()));
    });
}

}  // namespace torvane::mqtt
