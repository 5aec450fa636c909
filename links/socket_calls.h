#pragma once
// The socket calls the links make, in the same words on every system. What
// differs in Windows Sockets (its start-up, closesocket, its error codes,
// how a socket becomes non-blocking, no SIGPIPE to keep away) stays in the
// file for each system, so the TCP and UDP links are written once.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "links/ipv4_address.h"
#include "platform/result.h"

namespace torvane::sockets {

// A socket as the loop watches it.
using Handle = int;
inline constexpr Handle kNone = -1;

enum class Kind { kStream, kDatagram };
enum class Option { kNoDelay, kBroadcast, kReuseAddress };

// A non-blocking socket that programs started later do not inherit; kNone
// when none can be made (LastError() says why).
Handle Open(Kind kind);
void Close(Handle socket);
bool Enable(Handle socket, Option option);

// The error of the last failed socket call on this thread, as the system
// numbers it, and the system's words for an error.
int LastError();
std::string ErrorText(int error);
inline Error SocketError(int error) { return SystemError(ErrorText(error)); }
// The call could not finish at once on a non-blocking socket: nothing to
// read yet, no room to write, a connection still being made.
bool WouldBlock(int error);
bool Interrupted(int error);
// What a connect reports for an address it cannot use, and for a refusal.
int NotAnAddressError();
int RefusedError();

// 0 when connected at once, else the error (WouldBlock: in progress).
int Connect(Handle socket, const Ipv4Octets& ip, std::uint16_t port);
// How a connect in progress ended: 0 or the error.
int ConnectOutcome(Handle socket);
bool Bind(Handle socket, const Ipv4Octets& ip, std::uint16_t port);
std::uint16_t LocalPort(Handle socket);

// What the one call returned: the bytes moved, or below 0 on failure. A
// send to a peer that has gone never ends the program.
long Send(Handle socket, const std::uint8_t* bytes, std::size_t count);
long Receive(Handle socket, std::uint8_t* bytes, std::size_t count);
long SendTo(Handle socket, const Ipv4Octets& ip, std::uint16_t port, const std::uint8_t* bytes,
            std::size_t count);
long ReceiveFrom(Handle socket, std::uint8_t* bytes, std::size_t count, Ipv4Octets* fromIp,
                 std::uint16_t* fromPort);

// The first IPv4 address of a host name; nothing when it has none.
std::optional<Ipv4Octets> ResolveHost(const std::string& host);

}  // namespace torvane::sockets
