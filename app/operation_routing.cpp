#include "app/operation_routing.h"

namespace torvane {

RoutingState RoutingOf(const MatrixState& matrix) {
    RoutingState state;
    state.input = matrix.input;
    state.arc = matrix.arc;
    return state;
}

void OperationRouting::Route(int input, int output, Done done) {
    ops_.Route(input, output, [done](const Completed<void>& routed) { done(routed.result); });
}

void OperationRouting::SetArc(int output, bool on, Done done) {
    ops_.Arc(output, on, [done](const Completed<ArcAcknowledgement>& set) {
        if (set.result) return done({});
        done(set.result.error());
    });
}

void OperationRouting::Read(std::function<void(const Result<RoutingState>&)> done) {
    ops_.ReadMatrix([done](const Completed<MatrixState>& read) {
        if (read.result) return done(RoutingOf(*read.result));
        done(read.result.error());
    });
}

}  // namespace torvane
