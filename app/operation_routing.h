#pragma once
// Presets through the operation API: the routing as the switcher confirmed
// it, and each route or ARC change as one operation, confirmed or failed
// before the next.

#include "app/operations.h"
#include "app/preset_apply.h"

namespace torvane {

// The routing and ARC state in `state`, nothing where the switcher has not
// said.
RoutingState RoutingOf(const SwitcherState& state);

class OperationRouting : public RoutingCommands {
  public:
    explicit OperationRouting(Operations& ops) : ops_(ops) {}

    void Route(int input, int output, Done done) override;
    void SetArc(int output, bool on, Done done) override;
    // The routing and ARC state the switcher confirmed. Where any of it is
    // unknown (a link just opened, a query that went unanswered), the
    // switcher is asked for all of it first: what a page still shows from
    // before is never taken for it.
    void Read(std::function<void(const Result<RoutingState>&)> done);

  private:
    Operations& ops_;
};

}  // namespace torvane
