#pragma once
// The MQTT bridge's commands on the service's one command path: each runs
// as the HTTP API's call of the same kind would, queued with theirs, and
// ends with the same kinds of failure.

#include "mqtt/bridge_commands.h"
#include "service/switcher_commands.h"

namespace torvane::service {

class BridgeCommandPath : public mqtt::CommandPath {
  public:
    explicit BridgeCommandPath(SwitcherCommands& commands) : commands_(commands) {}
    void Run(const mqtt::BridgeCommand& command, Done done) override;

  private:
    SwitcherCommands& commands_;
};

}  // namespace torvane::service
