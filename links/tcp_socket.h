#pragma once
// The TCP control link to the switcher's network module, as the controller
// sees it: a non-blocking stream socket whose events arrive on the loop.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/result.h"

namespace torvane {

class TcpSocketEvents {
  public:
    virtual ~TcpSocketEvents() = default;
    // The connection attempt ended: connected, or a system error saying why
    // not in the system's words.
    virtual void OnTcpConnect(const Status& outcome) = 0;
    // One read event: `readResult` is what the single read returned (below 1
    // on failure), `bytes` the data read.
    virtual void OnTcpRead(const std::uint8_t* bytes, long readResult) = 0;
    // The peer closed the connection or it broke.
    virtual void OnTcpClose() = 0;
};

class TcpControlSocket {
  public:
    virtual ~TcpControlSocket() = default;
    // Starts a connection to `ipv4`:`port` and returns at once; the outcome
    // arrives as OnTcpConnect. Fails, saying why, when no socket could be
    // made (then nothing is reported). An address that is not dotted IPv4
    // makes the attempt fail through OnTcpConnect.
    virtual Status Connect(const std::string& ipv4, std::uint16_t port,
                           TcpSocketEvents* events) = 0;
    // Closes whatever socket is held; harmless when none is.
    virtual void Close() = 0;
    // Sends one unit with one send call; a failure is left to the command's
    // time-out. Returns what send returned.
    virtual long Send(const std::uint8_t* bytes, std::size_t count) = 0;
};

}  // namespace torvane
