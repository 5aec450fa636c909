#pragma once
// Discovery of switchers on the local network, and the socket it shares with
// network configuration. Search empties the main window's Switcher IP list,
// closes the TCP control link, recreates the socket on the discovery port and
// broadcasts the one-byte request; every switcher's answer is listed in text
// order with its MAC kept beside it. A configuration recreates the same
// socket on the configuration port and sends its packet; the switcher's
// answer starts a new Search, which lists the switcher at its new address.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "links/link_factory.h"
#include "network/config_packet.h"
#include "network/discovery_settings.h"
#include "network/network_fields.h"
#include "protocol/hex_log.h"
#include "ui/control_table.h"

namespace torvane {

inline constexpr std::size_t kMaxListedSwitchers = 256;
// One read of the socket takes at most this much of a datagram.
inline constexpr std::size_t kDatagramReadSize = 1024;

class Discovery {
  public:
    struct Events {
        // Search closes the TCP control link before it broadcasts.
        std::function<void()> closeControlLink;
        // A switcher's answer was listed.
        std::function<void()> switcherListed;
    };

    // `list` is the id of the drop-down list in `table` that shows the
    // switchers; received datagrams are echoed to `log`.
    Discovery(LinkFactory& links, ControlTable& table, int list, ReceiveLog& log, Events events);

    void SetSettings(const DiscoverySettings& settings) { settings_ = settings; }
    const DiscoverySettings& Settings() const { return settings_; }

    // Fails, saying why, when the socket could not be bound or the request
    // not sent; nothing is listed then.
    Status Search();
    // Broadcasts `packet` on the configuration port, or says why it could not.
    Status SendConfiguration(const ConfigPacket& packet);
    // The operator chose another switcher: its address and MAC become the
    // network fields; gateway and netmask stay those of the latest answer.
    void OnSelectionChange();

    // The network fields the configuration dialog starts from.
    const NetworkFields& Fields() const { return fields_; }
    // Each listed switcher's answer, in the list's order.
    const std::vector<NetworkFields>& Listed() const { return listed_; }
    // Whether the last Search or configuration could use the socket, and why
    // not in the system's words.
    const Status& SocketOutcome() const { return socketOutcome_; }

    // A datagram on the discovery or the configuration socket, as one read
    // of the socket brings it.
    void OnDiscoveryDatagram(const std::uint8_t* bytes, std::size_t count);
    void OnConfigurationDatagram(const std::uint8_t* bytes, std::size_t count);

  private:
    Status Reopen(std::uint16_t port, void (Discovery::*handler)(const std::uint8_t*, std::size_t));
    void List(const NetworkFields& answer);
    Status Send(std::uint16_t port, const std::uint8_t* bytes, std::size_t count);
    // Keeps `outcome` as the socket's latest and returns it.
    const Status& Record(Status outcome);

    std::unique_ptr<UdpSocket> socket_;
    ControlTable& table_;
    int list_;
    ReceiveLog& log_;
    Events events_;
    DiscoverySettings settings_;
    NetworkFields fields_;
    std::vector<NetworkFields> listed_;
    Status socketOutcome_;
};

}  // namespace torvane
