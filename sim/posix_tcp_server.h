#pragma once
// torvane-sim's TCP control port: listens on the switcher's address, and
// gives each accepted connection its own link to the model.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/event_loop.h"
#include "sim/posix_byte_stream_writer.h"
#include "sim/posix_fd.h"
#include "sim/switcher_model.h"

namespace torvane::sim {

class PosixTcpServer {
  public:
    PosixTcpServer(EventLoop& loop, SwitcherModel& model) : loop_(loop), model_(model) {}
    ~PosixTcpServer();
    PosixTcpServer(const PosixTcpServer&) = delete;
    PosixTcpServer& operator=(const PosixTcpServer&) = delete;

    // Listens on `ip`:`port` (port 0 picks a free one). On failure returns
    // false and sets `error`. Listening again moves the port; connections
    // already accepted stay.
    bool Listen(const std::string& ip, std::uint16_t port, std::string* error);
    // Stops listening and closes every connection, as a switcher that drops
    // off the network; ListenAgain comes back on the same address and port.
    void Close();
    bool ListenAgain(std::string* error) { return Listen(ip_, port_, error); }
    std::uint16_t Port() const { return port_; }
    bool Listening() const { return listener_.Valid(); }
    int ConnectionCount() const { return static_cast<int>(connections_.size()); }

  private:
    struct Connection {
        UniqueFd fd;
        EventLoop::WatchId watch = 0;
        std::unique_ptr<ByteStreamWriter> writer;
        std::unique_ptr<ModelLink> link;
    };
    void StopListening();
    void Accept();
    void OnConnectionEvents(int id, unsigned events);
    void Close(int id);

    EventLoop& loop_;
    SwitcherModel& model_;
    UniqueFd listener_;
    EventLoop::WatchId listenWatch_ = 0;
    std::string ip_;
    std::uint16_t port_ = 0;
    std::map<int, std::unique_ptr<Connection>> connections_;
    int nextId_ = 1;
};

}  // namespace torvane::sim
