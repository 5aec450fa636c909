#pragma once
// Windows Sockets as the loop and the links use them. Sockets sit in the
// loop's int descriptors: socket handles are kernel handles, which Windows
// keeps meaningful in their low 32 bits (so 32- and 64-bit processes can
// share them), and INVALID_SOCKET becomes -1 and back.

#include <winsock2.h>

#include <cstdint>

namespace torvane {

// Starts Windows Sockets 2.2 once for the whole process; harmless to call
// again, from any thread. False when it cannot be started.
bool StartWindowsSockets();

inline int SocketAsFd(SOCKET s) { return static_cast<int>(static_cast<std::intptr_t>(s)); }
inline SOCKET FdAsSocket(int fd) { return static_cast<SOCKET>(static_cast<std::intptr_t>(fd)); }

}  // namespace torvane
