#include "service/daemon.h"

#include <nlohmann/json.hpp>
#include <random>

#include "service/json_text.h"

namespace torvane::service {
namespace {

std::optional<profile::ProfileStore> StoreIn(const std::string& folder) {
    if (folder.empty()) return std::nullopt;
    return profile::ProfileStore(folder);
}

double Spread() {
    static std::mt19937 engine{std::random_device{}()};
    return std::uniform_real_distribution<double>(0.0, 1.0)(engine);
}

}  // namespace

Daemon::Daemon(EventLoop& loop, LinkFactory& links, DaemonSettings settings)
    : loop_(loop),
      settings_(std::move(settings)),
      app_(loop, links),
      profile_(StoreIn(settings_.profileFolder)) {
    dlg_ = &app_.InitInstance(nullptr);
    dlg_->SetSupervision(settings_.supervision);
    binding_.emplace(*dlg_, links, profile_);
    ops_.emplace(app_, loop_);
    commands_.emplace(
        *ops_, [this] { return LinkUp(); }, settings_.queueLimit);
    events_.emplace(loop_);
    events_->SetSnapshot([this] { return StateJson(); });
    stateListener_ = dlg_->State().AddListener(
        [this](const StateChange& change) { events_->Publish("change", ChangeJson(change)); });
    linkListener_ = dlg_->AddLinkListener([this](LinkState state) { OnLinkState(state); });
    commands_->AddListener([this](const ApiCall& call, const CallOutcome& outcome) {
        nlohmann::json told = nlohmann::json::parse(CallJson(call));
        told["status"] = outcome.status;
        told["outcome"] = nlohmann::json::parse(outcome.body, nullptr, false);
        events_->Publish("command", Dump(told));
        // Names and presets are no state of the switcher: a change of them is
        // told as the whole state.
        if (outcome.status == 200 && call.changes && ProfileCalls::Handles(call.action))
            events_->Publish("state", StateJson());
        TellLink();
    });
    commands_->SetProfile(profile_);
    api_.emplace(*commands_, settings_.web, settings_.access);
    api_->SetNames([this] {
        if (!profile_.Known()) return PortNames{};
        return PortNames{profile_.Current().inputNames, profile_.Current().outputNames};
    });
    api_->SetState([this] { return StateJson(); });
    api_->SetLinkUp([this] { return LinkUp(); });
    api_->SetLinkProblem([this] { return linkProblem_; });
    api_->SetEvents(
        [this](const HttpRequest& request, Respond respond) { events_->Open(request, respond); });
    server_.emplace(
        loop_,
        [this](const HttpRequest& request, Respond respond) { api_->Handle(request, respond); },
        settings_.http);
}

Daemon::~Daemon() {
    *alive_ = false;
    loop_.CancelTimer(retry_);
    dlg_->RemoveLinkListener(linkListener_);
    dlg_->State().RemoveListener(stateListener_);
    server_.reset();
}

bool Daemon::LinkUp() const { return dlg_->SerialOpen() || dlg_->TcpConnected(); }

Result<std::uint16_t> Daemon::Start() {
    auto port = server_->Listen(settings_.listen);
    if (port) Connect();
    return port;
}

void Daemon::Connect() {
    loop_.CancelTimer(retry_);
    retry_ = 0;
    ops_->Connect(
        settings_.link, [this, alive = std::weak_ptr<bool>(alive_)](const Completed<void>& done) {
            if (alive.expired()) return;
            if (done.result) {
                linkProblem_.clear();
                attempts_ = 0;
                dlg_->ReadStateNow(true);
                TellLink();
                return;
            }
            linkProblem_ = done.result.error().message;
            if (log_) log_(linkProblem_);
            TellLink();
            // A link lost once open is the supervisor's to reopen.
            if (dlg_->Supervisor().State() != LinkState::kDisconnected) return;
            retry_ =
                loop_.StartTimer(ConnectionSupervisor::WaitBefore(attempts_++, Spread()), [this] {
                    retry_ = 0;
                    Connect();
                });
        });
}

void Daemon::OnLinkState(LinkState state) {
    if (state == LinkState::kLost) {
        linkProblem_ = dlg_->Supervisor().LossReason();
        if (log_) log_(linkProblem_);
    } else if (state == LinkState::kConnected) {
        linkProblem_.clear();
    }
    TellLink();
}

LinkView Daemon::Link() const { return {LinkUp(), linkProblem_, &dlg_->Supervisor(), loop_.Now()}; }

const profile::Profile* Daemon::KnownProfile() const {
    return profile_.Known() ? &profile_.Current() : nullptr;
}

std::string Daemon::StateJson() const {
    return service::StateJson(dlg_->State(), Link(), KnownProfile());
}

void Daemon::TellLink() {
    // The time to the next attempt alone is no news.
    LinkView view = Link();
    view.now = dlg_->Supervisor().NextAttemptAt();
    std::string told = LinkJson(view);
    if (told == toldLink_) return;
    toldLink_ = told;
    events_->Publish("link", LinkJson(Link()));
}

}  // namespace torvane::service
