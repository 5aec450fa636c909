#include "sim/in_process_ports.h"
#include "sim/one_shot.h"

namespace torvane::sim {

SimUdpSocket::~SimUdpSocket() {
    *alive_ = false;
    factory_.Forget(this);
}

Status SimUdpSocket::Open(const std::string& bindIp, std::uint16_t port,
                          std::function<void(const Datagram&)> onDatagram) {
    Close();
    if (bindIp != "0.0.0.0" && !ParseIpv4(bindIp)) return NotAnIpv4Address(bindIp);
    bindIp_ = bindIp;
    port_ = port != 0 ? port : factory_.NextEphemeralPort();
    onDatagram_ = std::move(onDatagram);
    open_ = true;
    return {};
}

void SimUdpSocket::Close() {
    open_ = false;
    ++generation_;
}

Result<std::size_t> SimUdpSocket::SendTo(const std::string& ip, std::uint16_t port,
                                         const std::uint8_t* bytes, std::size_t count) {
    if (!open_) return UdpSocketNotOpen();
    factory_.Route(*this, ip, port, std::vector<std::uint8_t>(bytes, bytes + count));
    return count;
}

void SimUdpSocket::DeliverLater(Datagram datagram, int delayMs) {
    Liveness alive = alive_;
    const unsigned generation = generation_;
    RunAfter(factory_.Loop(), delayMs, [this, alive, generation, datagram = std::move(datagram)] {
        if (*alive && open_ && generation == generation_ && onDatagram_) onDatagram_(datagram);
    });
}

}  // namespace torvane::sim
