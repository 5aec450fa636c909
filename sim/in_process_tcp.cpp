#include <algorithm>

#include "links/socket_calls.h"
#include "sim/in_process_ports.h"

namespace torvane::sim {
namespace {
constexpr std::size_t kReadSize = 1024;  // what one read of the program takes
}

SimTcpControlSocket::~SimTcpControlSocket() {
    *alive_ = false;
    Close();
}

Status SimTcpControlSocket::Connect(const std::string& ipv4, std::uint16_t port,
                                    TcpSocketEvents* events) {
    Close();
    events_ = events;
    const unsigned attempt = attempt_;
    Liveness alive = alive_;
    factory_.Loop().Post([this, alive, attempt, ipv4, port] {
        if (!*alive || attempt != attempt_ || events_ == nullptr) return;
        SimLinkFactory::Switcher* switcher = factory_.FindByTcpEndpoint(ipv4, port);
        if (switcher == nullptr || !switcher->accepting) {
            events_->OnTcpConnect(sockets::SocketError(sockets::RefusedError()));
            return;
        }
        switcher_ = switcher;
        switcher->connections.push_back(this);
        EventLoop& loop = factory_.Loop();
        link_ = switcher->model->Attach(LinkKind::kTcp, [this, &loop, alive](const auto& chunk) {
            loop.Post([this, alive, chunk, attempt = attempt_] {
                if (!*alive || attempt != attempt_ || !link_ || events_ == nullptr) return;
                for (std::size_t at = 0; at < chunk.size(); at += kReadSize) {
                    const std::size_t n = std::min(kReadSize, chunk.size() - at);
                    events_->OnTcpRead(chunk.data() + at, static_cast<long>(n));
                }
            });
        });
        events_->OnTcpConnect({});
    });
    return {};
}

void SimTcpControlSocket::Disconnect() {
    link_.reset();
    if (switcher_ != nullptr) factory_.Forget(this);
    switcher_ = nullptr;
}

void SimTcpControlSocket::Close() {
    ++attempt_;
    Disconnect();
}

long SimTcpControlSocket::Send(const std::uint8_t* bytes, std::size_t count) {
    if (!link_) {
        errno = ENOTCONN;
        return -1;
    }
    link_->Write(bytes, count);
    return static_cast<long>(count);
}

void SimTcpControlSocket::DroppedByPeer() {
    Disconnect();
    const unsigned attempt = attempt_;
    Liveness alive = alive_;
    factory_.Loop().Post([this, alive, attempt] {
        if (*alive && attempt == attempt_ && events_ != nullptr) events_->OnTcpClose();
    });
}

}  // namespace torvane::sim
