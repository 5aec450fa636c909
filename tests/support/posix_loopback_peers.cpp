#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include "support/loopback_peers.h"

namespace torvane::test {

bool OptionIsOn(sockets::Handle socket, sockets::Option option) {
    int level = SOL_SOCKET, name = SO_REUSEADDR;
    if (option == sockets::Option::kNoDelay) level = IPPROTO_TCP, name = TCP_NODELAY;
    if (option == sockets::Option::kBroadcast) name = SO_BROADCAST;
    int value = 0;
    socklen_t length = sizeof value;
    return ::getsockopt(socket, level, name, &value, &length) == 0 && value != 0;
}

void ShutDown(sockets::Handle socket) { ::shutdown(socket, SHUT_RDWR); }

std::string WordsFor(Failure failure) {
    switch (failure) {
        case Failure::kRefused:
            return "Connection refused";
        case Failure::kNoAddress:
            return "Destination address required";
        case Failure::kPortHeld:
            return "Address already in use";
    }
    return {};
}

namespace system_sockets {

bool Listen(sockets::Handle socket) { return ::listen(socket, 4) == 0; }

sockets::Handle AcceptOne(sockets::Handle listener) {
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

// A socket that does not allow reuse holds its port: another bind to it
// fails, with SO_REUSEADDR or without.
bool HoldExclusively(sockets::Handle) { return true; }

std::uint16_t PeerPort(sockets::Handle socket) {
    sockaddr_in a{};
    socklen_t length = sizeof a;
    if (::getpeername(socket, reinterpret_cast<sockaddr*>(&a), &length) != 0 ||
        a.sin_family != AF_INET)
        return 0;
    return ntohs(a.sin_port);
}

HandleValues PossibleHandles() { return {0, 1024, 1}; }

}  // namespace system_sockets

}  // namespace torvane::test
