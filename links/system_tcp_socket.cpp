#include "links/system_tcp_socket.h"

namespace torvane {

SystemTcpControlSocket::SystemTcpControlSocket(EventLoop& loop) : loop_(loop) {}

SystemTcpControlSocket::~SystemTcpControlSocket() { Close(); }

std::shared_ptr<bool> SystemTcpControlSocket::NewAttempt() {
    if (current_) *current_ = false;
    current_ = std::make_shared<bool>(true);
    return current_;
}

void SystemTcpControlSocket::Unwatch() {
    if (watch_ != 0) loop_.Unwatch(watch_);
    watch_ = 0;
}

void SystemTcpControlSocket::Close() {
    NewAttempt();
    Unwatch();
    sockets::Close(socket_);
    socket_ = sockets::kNone;
    connecting_ = false;
    events_ = nullptr;
}

Status SystemTcpControlSocket::Connect(const std::string& ipv4, std::uint16_t port,
                                       TcpSocketEvents* events) {
    Close();
    socket_ = sockets::Open(sockets::Kind::kStream);
    if (socket_ == sockets::kNone) return sockets::SocketError(sockets::LastError());
    events_ = events;
    sockets::Enable(socket_, sockets::Option::kNoDelay);
    auto attempt = NewAttempt();

    const auto ip = ParseIpv4(ipv4);
    const int error = ip ? sockets::Connect(socket_, *ip, port) : sockets::NotAnAddressError();
    if (error != 0 && sockets::WouldBlock(error)) {
        connecting_ = true;
        watch_ = loop_.WatchFd(socket_, EventLoop::kWritable, [this](unsigned ev) { OnReady(ev); });
        return {};
    }
    // Settled at once (refused, unreachable, or connected on loopback): the
    // outcome still arrives as an event, after the caller has returned.
    loop_.Post([this, attempt, error] {
        if (*attempt) FinishConnect(error);
    });
    return {};
}

void SystemTcpControlSocket::FinishConnect(int error) {
    connecting_ = false;
    Unwatch();
    if (error == 0)
        watch_ = loop_.WatchFd(socket_, EventLoop::kReadable, [this](unsigned ev) { OnReady(ev); });
    if (events_) events_->OnTcpConnect(error == 0 ? Status() : Status(sockets::SocketError(error)));
}

void SystemTcpControlSocket::OnReady(unsigned events) {
    if (connecting_) {
        int error = sockets::ConnectOutcome(socket_);
        if (error == 0 && (events & EventLoop::kError)) error = sockets::RefusedError();
        FinishConnect(error);
        return;
    }
    std::uint8_t buffer[kReadSize];
    const long n = sockets::Receive(socket_, buffer, sizeof buffer);
    if (n > 0) {
        if (events_) events_->OnTcpRead(buffer, n);
        return;
    }
    if (n < 0) {
        const int error = sockets::LastError();
        if (sockets::WouldBlock(error) || sockets::Interrupted(error)) return;
    }
    // End of stream or a broken connection: one close event, then quiet.
    Unwatch();
    if (events_) events_->OnTcpClose();
}

long SystemTcpControlSocket::Send(const std::uint8_t* bytes, std::size_t count) {
    if (socket_ == sockets::kNone) return -1;
    return sockets::Send(socket_, bytes, count);
}

}  // namespace torvane
