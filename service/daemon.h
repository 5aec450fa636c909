#pragma once
// torvaned put together: the window model headless on the service's loop,
// holding one link to the switcher kept alive by the connection supervisor
// (reopened after growing waits, its state read again, refreshed while
// idle), the operations over it, the one command path, the switcher's
// profile, the API and the HTTP server. The links come from the caller (the
// system's, or a simulated switcher's for --demo).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/operations.h"
#include "app/profile_binding.h"
#include "app/switcher_profile.h"
#include "app/torvane_app.h"
#include "platform/event_loop.h"
#include "service/api_service.h"
#include "service/event_hub.h"
#include "service/http_server.h"
#include "service/state_json.h"
#include "service/switcher_commands.h"

namespace torvane::service {

struct DaemonSettings {
    LinkChoice link;
    sockaddr_in listen{};
    AccessRules access;
    WebFiles web;
    std::size_t queueLimit = SwitcherCommands::kDefaultQueueLimit;
    HttpLimits http;
    // A silent switcher is noticed by a query on a link idle this long, and
    // the state is read again this often, so changes made at the switcher
    // reach every client.
    SupervisorSettings supervision{true, 10000, 5000};
    // Where the switchers' profiles are kept; "" for none (no names, no presets).
    std::string profileFolder;
};

class Daemon {
  public:
    Daemon(EventLoop& loop, LinkFactory& links, DaemonSettings settings);
    ~Daemon();

    // Listens, then opens the link; the port bound.
    Result<std::uint16_t> Start();
    // Opens the link without listening, for whoever hands requests to Api().
    void OpenLink() { Connect(); }
    ApiService& Api() { return *api_; }

    bool LinkUp() const;
    // What every client of the event stream hears; a bridge publishes and
    // listens here too.
    EventHub& Events() { return *events_; }
    SwitcherCommands& Commands() { return *commands_; }
    // The window model holding the link: its state, its link and its
    // supervisor, for a bridge that publishes them.
    CTorvaneDlg& Window() { return *dlg_; }
    // Why the link is down, when it is.
    const std::string& LinkProblem() const { return linkProblem_; }
    // GET /api/state's body: the state the switcher confirmed, the link, the
    // names and presets.
    std::string StateJson() const;
    // Called with every problem the link meets, for the log.
    void OnLinkProblem(std::function<void(const std::string&)> log) { log_ = std::move(log); }

  private:
    // The first connection: tried again after the supervisor's growing waits
    // until it opens; from then on the supervisor keeps the link.
    void Connect();
    void OnLinkState(LinkState state);
    LinkView Link() const;
    // The link's state as events tell it, once for each change.
    void TellLink();
    const profile::Profile* KnownProfile() const;

    EventLoop& loop_;
    DaemonSettings settings_;
    CTorvaneApp app_;
    CTorvaneDlg* dlg_ = nullptr;
    SwitcherProfile profile_;
    std::optional<ProfileBinding> binding_;
    std::optional<Operations> ops_;
    std::optional<SwitcherCommands> commands_;
    std::optional<EventHub> events_;
    std::string toldLink_;  // the last link event
    std::optional<ApiService> api_;
    std::optional<HttpServer> server_;
    std::string linkProblem_ = "connecting";
    std::function<void(const std::string&)> log_;
    EventLoop::TimerId retry_ = 0;
    int attempts_ = 0;
    int stateListener_ = 0;
    int linkListener_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace torvane::service
