#include "service/api_service.h"

#include <nlohmann/json.hpp>

namespace torvane::service {
namespace {

HttpResponse Answer(const CallOutcome& outcome) {
    HttpResponse response;
    response.status = outcome.status;
    response.body = outcome.body;
    response.headers = outcome.headers;
    return response;
}

// The host part of a Host header: "[::1]:8080" -> "[::1]", "a:80" -> "a".
std::string HostName(const std::string& host) {
    if (!host.empty() && host[0] == '[') return host.substr(0, host.find(']') + 1);
    return host.substr(0, host.find(':'));
}

bool LoopbackHost(const std::string& host) {
    const std::string name = HostName(host);
    return name == "localhost" || name == "[::1]" || name.rfind("127.", 0) == 0;
}

// Compares without stopping at the first difference, so the time taken
// tells nothing of how much of a guess was right.
bool SameSecret(const std::string& a, const std::string& b) {
    unsigned char differ = a.size() == b.size() ? 0 : 1;
    for (std::size_t i = 0; i < a.size(); ++i)
        differ |= static_cast<unsigned char>(a[i] ^ (i < b.size() ? b[i] : 0));
    return differ == 0;
}

}  // namespace

ApiService::ApiService(SwitcherCommands& commands, WebFiles web, AccessRules access)
    : commands_(commands), web_(std::move(web)), access_(std::move(access)) {}

CallOutcome ApiService::Refusal(const HttpRequest& request, bool changes) const {
    const std::string host = request.Header("host");
    if (!access_.requireToken && !LoopbackHost(host))
        return FailureOutcome(403, "forbidden", "this service answers on loopback names only");
    if (!changes) return {};
    const std::string origin = request.Header("origin");
    if (!origin.empty() && origin != "http://" + host)
        return FailureOutcome(403, "forbidden", "changes from another origin are refused");
    if (access_.requireToken &&
        !SameSecret(request.Header("authorization"), "Bearer " + access_.token)) {
        CallOutcome refused = FailureOutcome(401, "unauthorized", "a change needs the token");
        refused.headers.emplace_back("WWW-Authenticate", "Bearer");
        return refused;
    }
    return {};
}

void ApiService::Handle(const HttpRequest& request, const Respond& respond) {
    if (request.path.rfind("/api/", 0) == 0) return HandleApi(request, respond);
    const CallOutcome refused = Refusal(request, false);
    if (!refused.body.empty()) return respond(Answer(refused));
    auto file = web_.find(request.path);
    if (file == web_.end() || request.path == kOpenApiPath)
        return respond(Answer(FailureOutcome(404, "not-found", "no such page: " + request.path)));
    if (request.method != "GET" && request.method != "HEAD")
        return respond(Answer(FailureOutcome(405, "bad-method", "the page is read with GET")));
    HttpResponse page;
    page.contentType = file->second.contentType;
    page.body = file->second.body;
    page.headers = {{"Cache-Control", "no-cache"},
                    {"X-Content-Type-Options", "nosniff"},
                    {"Content-Security-Policy",
                     "default-src 'self'; connect-src 'self'; frame-ancestors 'none'"}};
    respond(std::move(page));
}

void ApiService::HandleApi(const HttpRequest& request, const Respond& respond) {
    auto read = ReadApiCall(request, names_ ? names_() : PortNames{});
    if (auto* refusal = std::get_if<ApiRefusal>(&read)) {
        const char* kind = refusal->status == 404   ? "not-found"
                           : refusal->status == 405 ? "bad-method"
                                                    : "bad-input";
        return respond(Answer(FailureOutcome(refusal->status, kind, refusal->message)));
    }
    const ApiCall& call = std::get<ApiCall>(read);
    const CallOutcome refused = Refusal(request, call.changes);
    if (!refused.body.empty()) return respond(Answer(refused));
    switch (call.action) {
        case ApiAction::kHealth: {
            const bool up = linkUp_ && linkUp_();
            nlohmann::json body = {{"ok", true},
                                   {"link", up ? "up" : "down"},
                                   {"waiting", commands_.Waiting()},
                                   {"version", TORVANE_VERSION}};
            if (!up && linkProblem_) body["problem"] = linkProblem_();
            return respond(Answer(
                {200, body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), {}}));
        }
        case ApiAction::kOpenApi: {
            HttpResponse document;
            document.body = web_.at(kOpenApiPath).body;
            return respond(std::move(document));
        }
        case ApiAction::kState:
            if (!stateJson_)
                return respond(Answer(FailureOutcome(503, "link-down", "no state yet")));
            return respond(Answer({200, stateJson_(), {}}));
        case ApiAction::kEvents:
            if (!events_)
                return respond(Answer(FailureOutcome(404, "not-found", "no event stream")));
            return events_(request, respond);
        default:
            break;
    }
    commands_.Run(call, [respond](const CallOutcome& outcome) { respond(Answer(outcome)); });
}

}  // namespace torvane::service
