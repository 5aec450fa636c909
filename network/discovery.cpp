#include "network/discovery.h"

#include <algorithm>

namespace torvane {

Discovery::Discovery(LinkFactory& links, ControlTable& table, int list, ReceiveLog& log,
                     Events events)
    : socket_(links.MakeUdpSocket()),
      table_(table),
      list_(list),
      log_(log),
      events_(std::move(events)) {}

Status Discovery::Reopen(std::uint16_t port,
                         void (Discovery::*handler)(const std::uint8_t*, std::size_t)) {
    socket_->Close();
    return socket_->Open(settings_.bindIp, port, [this, handler](const Datagram& datagram) {
        const std::size_t count = std::min(datagram.bytes.size(), kDatagramReadSize);
        (this->*handler)(datagram.bytes.data(), count);
    });
}

Status Discovery::Send(std::uint16_t port, const std::uint8_t* bytes, std::size_t count) {
    auto sent = socket_->SendTo(settings_.broadcastIp, port, bytes, count);
    if (!sent) return sent.error();
    return {};
}

const Status& Discovery::Record(Status outcome) {
    socketOutcome_ = std::move(outcome);
    return socketOutcome_;
}

Status Discovery::Search() {
    table_.ResetContent(list_);
    listed_.clear();
    if (events_.closeControlLink) events_.closeControlLink();
    if (Status opened = Reopen(settings_.discoveryPort, &Discovery::OnDiscoveryDatagram); !opened)
        return Record(std::move(opened));
    const std::uint8_t request = kDiscoveryRequest;
    return Record(Send(settings_.discoveryPort, &request, 1));
}

Status Discovery::SendConfiguration(const ConfigPacket& packet) {
    if (Status opened = Reopen(settings_.configPort, &Discovery::OnConfigurationDatagram); !opened)
        return Record(std::move(opened));
    return Record(Send(settings_.configPort, packet.data(), packet.size()));
}

void Discovery::OnDiscoveryDatagram(const std::uint8_t* bytes, std::size_t count) {
    log_.EchoDatagram(bytes, count);
    if (!ReadNetworkFields(bytes, count, &fields_)) return;
    if (IsSwitcherAnswer(bytes, count)) List(fields_);
}

void Discovery::List(const NetworkFields& answer) {
    if (listed_.size() >= kMaxListedSwitchers) return;
    // The list keeps its items in text order; a switcher that answers again
    // is listed again, after its earlier entry.
    const std::string text = AddressText(answer.ip);
    const auto& items = table_.Items(list_);
    const auto at = std::upper_bound(items.begin(), items.end(), text) - items.begin();
    table_.InsertItem(list_, static_cast<int>(at), text);
    listed_.insert(listed_.begin() + at, answer);
    table_.SetSelection(list_, 0);
    if (events_.switcherListed) events_.switcherListed();
}

void Discovery::OnSelectionChange() {
    const int selected = table_.Selection(list_);
    if (selected < 0 || selected >= static_cast<int>(listed_.size())) return;
    fields_.ip = SplitAddressText(table_.Text(list_));
    fields_.mac = listed_[static_cast<std::size_t>(selected)].mac;
}

void Discovery::OnConfigurationDatagram(const std::uint8_t* bytes, std::size_t count) {
    // The new Search's outcome is kept in SocketOutcome.
    if (IsConfigurationAnswer(bytes, count)) static_cast<void>(Search());
}

}  // namespace torvane
