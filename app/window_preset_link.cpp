#include "app/window_preset_link.h"

#include "app/operation_routing.h"
#include "app/operations.h"

namespace torvane {

WindowPresetLink::WindowPresetLink(CTorvaneApp& app, EventLoop& loop) : app_(app), loop_(loop) {}

WindowPresetLink::~WindowPresetLink() {
    *alive_ = false;
    routing_.reset();
    ops_.reset();
}

void WindowPresetLink::ReadRouting(Read done) {
    ++use_;
    routing_.reset();
    ops_ = std::make_unique<Operations>(app_, loop_);
    routing_ = std::make_unique<OperationRouting>(*ops_);
    routing_->Read(std::move(done));
}

void WindowPresetLink::LetGo() {
    ++use_;
    routing_.reset();
    ops_.reset();
}

RoutingCommands& WindowPresetLink::Commands() { return *routing_; }

void WindowPresetLink::Release() {
    // Called from inside the last operation's callback: let go after it.
    loop_.Post([this, alive = alive_, use = use_] {
        if (!*alive || use != use_) return;
        routing_.reset();
        ops_.reset();
    });
}

}  // namespace torvane
