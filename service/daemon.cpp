#include "service/daemon.h"

#include <nlohmann/json.hpp>

namespace torvane::service {
namespace {

// A link that could not open is tried again after this long.
constexpr int kRetryMs = 5000;

}  // namespace

Daemon::Daemon(EventLoop& loop, LinkFactory& links, DaemonSettings settings)
    : loop_(loop), settings_(std::move(settings)), app_(loop, links) {
    dlg_ = &app_.InitInstance(nullptr);
    dlg_->SetSupervision(settings_.supervision);
    ops_.emplace(app_, loop_);
    commands_.emplace(
        *ops_, [this] { return LinkUp(); }, settings_.queueLimit);
    events_.emplace(loop_);
    events_->SetSnapshot([this] { return LinkJson(); });
    commands_->AddListener([this](const ApiCall& call, const CallOutcome& outcome) {
        nlohmann::json told = nlohmann::json::parse(CallJson(call));
        told["status"] = outcome.status;
        told["outcome"] = nlohmann::json::parse(outcome.body, nullptr, false);
        events_->Publish("command",
                         told.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
        TellLink();
        // A command that found the link gone starts the way back.
        if (outcome.status == 503 && !LinkUp() && !retry_) Connect();
    });
    api_.emplace(*commands_, settings_.web, settings_.access);
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
    ops_->Connect(settings_.link,
                  [this, alive = std::weak_ptr<bool>(alive_)](const Completed<void>& done) {
                      if (alive.expired()) return;
                      if (done.result) {
                          linkProblem_.clear();
                          return;
                      }
                      linkProblem_ = done.result.error().message;
                      if (log_) log_(linkProblem_);
                      retry_ = loop_.StartTimer(kRetryMs, [this] { Connect(); });
                  });
}

std::string Daemon::LinkJson() const {
    nlohmann::json link = {{"link", LinkUp() ? "up" : "down"}};
    if (!LinkUp() && !linkProblem_.empty()) link["problem"] = linkProblem_;
    return link.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void Daemon::TellLink() {
    std::string link = LinkJson();
    if (link == toldLink_) return;
    toldLink_ = link;
    events_->Publish("link", link);
}

}  // namespace torvane::service
