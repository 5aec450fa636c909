#pragma once
// torvane-sim's network module on UDP: a socket on the wildcard address
// (shared with other instances through SO_REUSEADDR, so that all of them hear
// a request sent to 127.255.255.255) that answers discovery or configuration
// requests from loopback senders, by unicast to the sender, from the
// switcher's own address. Nothing is ever sent off loopback.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/event_loop.h"
#include "sim/posix_fd.h"
#include "sim/switcher_model.h"

namespace torvane::sim {

class PosixUdpResponder {
  public:
    using Answerer =
        std::function<std::optional<std::vector<std::uint8_t>>(const std::vector<std::uint8_t>&)>;

    // `answer` gives the reply to a datagram, or nothing; `afterAnswer` runs
    // once the reply is sent (torvane-sim moves its TCP port then).
    PosixUdpResponder(EventLoop& loop, SwitcherModel& model, Answerer answer,
                      std::function<void()> afterAnswer = nullptr)
        : loop_(loop),
          model_(model),
          answer_(std::move(answer)),
          afterAnswer_(std::move(afterAnswer)) {}
    ~PosixUdpResponder();
    PosixUdpResponder(const PosixUdpResponder&) = delete;
    PosixUdpResponder& operator=(const PosixUdpResponder&) = delete;

    bool Open(std::uint16_t port, std::string* error);
    std::uint16_t Port() const { return port_; }

  private:
    void OnReadable();
    void SendFrom(const std::vector<std::uint8_t>& bytes, std::uint32_t toAddress,
                  std::uint16_t toPort, const Ipv4& from);

    EventLoop& loop_;
    SwitcherModel& model_;
    Answerer answer_;
    std::function<void()> afterAnswer_;
    UniqueFd fd_;
    EventLoop::WatchId watch_ = 0;
    std::uint16_t port_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace torvane::sim
