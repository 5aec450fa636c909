#pragma once
// The service's answer to every HTTP request: the web page's files, the
// API's reads, and the switcher's commands through the one command path,
// behind the service's rules: a token for every change where the service
// listens beyond loopback, no writes from another origin, and on loopback no
// Host but a loopback one (a page elsewhere cannot rename itself to reach us).

#include <functional>
#include <string>

#include "service/api_request.h"
#include "service/http_exchange.h"
#include "service/switcher_commands.h"
#include "service/web_files.h"

namespace torvane::service {

struct AccessRules {
    // Listening beyond loopback: every change needs "Authorization: Bearer TOKEN".
    bool requireToken = false;
    std::string token;
};

class ApiService {
  public:
    ApiService(SwitcherCommands& commands, WebFiles web, AccessRules access);

    // GET /api/state's body (a JSON object), and GET /api/events' answer.
    void SetState(std::function<std::string()> stateJson) { stateJson_ = std::move(stateJson); }
    void SetEvents(HttpHandler events) { events_ = std::move(events); }
    void SetLinkUp(std::function<bool()> linkUp) { linkUp_ = std::move(linkUp); }
    // Why the link is down ("" when it is up), for GET /api/health.
    void SetLinkProblem(std::function<std::string()> problem) { linkProblem_ = std::move(problem); }
    // The names a request may use for inputs and outputs now.
    void SetNames(std::function<PortNames()> names) { names_ = std::move(names); }

    void Handle(const HttpRequest& request, const Respond& respond);

  private:
    void HandleApi(const HttpRequest& request, const Respond& respond);
    // Why `request` may not change anything, or "" when it may.
    CallOutcome Refusal(const HttpRequest& request, bool changes) const;

    SwitcherCommands& commands_;
    WebFiles web_;
    AccessRules access_;
    std::function<std::string()> stateJson_;
    HttpHandler events_;
    std::function<bool()> linkUp_;
    std::function<std::string()> linkProblem_;
    std::function<PortNames()> names_;
};

}  // namespace torvane::service
