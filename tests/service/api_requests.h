#pragma once
// A request as a browser on this machine sends it to the service's routes.

#include <string>

#include "service/http_exchange.h"

namespace torvane::service::test {

inline HttpRequest LoopbackRequest(const std::string& method, const std::string& path,
                                   const std::string& body = "") {
    HttpRequest r;
    r.method = method;
    r.path = path;
    r.body = body;
    r.headers["host"] = "127.0.0.1:8080";
    return r;
}

}  // namespace torvane::service::test
