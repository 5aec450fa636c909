#include "sim/posix_tcp_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "links/ipv4_address.h"
#include "links/ipv4_sockaddr.h"

namespace torvane::sim {
namespace {
constexpr unsigned kReadEvents = EventLoop::kReadable;
}

PosixTcpServer::~PosixTcpServer() { Close(); }

void PosixTcpServer::Close() {
    StopListening();
    while (!connections_.empty()) Close(connections_.begin()->first);
}

void PosixTcpServer::StopListening() {
    if (listenWatch_ != 0) loop_.Unwatch(listenWatch_);
    listenWatch_ = 0;
    listener_.Reset();
}

bool PosixTcpServer::Listen(const std::string& ip, std::uint16_t port, std::string* error) {
    const auto octets = ParseIpv4(ip);
    if (!octets) {
        *error = "not an IPv4 address: " + ip;
        return false;
    }
    sockaddr_in address = sockets::Ipv4Sockaddr<sockaddr_in>(*octets, port);
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM, 0));
    const int on = 1;
    if (!fd.Valid() || ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd.Get(), 8) != 0 || !SetNonBlocking(fd.Get())) {
        *error =
            "cannot listen on " + ip + ":" + std::to_string(port) + ": " + std::strerror(errno);
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&address), &length);
    StopListening();
    listener_ = std::move(fd);
    ip_ = ip;
    port_ = ntohs(address.sin_port);
    listenWatch_ = loop_.WatchFd(listener_.Get(), kReadEvents, [this](unsigned) { Accept(); });
    return true;
}

void PosixTcpServer::Accept() {
    for (;;) {
        UniqueFd fd(::accept(listener_.Get(), nullptr, nullptr));
        if (!fd.Valid()) return;
        const int on = 1;
        ::setsockopt(fd.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (!SetNonBlocking(fd.Get())) continue;

        const int id = nextId_++;
        auto connection = std::make_unique<Connection>();
        connection->fd = std::move(fd);
        connection->watch =
            loop_.WatchFd(connection->fd.Get(), kReadEvents,
                          [this, id](unsigned events) { OnConnectionEvents(id, events); });
        // A broken write closes the connection on the loop's next turn, not
        // inside the writer.
        connection->writer = std::make_unique<ByteStreamWriter>(
            loop_, connection->fd.Get(), connection->watch, kReadEvents,
            [this, id] { loop_.Post([this, id] { Close(id); }); });
        ByteStreamWriter* writer = connection->writer.get();
        connection->link = model_.Attach(
            LinkKind::kTcp, [writer](const auto& chunk) { writer->Write(chunk); },
            [this, id] { Close(id); });
        connections_[id] = std::move(connection);
    }
}

void PosixTcpServer::OnConnectionEvents(int id, unsigned events) {
    auto it = connections_.find(id);
    if (it == connections_.end()) return;
    Connection& c = *it->second;
    if (events & EventLoop::kWritable) c.writer->OnWritable();
    if (!(events & (EventLoop::kReadable | EventLoop::kError))) return;
    std::uint8_t buffer[2048];
    const ssize_t n = ::recv(c.fd.Get(), buffer, sizeof buffer, 0);
    if (n > 0) {
        c.link->Write(buffer, static_cast<std::size_t>(n));
        return;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
    Close(id);
}

void PosixTcpServer::Close(int id) {
    auto it = connections_.find(id);
    if (it == connections_.end()) return;
    loop_.Unwatch(it->second->watch);
    connections_.erase(it);
}

}  // namespace torvane::sim
