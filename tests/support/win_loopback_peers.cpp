#include <winsock2.h>
//
#include <ws2tcpip.h>

#include "platform/win_sockets.h"
#include "support/loopback_peers.h"

namespace torvane::test {

bool OptionIsOn(sockets::Handle socket, sockets::Option option) {
    int level = SOL_SOCKET, name = SO_REUSEADDR;
    if (option == sockets::Option::kNoDelay) level = IPPROTO_TCP, name = TCP_NODELAY;
    if (option == sockets::Option::kBroadcast) name = SO_BROADCAST;
    BOOL value = FALSE;
    int length = sizeof value;
    return ::getsockopt(FdAsSocket(socket), level, name, reinterpret_cast<char*>(&value),
                        &length) == 0 &&
           value != FALSE;
}

void ShutDown(sockets::Handle socket) { ::shutdown(FdAsSocket(socket), SD_BOTH); }

// Windows words its errors in the language of the installation: the words
// are those it gives for the error's number.
std::string WordsFor(Failure failure) {
    switch (failure) {
        case Failure::kRefused:
            return sockets::ErrorText(WSAECONNREFUSED);
        case Failure::kNoAddress:
            return sockets::ErrorText(WSAEDESTADDRREQ);
        case Failure::kPortHeld:
            // A socket that allows reuse is denied a port held exclusively,
            // where one that does not is told the port is in use.
            return sockets::ErrorText(WSAEACCES);
    }
    return {};
}

namespace system_sockets {

bool Listen(sockets::Handle socket) { return ::listen(FdAsSocket(socket), 4) == 0; }

sockets::Handle AcceptOne(sockets::Handle listener) {
    const SOCKET s = ::accept(FdAsSocket(listener), nullptr, nullptr);
    return s == INVALID_SOCKET ? sockets::kNone : SocketAsFd(s);
}

// On Windows a socket that allows reuse may bind a port another socket holds
// unless that one asked for the port exclusively.
bool HoldExclusively(sockets::Handle socket) {
    const BOOL on = TRUE;
    return ::setsockopt(FdAsSocket(socket), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
                        reinterpret_cast<const char*>(&on), sizeof on) == 0;
}

std::uint16_t PeerPort(sockets::Handle socket) {
    sockaddr_in a{};
    int length = sizeof a;
    if (::getpeername(FdAsSocket(socket), reinterpret_cast<sockaddr*>(&a), &length) != 0 ||
        a.sin_family != AF_INET)
        return 0;
    return ntohs(a.sin_port);
}

// Socket handles are kernel handles: multiples of four, from the low values
// up, in a table a test's few handles keep small.
HandleValues PossibleHandles() {
    StartWindowsSockets();
    return {4, 1 << 16, 4};
}

}  // namespace system_sockets

}  // namespace torvane::test
