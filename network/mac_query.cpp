#include "network/mac_query.h"

#include "network/network_fields.h"

namespace torvane {

void MacQuery::Ask(const std::string& ip, const DiscoverySettings& settings, int waitMs,
                   Done done) {
    Cancel();
    socket_ = links_.MakeUdpSocket();
    const unsigned question = ++question_;
    auto onDatagram = [this, question](const Datagram& datagram) {
        if (!IsSwitcherAnswer(datagram.bytes.data(), datagram.bytes.size())) return;
        MacAddress mac;
        for (std::size_t i = 0; i < mac.size(); ++i) mac[i] = datagram.bytes[i];
        // Finishing destroys the socket that called: leave it first.
        loop_.Post([this, alive = alive_, question, mac] {
            if (*alive && socket_ && question == question_) Finish(mac);
        });
    };
    // Asked by one datagram to its own address, a switcher answers the
    // sender: any free port does, and the discovery port stays free for
    // Search and for a switcher on this very machine (the simulator).
    if (const Status opened = socket_->Open(settings.bindIp, 0, onDatagram); !opened)
        return Refuse(ip, opened.error(), done);
    const std::uint8_t request = kDiscoveryRequest;
    if (const auto sent = socket_->SendTo(ip, settings.discoveryPort, &request, 1); !sent)
        return Refuse(ip, sent.error(), done);
    done_ = std::move(done);
    timer_ = loop_.StartTimer(waitMs, [this, ip, waitMs, port = settings.discoveryPort] {
        Finish(Error{Error::Kind::kTimedOut,
                     "the switcher at " + ip + " did not say which it is: no answer to discovery " +
                         "on UDP port " + std::to_string(port) + " within " +
                         std::to_string(waitMs) + " ms"});
    });
}

void MacQuery::Refuse(const std::string& ip, const Error& why, const Done& done) {
    socket_.reset();
    done(SystemError("cannot ask " + ip + " which switcher it is: " + why.message));
}

void MacQuery::Cancel() {
    if (timer_) loop_.CancelTimer(timer_);
    timer_ = 0;
    if (socket_) socket_->Close();
    socket_.reset();
    done_ = nullptr;
}

void MacQuery::Finish(const Result<MacAddress>& mac) {
    Done done = std::move(done_);
    Cancel();
    if (done) done(mac);
}

}  // namespace torvane
