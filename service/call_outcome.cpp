#include "service/call_outcome.h"

#include "service/json_text.h"

namespace torvane::service {

CallOutcome FailureOutcome(int status, const std::string& kind, const std::string& message) {
    const nlohmann::json body = {{"ok", false}, {"error", {{"kind", kind}, {"message", message}}}};
    return {status, Dump(body), {}};
}

CallOutcome FailureOutcome(const Error& error) {
    switch (error.kind) {
        case Error::Kind::kBadInput:
            return FailureOutcome(400, "bad-input", error.message);
        case Error::Kind::kRefused:
            return FailureOutcome(409, "refused", error.message);
        case Error::Kind::kTimedOut:
            return FailureOutcome(504, "timed-out", error.message);
        case Error::Kind::kLinkLost:
            return FailureOutcome(503, "link-lost", error.message);
        case Error::Kind::kSystem:
            break;
    }
    return FailureOutcome(503, "link-down", error.message);
}

}  // namespace torvane::service
