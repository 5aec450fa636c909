#include <winsock2.h>

#include <stdexcept>

#include "platform/wake_channel.h"
#include "platform/win_sockets.h"

namespace torvane {

// WSAPoll waits on sockets only, so the wake-up is a loopback UDP socket
// connected to itself: a datagram sent to it makes it readable.
WakeChannel::WakeChannel() {
    if (!StartWindowsSockets()) throw std::runtime_error("cannot start Windows Sockets");
    SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) throw std::runtime_error("cannot create the loop's wake-up socket");
    sockaddr_in self{};
    self.sin_family = AF_INET;
    self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof self;
    u_long nonBlocking = 1;
    if (::bind(s, reinterpret_cast<sockaddr*>(&self), sizeof self) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&self), &length) != 0 ||
        ::connect(s, reinterpret_cast<sockaddr*>(&self), sizeof self) != 0 ||
        ::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        ::closesocket(s);
        throw std::runtime_error("cannot set up the loop's wake-up socket");
    }
    read_ = write_ = SocketAsFd(s);
}

WakeChannel::~WakeChannel() { ::closesocket(FdAsSocket(read_)); }

void WakeChannel::Signal() {
    const char one = 1;
    // A full queue already means "wake up"; nothing is lost by a failed send.
    ::send(FdAsSocket(write_), &one, 1, 0);
}

void WakeChannel::Drain() {
    char drain[64];
    while (::recv(FdAsSocket(read_), drain, sizeof drain, 0) > 0) {
    }
}

}  // namespace torvane
