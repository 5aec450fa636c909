#pragma once
// torvaned put together: the window model headless on the service's loop,
// holding one link to the switcher, the operations over it, the one command
// path, the API and the HTTP server. The links come from the caller (the
// system's, or a simulated switcher's for --demo).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/operations.h"
#include "app/torvane_app.h"
#include "platform/event_loop.h"
#include "service/api_service.h"
#include "service/event_hub.h"
#include "service/http_server.h"
#include "service/switcher_commands.h"

namespace torvane::service {

struct DaemonSettings {
    LinkChoice link;
    sockaddr_in listen{};
    AccessRules access;
    WebFiles web;
    std::size_t queueLimit = SwitcherCommands::kDefaultQueueLimit;
    HttpLimits http;
    // A lost link is reopened by itself; the state is read again every so
    // often only when asked.
    SupervisorSettings supervision;
};

class Daemon {
  public:
    Daemon(EventLoop& loop, LinkFactory& links, DaemonSettings settings);
    ~Daemon();

    // Listens, then opens the link; the port bound.
    Result<std::uint16_t> Start();

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
    // Called with every problem the link meets, for the log.
    void OnLinkProblem(std::function<void(const std::string&)> log) { log_ = std::move(log); }

  private:
    void Connect();
    // The link's state as events and GET /api/state tell it.
    std::string LinkJson() const;
    void TellLink();

    EventLoop& loop_;
    DaemonSettings settings_;
    CTorvaneApp app_;
    CTorvaneDlg* dlg_ = nullptr;
    std::optional<Operations> ops_;
    std::optional<SwitcherCommands> commands_;
    std::optional<EventHub> events_;
    std::string toldLink_;  // the last link event
    std::optional<ApiService> api_;
    std::optional<HttpServer> server_;
    std::string linkProblem_ = "connecting";
    std::function<void(const std::string&)> log_;
    EventLoop::TimerId retry_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace torvane::service
