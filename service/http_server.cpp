#include "service/http_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <set>

namespace torvane::service {
namespace {

// A client that reads its event stream slower than events come is let go
// rather than holding the service's memory.
constexpr std::size_t kMaxStreamBacklog = 1024 * 1024;

MHD_Result Collect(void* cls, MHD_ValueKind, const char* key, const char* value) {
    auto& into = *static_cast<std::map<std::string, std::string>*>(cls);
    std::string name = key ? key : "";
    into[name] = value ? value : "";
    return MHD_YES;
}

MHD_Result CollectHeader(void* cls, MHD_ValueKind kind, const char* key, const char* value) {
    std::string name = key ? key : "";
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return Collect(cls, kind, name.c_str(), value);
}

bool PeerOnLoopback(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (!info || !info->client_addr || info->client_addr->sa_family != AF_INET) return false;
    const auto* peer = reinterpret_cast<const sockaddr_in*>(info->client_addr);
    return (ntohl(peer->sin_addr.s_addr) >> 24) == 127;
}

}  // namespace

struct HttpServer::Stream : ResponseStream {
    HttpServer* server = nullptr;
    std::weak_ptr<bool> serverAlive;
    MHD_Connection* connection = nullptr;
    std::string pending;
    bool closed = false;
    bool suspended = false;
    bool gone = false;
    std::function<void()> onClosed;

    void Write(const std::string& data) override {
        if (gone || closed) return;
        if (pending.size() + data.size() > kMaxStreamBacklog) return Close();
        pending += data;
        Wake();
    }
    void Close() override {
        closed = true;
        Wake();
    }
    void Wake() {
        if (!suspended || gone || serverAlive.expired()) return;
        suspended = false;
        server->suspended_.erase(connection);
        MHD_resume_connection(connection);
        server->PostRun();
    }

    static ssize_t Read(void* cls, std::uint64_t, char* buffer, std::size_t max) {
        Stream& s = **static_cast<std::shared_ptr<Stream>*>(cls);
        if (!s.pending.empty()) {
            const std::size_t n = std::min(max, s.pending.size());
            std::memcpy(buffer, s.pending.data(), n);
            s.pending.erase(0, n);
            return static_cast<ssize_t>(n);
        }
        if (s.closed) return MHD_CONTENT_READER_END_OF_STREAM;
        s.suspended = true;
        s.server->suspended_.insert(s.connection);
        MHD_suspend_connection(s.connection);
        return 0;
    }
    static void Free(void* cls) {
        auto* held = static_cast<std::shared_ptr<Stream>*>(cls);
        Stream& s = **held;
        s.gone = true;
        if (s.suspended && !s.serverAlive.expired()) s.server->suspended_.erase(s.connection);
        if (s.onClosed && !s.serverAlive.expired()) s.server->loop_.Post(std::move(s.onClosed));
        delete held;
    }
};

struct HttpServer::Connection {
    std::string body;
    bool tooLarge = false;
    bool handled = false;
    bool suspended = false;
    std::optional<HttpResponse> answer;
};

namespace {

struct ConnectionHolder {
    std::shared_ptr<HttpServer::Connection> connection;
};

}  // namespace

// libmicrohttpd's callbacks reach the server through these.
struct HttpServerCallbacks {
    static MHD_Result Access(void* cls, MHD_Connection* mhd, const char* url, const char* method,
                             const char*, const char* upload, std::size_t* uploadSize,
                             void** context) {
        auto& server = *static_cast<HttpServer*>(cls);
        if (!*context) {
            *context = new ConnectionHolder{std::make_shared<HttpServer::Connection>()};
            return MHD_YES;
        }
        const auto connection = static_cast<ConnectionHolder*>(*context)->connection;
        if (*uploadSize) {
            if (connection->body.size() + *uploadSize > server.limits_.maxBody)
                connection->tooLarge = true;
            else
                connection->body.append(upload, *uploadSize);
            *uploadSize = 0;
            return MHD_YES;
        }
        if (connection->answer)
            return server.Queue(mhd, std::move(*connection->answer)) ? MHD_YES : MHD_NO;
        if (connection->handled) return MHD_YES;  // resumed early; still waiting
        connection->handled = true;
        if (connection->tooLarge) {
            HttpResponse tooLarge;
            tooLarge.status = 413;
            tooLarge.body =
                R"({"ok":false,"error":{"kind":"bad-input","message":"request body too large"}})";
            return server.Queue(mhd, std::move(tooLarge)) ? MHD_YES : MHD_NO;
        }
        HttpRequest request;
        request.method = method ? method : "";
        request.path = url ? url : "";
        MHD_get_connection_values(mhd, MHD_GET_ARGUMENT_KIND, &Collect, &request.query);
        MHD_get_connection_values(mhd, MHD_HEADER_KIND, &CollectHeader, &request.headers);
        request.body = std::move(connection->body);
        request.fromLoopback = PeerOnLoopback(mhd);
        std::weak_ptr<HttpServer::Connection> weak = connection;
        server.handler_(request, [&server, weak, mhd,
                                  alive = std::weak_ptr<bool>(server.alive_)](HttpResponse r) {
            auto c = weak.lock();
            if (!c || alive.expired() || c->answer) return;
            c->answer = std::move(r);
            // An answer given while the handler runs is queued when it returns.
            if (!c->suspended) return;
            c->suspended = false;
            server.suspended_.erase(mhd);
            MHD_resume_connection(mhd);
            server.PostRun();
        });
        if (connection->answer)
            return server.Queue(mhd, std::move(*connection->answer)) ? MHD_YES : MHD_NO;
        connection->suspended = true;
        server.suspended_.insert(mhd);
        MHD_suspend_connection(mhd);
        return MHD_YES;
    }

    static void Completed(void*, MHD_Connection*, void** context, MHD_RequestTerminationCode) {
        delete static_cast<ConnectionHolder*>(*context);
        *context = nullptr;
    }
};

HttpServer::HttpServer(EventLoop& loop, HttpHandler handler, HttpLimits limits)
    : loop_(loop), handler_(std::move(handler)), limits_(limits) {}

HttpServer::~HttpServer() {
    Stop();
    *alive_ = false;
}

Result<std::uint16_t> HttpServer::Listen(const sockaddr_in& address) {
    Stop();
    sockaddr_in bind = address;
    errno = 0;
    daemon_ = MHD_start_daemon(
        MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME, ntohs(address.sin_port), nullptr, nullptr,
        &HttpServerCallbacks::Access, this, MHD_OPTION_SOCK_ADDR, &bind,
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, limits_.headMemory, MHD_OPTION_CONNECTION_LIMIT,
        limits_.maxConnections, MHD_OPTION_CONNECTION_TIMEOUT, limits_.idleTimeoutSeconds,
        MHD_OPTION_NOTIFY_COMPLETED, &HttpServerCallbacks::Completed, nullptr, MHD_OPTION_END);
    if (!daemon_) {
        const int error = errno;
        return SystemError(error ? std::strerror(error) : "the HTTP server could not start");
    }
    const MHD_DaemonInfo* epoll = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_EPOLL_FD);
    const MHD_DaemonInfo* port = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
    watch_ = loop_.WatchFd(epoll->epoll_fd, EventLoop::kReadable,
                           [this, alive = std::weak_ptr<bool>(alive_)](unsigned) {
                               if (!alive.expired()) Run();
                           });
    ArmTimeout();
    return static_cast<std::uint16_t>(port ? port->port : 0);
}

void HttpServer::Stop() {
    if (!daemon_) return;
    loop_.Unwatch(watch_);
    loop_.CancelTimer(timer_);
    // The library requires every suspended connection back before it stops.
    for (MHD_Connection* c : std::set<MHD_Connection*>(suspended_)) MHD_resume_connection(c);
    suspended_.clear();
    MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
}

void HttpServer::Run() {
    if (!daemon_) return;
    MHD_run(daemon_);
    ArmTimeout();
}

void HttpServer::PostRun() {
    if (runPosted_) return;
    runPosted_ = true;
    loop_.Post([this, alive = std::weak_ptr<bool>(alive_)] {
        if (alive.expired()) return;
        runPosted_ = false;
        Run();
    });
}

void HttpServer::ArmTimeout() {
    loop_.CancelTimer(timer_);
    timer_ = 0;
    MHD_UNSIGNED_LONG_LONG ms = 0;
    if (!daemon_ || MHD_get_timeout(daemon_, &ms) != MHD_YES) return;
    if (ms == 0) return PostRun();
    const int wait = static_cast<int>(std::min<MHD_UNSIGNED_LONG_LONG>(ms, 60000));
    timer_ = loop_.StartTimer(wait, [this, alive = std::weak_ptr<bool>(alive_)] {
        if (alive.expired()) return;
        loop_.CancelTimer(timer_);
        timer_ = 0;
        Run();
    });
}

bool HttpServer::Queue(MHD_Connection* mhd, HttpResponse answer) {
    MHD_Response* response = nullptr;
    std::shared_ptr<Stream> stream;
    if (answer.streamOpened) {
        stream = std::make_shared<Stream>();
        stream->server = this;
        stream->serverAlive = alive_;
        stream->connection = mhd;
        stream->onClosed = std::move(answer.streamClosed);
        response =
            MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 4096, &Stream::Read,
                                              new std::shared_ptr<Stream>(stream), &Stream::Free);
    } else {
        response = MHD_create_response_from_buffer(answer.body.size(), answer.body.data(),
                                                   MHD_RESPMEM_MUST_COPY);
    }
    if (!response) return false;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, answer.contentType.c_str());
    for (const auto& [name, value] : answer.headers)
        MHD_add_response_header(response, name.c_str(), value.c_str());
    const MHD_Result queued =
        MHD_queue_response(mhd, static_cast<unsigned>(answer.status), response);
    MHD_destroy_response(response);
    if (stream && queued == MHD_YES) answer.streamOpened(stream);
    return queued == MHD_YES;
}

}  // namespace torvane::service
