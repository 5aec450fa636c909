#include "service/bridge_command_path.h"

#include <nlohmann/json.hpp>

namespace torvane::service {
namespace {

const char* PathOf(mqtt::BridgeCommand::Kind kind) {
    switch (kind) {
        case mqtt::BridgeCommand::Kind::kRoute:
            return "/api/route";
        case mqtt::BridgeCommand::Kind::kArc:
            return "/api/arc";
        case mqtt::BridgeCommand::Kind::kPower:
            return "/api/power";
        default:
            return "/api/beep";
    }
}

ApiAction ActionOf(mqtt::BridgeCommand::Kind kind) {
    switch (kind) {
        case mqtt::BridgeCommand::Kind::kRoute:
            return ApiAction::kRoute;
        case mqtt::BridgeCommand::Kind::kArc:
            return ApiAction::kArc;
        case mqtt::BridgeCommand::Kind::kPower:
            return ApiAction::kPower;
        default:
            return ApiAction::kBeep;
    }
}

}  // namespace

void BridgeCommandPath::Run(const mqtt::BridgeCommand& command, Done done) {
    if (command.kind == mqtt::BridgeCommand::Kind::kPreset)
        return done({false, "bad-input", "a preset is applied one command at a time"});
    ApiCall call;
    call.action = ActionOf(command.kind);
    call.path = PathOf(command.kind);
    call.queued = true;
    call.changes = true;
    call.output = command.output;
    call.input = command.input;
    call.on = command.on;
    commands_.Run(call, [done](const CallOutcome& outcome) {
        if (outcome.status == 200) return done({});
        const auto body = nlohmann::json::parse(outcome.body, nullptr, false);
        const auto error = body.is_object() && body.contains("error") && body["error"].is_object()
                               ? body["error"]
                               : nlohmann::json::object();
        done({false, error.value("kind", "failed"), error.value("message", "failed")});
    });
}

}  // namespace torvane::service
