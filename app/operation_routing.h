#pragma once
// Presets through the operation API: the routing read as the Matrix page
// reads it, and each route or ARC change as one operation, confirmed or
// failed before the next.

#include "app/operations.h"
#include "app/preset_apply.h"

namespace torvane {

RoutingState RoutingOf(const MatrixState& matrix);

class OperationRouting : public RoutingCommands {
  public:
    explicit OperationRouting(Operations& ops) : ops_(ops) {}

    void Route(int input, int output, Done done) override;
    void SetArc(int output, bool on, Done done) override;
    // The routing and ARC state the switcher confirms when asked now.
    void Read(std::function<void(const Result<RoutingState>&)> done);

  private:
    Operations& ops_;
};

}  // namespace torvane
