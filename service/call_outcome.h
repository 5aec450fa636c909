#pragma once
// What a client is answered for a call: a status, a JSON body with "ok", and
// any headers the status asks for.

#include <string>
#include <utility>
#include <vector>

#include "platform/result.h"

namespace torvane::service {

struct CallOutcome {
    int status = 200;
    std::string body;  // a JSON object with "ok"
    std::vector<std::pair<std::string, std::string>> headers;
};

// The status and JSON body of a failure: `kind` names it for programs,
// `message` for people.
CallOutcome FailureOutcome(int status, const std::string& kind, const std::string& message);
// A failure the core reported, with the status its kind stands for.
CallOutcome FailureOutcome(const Error& error);

}  // namespace torvane::service
