#pragma once
// The service's HTTP server on the core's loop: libmicrohttpd without threads
// of its own, its epoll descriptor watched by the loop and its time-outs run
// as loop timers. Requests reach an HttpHandler read whole and bounded; a
// handler may answer later (the connection waits, suspended) or open a
// stream.

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "platform/event_loop.h"
#include "platform/result.h"
#include "service/http_exchange.h"

struct MHD_Daemon;
struct MHD_Connection;

namespace torvane::service {

struct HttpLimits {
    std::size_t maxBody = 64 * 1024;
    // The request line and headers of one connection share this much memory;
    // the library answers a longer head with 431 itself.
    std::size_t headMemory = 16 * 1024;
    unsigned maxConnections = 256;
    unsigned idleTimeoutSeconds = 60;
};

class HttpServer {
  public:
    HttpServer(EventLoop& loop, HttpHandler handler, HttpLimits limits = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Listens on `address` (port 0: a free one); the port bound.
    Result<std::uint16_t> Listen(const sockaddr_in& address);
    void Stop();

    struct Connection;
    struct Stream;

  private:
    friend struct HttpServerCallbacks;
    void Run();
    void PostRun();
    void ArmTimeout();
    // Hands `answer` to the library for `connection`; false when it refused.
    bool Queue(MHD_Connection* connection, HttpResponse answer);

    EventLoop& loop_;
    HttpHandler handler_;
    HttpLimits limits_;
    MHD_Daemon* daemon_ = nullptr;
    EventLoop::WatchId watch_ = 0;
    EventLoop::TimerId timer_ = 0;
    bool runPosted_ = false;
    // Connections waiting for an answer or for stream data; the library
    // must have them back before it stops.
    std::set<MHD_Connection*> suspended_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace torvane::service
