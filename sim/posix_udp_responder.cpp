#include "sim/posix_udp_responder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "sim/one_shot.h"

namespace torvane::sim {
namespace {

bool IsLoopback(std::uint32_t hostOrderAddress) { return (hostOrderAddress >> 24) == 127; }

}  // namespace

PosixUdpResponder::~PosixUdpResponder() {
    *alive_ = false;
    if (watch_ != 0) loop_.Unwatch(watch_);
}

bool PosixUdpResponder::Open(std::uint16_t port, std::string* error) {
    UniqueFd fd(::socket(AF_INET, SOCK_DGRAM, 0));
    const int on = 1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (!fd.Valid() || ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        !SetNonBlocking(fd.Get())) {
        *error = "cannot bind UDP port " + std::to_string(port) + ": " + std::strerror(errno);
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    fd_ = std::move(fd);
    watch_ = loop_.WatchFd(fd_.Get(), EventLoop::kReadable, [this](unsigned) { OnReadable(); });
    return true;
}

void PosixUdpResponder::OnReadable() {
    for (;;) {
        std::uint8_t buffer[1500];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t n = ::recvfrom(fd_.Get(), buffer, sizeof buffer, 0,
                                     reinterpret_cast<sockaddr*>(&from), &length);
        if (n < 0) return;
        const std::uint32_t sender = ntohl(from.sin_addr.s_addr);
        if (!IsLoopback(sender)) continue;
        // The answer leaves from the address the switcher had when asked.
        const Ipv4 ownAddress = model_.State().network.ip;
        auto answer = answer_(std::vector<std::uint8_t>(buffer, buffer + n));
        if (!answer) continue;
        const std::uint16_t senderPort = ntohs(from.sin_port);
        RunAfter(
            loop_, model_.Timing().replyDelayMs,
            [this, alive = alive_, bytes = std::move(*answer), sender, senderPort, ownAddress] {
                if (!*alive) return;
                SendFrom(bytes, sender, senderPort, ownAddress);
                if (afterAnswer_) afterAnswer_();
            });
    }
}

void PosixUdpResponder::SendFrom(const std::vector<std::uint8_t>& bytes, std::uint32_t toAddress,
                                 std::uint16_t toPort, const Ipv4& from) {
    if (!IsLoopback(toAddress)) return;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(toPort);
    to.sin_addr.s_addr = htonl(toAddress);

    iovec data{const_cast<std::uint8_t*>(bytes.data()), bytes.size()};
    msghdr message{};
    message.msg_name = &to;
    message.msg_namelen = sizeof to;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
#ifdef IP_PKTINFO
    // Sent from the switcher's own address rather than whichever address the
    // kernel would pick for the wildcard socket.
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    std::memcpy(&info.ipi_spec_dst, from.data(), 4);
    std::memcpy(CMSG_DATA(header), &info, sizeof info);
    if (::sendmsg(fd_.Get(), &message, 0) >= 0) return;
    message.msg_control = nullptr;
    message.msg_controllen = 0;
#else
    (void)from;
#endif
    ::sendmsg(fd_.Get(), &message, 0);
}

}  // namespace torvane::sim
