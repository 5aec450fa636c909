#pragma once
// One HTTP exchange as the service's routes see it: the request already read
// and bounded by the server, and the answer the routes give. Nothing here
// knows the HTTP library, so the routes run in tests without sockets.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace torvane::service {

struct HttpRequest {
    std::string method;
    std::string path;  // without the query
    std::map<std::string, std::string> query;
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;
    bool fromLoopback = true;  // the peer's address

    std::string Header(const std::string& lowerName) const {
        auto it = headers.find(lowerName);
        return it == headers.end() ? std::string() : it->second;
    }
};

// A response body that stays open and is written as things happen (server-sent
// events). The server calls the closed callback when the client has gone.
class ResponseStream {
  public:
    virtual ~ResponseStream() = default;
    virtual void Write(const std::string& data) = 0;
    virtual void Close() = 0;
};

struct HttpResponse {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    // Set for a streamed response: called with the open stream once the head
    // is sent; the stream's owner learns of the client leaving through
    // `streamClosed`, which the server calls at most once.
    std::function<void(std::shared_ptr<ResponseStream>)> streamOpened;
    std::function<void()> streamClosed;
};

using Respond = std::function<void(HttpResponse)>;
// Answers `request` through `respond`, exactly once, now or later on the
// loop's thread.
using HttpHandler = std::function<void(const HttpRequest& request, Respond respond)>;

}  // namespace torvane::service
