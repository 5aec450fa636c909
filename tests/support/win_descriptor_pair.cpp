#include <winsock2.h>

#include <stdexcept>

#include "platform/win_sockets.h"
#include "support/descriptor_pair.h"

namespace torvane::test {

DescriptorPair::DescriptorPair() {
    if (!StartWindowsSockets()) throw std::runtime_error("WSAStartup");
    SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (listener == INVALID_SOCKET ||
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("loopback listener");
    SOCKET writer = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (::connect(writer, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("loopback connect");
    SOCKET reader = ::accept(listener, nullptr, nullptr);
    ::closesocket(listener);
    if (reader == INVALID_SOCKET) throw std::runtime_error("loopback accept");
    u_long nonBlocking = 1;
    ::ioctlsocket(reader, FIONBIO, &nonBlocking);
    read_ = SocketAsFd(reader);
    write_ = SocketAsFd(writer);
}

DescriptorPair::~DescriptorPair() {
    ::closesocket(FdAsSocket(read_));
    ::closesocket(FdAsSocket(write_));
}

long DescriptorPair::Write(const char* bytes, std::size_t count) {
    return ::send(FdAsSocket(write_), bytes, static_cast<int>(count), 0);
}

long DescriptorPair::Read(char* bytes, std::size_t count) {
    return ::recv(FdAsSocket(read_), bytes, static_cast<int>(count), 0);
}

}  // namespace torvane::test
