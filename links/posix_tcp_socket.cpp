#include "links/posix_tcp_socket.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "links/ipv4_address.h"

namespace torvane {

PosixTcpControlSocket::PosixTcpControlSocket(EventLoop& loop) : loop_(loop) {}

PosixTcpControlSocket::~PosixTcpControlSocket() { Close(); }

std::shared_ptr<bool> PosixTcpControlSocket::NewAttempt() {
    if (current_) *current_ = false;
    current_ = std::make_shared<bool>(true);
    return current_;
}

void PosixTcpControlSocket::Unwatch() {
    if (watch_ != 0) loop_.Unwatch(watch_);
    watch_ = 0;
}

void PosixTcpControlSocket::Close() {
    NewAttempt();
    Unwatch();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    connecting_ = false;
    events_ = nullptr;
}

Status PosixTcpControlSocket::Connect(const std::string& ipv4, std::uint16_t port,
                                      TcpSocketEvents* events) {
    Close();
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return ErrnoError(errno);
    events_ = events;
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    auto attempt = NewAttempt();

    sockaddr_in address;
    int error = 0;
    if (!MakeIpv4Address(ipv4, port, &address))
        error = EDESTADDRREQ;
    else if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        error = errno;

    if (error == EINPROGRESS) {
        connecting_ = true;
        watch_ = loop_.WatchFd(fd_, EventLoop::kWritable, [this](unsigned ev) { OnReady(ev); });
        return {};
    }
    // Settled at once (refused, unreachable, or connected on loopback): the
    // outcome still arrives as an event, after the caller has returned.
    loop_.Post([this, attempt, error] {
        if (*attempt) FinishConnect(error);
    });
    return {};
}

void PosixTcpControlSocket::FinishConnect(int error) {
    connecting_ = false;
    Unwatch();
    if (error == 0)
        watch_ = loop_.WatchFd(fd_, EventLoop::kReadable, [this](unsigned ev) { OnReady(ev); });
    if (events_) events_->OnTcpConnect(error == 0 ? Status() : Status(ErrnoError(error)));
}

void PosixTcpControlSocket::OnReady(unsigned events) {
    if (connecting_) {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
        if (error == 0 && (events & EventLoop::kError)) error = ECONNREFUSED;
        FinishConnect(error);
        return;
    }
    std::uint8_t buffer[kReadSize];
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n > 0) {
        if (events_) events_->OnTcpRead(buffer, static_cast<long>(n));
        return;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
    // End of stream or a broken connection: one close event, then quiet.
    Unwatch();
    if (events_) events_->OnTcpClose();
}

long PosixTcpControlSocket::Send(const std::uint8_t* bytes, std::size_t count) {
    if (fd_ < 0) return -1;
    return static_cast<long>(::send(fd_, bytes, count, MSG_NOSIGNAL));
}

}  // namespace torvane
