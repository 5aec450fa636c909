#pragma once
// Which switcher answers at an address. The control link never says, but the
// network module's discovery answer carries the switcher's MAC: the one-byte
// request goes to that address alone and the first switcher's answer tells.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "links/link_factory.h"
#include "network/discovery_settings.h"
#include "platform/event_loop.h"
#include "platform/result.h"

namespace torvane {

using MacAddress = std::array<std::uint8_t, 6>;

class MacQuery {
  public:
    using Done = std::function<void(const Result<MacAddress>& mac)>;

    MacQuery(EventLoop& loop, LinkFactory& links) : loop_(loop), links_(links) {}
    ~MacQuery() {
        Cancel();
        *alive_ = false;
    }
    MacQuery(const MacQuery&) = delete;
    MacQuery& operator=(const MacQuery&) = delete;

    // Asks the switcher at `ip` on the discovery port of `settings`; `done`
    // runs once, with the MAC or with why there is none (no answer within
    // `waitMs`, a socket the system refused). A new question replaces one
    // still waiting, whose `done` never runs.
    void Ask(const std::string& ip, const DiscoverySettings& settings, int waitMs, Done done);
    void Cancel();
    bool Waiting() const { return socket_ != nullptr; }

  private:
    void Finish(const Result<MacAddress>& mac);
    // The socket could not be opened or used: `done` hears why at once.
    void Refuse(const std::string& ip, const Error& why, const Done& done);

    EventLoop& loop_;
    LinkFactory& links_;
    std::unique_ptr<UdpSocket> socket_;
    EventLoop::TimerId timer_ = 0;
    Done done_;
    // Posted answers check both, so none reaches a later question or a
    // query that is gone.
    unsigned question_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace torvane
