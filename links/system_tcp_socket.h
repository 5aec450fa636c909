#pragma once
// The TCP control link on a non-blocking socket of the system, watched by
// the loop. Nagle's algorithm is off: a unit goes out in one send, and
// waiting for the peer's delayed acknowledgement would hold a command back
// by tens of ms.
//
// Events follow the link's story: the connect outcome once per attempt, then
// reads, then one close when the peer closes or the connection breaks. After
// a close the socket stays held (and quiet) until Close or the next Connect.

#include <cstdint>
#include <memory>
#include <string>

#include "links/socket_calls.h"
#include "links/tcp_socket.h"
#include "platform/event_loop.h"

namespace torvane {

class SystemTcpControlSocket : public TcpControlSocket {
  public:
    // Bytes taken by one read event.
    static constexpr std::size_t kReadSize = 1024;

    explicit SystemTcpControlSocket(EventLoop& loop);
    ~SystemTcpControlSocket() override;
    SystemTcpControlSocket(const SystemTcpControlSocket&) = delete;
    SystemTcpControlSocket& operator=(const SystemTcpControlSocket&) = delete;

    Status Connect(const std::string& ipv4, std::uint16_t port, TcpSocketEvents* events) override;
    void Close() override;
    long Send(const std::uint8_t* bytes, std::size_t count) override;

  private:
    void OnReady(unsigned events);
    void FinishConnect(int error);
    void Unwatch();
    // Tasks posted for this attempt check it is still current.
    std::shared_ptr<bool> NewAttempt();

    EventLoop& loop_;
    sockets::Handle socket_ = sockets::kNone;
    bool connecting_ = false;
    EventLoop::WatchId watch_ = 0;
    TcpSocketEvents* events_ = nullptr;
    std::shared_ptr<bool> current_;
};

}  // namespace torvane
