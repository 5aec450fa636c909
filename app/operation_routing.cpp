#include "app/operation_routing.h"

namespace torvane {
namespace {

bool AllKnown(const RoutingState& state) {
    for (int slot = 0; slot < profile::kPorts; ++slot)
        if (!state.input[slot] || !state.arc[slot]) return false;
    return true;
}

}  // namespace

RoutingState RoutingOf(const SwitcherState& state) {
    RoutingState routing;
    for (int output = 1; output <= profile::kPorts; ++output) {
        const auto slot = static_cast<std::size_t>(output - 1);
        if (const int* input = std::get_if<int>(&state.Value(StateItem::kRoute, output)))
            routing.input[slot] = *input;
        if (const bool* on = std::get_if<bool>(&state.Value(StateItem::kArc, output)))
            routing.arc[slot] = *on;
    }
    return routing;
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
    if (ops_.AnyLinkOpen()) {
        const RoutingState known = RoutingOf(ops_.Confirmed());
        if (AllKnown(known)) return done(known);
    }
    ops_.ReadMatrixAgain([this, done](const Completed<MatrixState>& read) {
        if (!read.result) return done(read.result.error());
        done(RoutingOf(ops_.Confirmed()));
    });
}

}  // namespace torvane
