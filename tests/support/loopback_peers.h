#pragma once
// Loopback peers for the socket tests, on every system: a TCP listener that
// accepts without blocking the test, a plain UDP socket, and a look at a
// link's socket from outside the link. They are written over the links' own
// socket calls; what those do not offer (listening, accepting, reading an
// option back, finding a socket by its port) and what each system does its
// own way stays in the file for each system.

#include <cstdint>
#include <string>
#include <vector>

#include "links/socket_calls.h"

namespace torvane::test {

// This process's IPv4 socket whose local port (or, with `remote`, whose
// peer's port) is `port`; kNone when there is none.
sockets::Handle FindSocket(std::uint16_t port, bool remote);
// Whether `option` is on for `socket`, as the system reads it back.
bool OptionIsOn(sockets::Handle socket, sockets::Option option);
// Ends both directions of a connection, as a switcher that goes away does.
void ShutDown(sockets::Handle socket);

// Reads what arrives on `socket` until `count` bytes came, the peer closed,
// or `ms` passed.
std::vector<std::uint8_t> ReadFrom(sockets::Handle socket, std::size_t count, int ms = 2000);

// The failures the socket tests provoke, in the words the system gives the
// operator for them: a refused connection, a connect with no usable
// address, a bind to a port another socket holds for itself.
enum class Failure { kRefused, kNoAddress, kPortHeld };
std::string WordsFor(Failure failure);

class TcpListener {
  public:
    TcpListener();
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    // The next connection, once the system has completed it; kNone after `ms`.
    sockets::Handle Accept(int ms = 2000);

    sockets::Handle socket = sockets::kNone;
    std::uint16_t port = 0;

  private:
    std::vector<sockets::Handle> accepted_;
};

// A UDP socket on 127.0.0.1 that holds its port for itself: no other socket
// may bind beside it, whatever that one allows.
class UdpPeer {
  public:
    UdpPeer();
    ~UdpPeer();
    UdpPeer(const UdpPeer&) = delete;
    UdpPeer& operator=(const UdpPeer&) = delete;

    void SendTo(std::uint16_t to, const std::vector<std::uint8_t>& bytes) const;
    // The next datagram; empty after `ms`.
    std::vector<std::uint8_t> Receive(int ms = 2000) const;

    sockets::Handle socket = sockets::kNone;
    std::uint16_t port = 0;
};

// What the file for each system adds to the links' socket calls.
namespace system_sockets {
bool Listen(sockets::Handle socket);
// A connection waiting on `listener`; kNone when none is.
sockets::Handle AcceptOne(sockets::Handle listener);
// Keeps every other socket off the port `socket` will bind.
bool HoldExclusively(sockets::Handle socket);
// The port of the peer `socket` is connected to; 0 when it is none.
std::uint16_t PeerPort(sockets::Handle socket);
// The values a socket of this process may have, for a search through them.
struct HandleValues {
    sockets::Handle first, end, step;
};
HandleValues PossibleHandles();
}  // namespace system_sockets

}  // namespace torvane::test
