#include "service/switcher_commands.h"

#include <nlohmann/json.hpp>

#include "pages/edid_texts.h"
#include "service/json_text.h"

namespace torvane::service {
namespace {

using nlohmann::json;

json Optional(const std::optional<bool>& value) { return value ? json(*value) : json(); }
json Optional(const std::optional<int>& value) { return value ? json(*value) : json(); }

json ToJson(const SwitcherStatus& s) {
    json inputs = json::array(), outputs = json::array();
    for (int n = 0; n < 8; ++n) {
        inputs.push_back({{"input", n + 1}, {"connected", s.inputConnected[n]}});
        outputs.push_back({{"output", OutputLetter(n + 1)}, {"connected", s.outputConnected[n]}});
    }
    return {
        {"power", s.power}, {"beep", Optional(s.beep)}, {"inputs", inputs}, {"outputs", outputs}};
}

json ToJson(const MatrixState& m) {
    json outputs = json::array();
    for (int n = 0; n < 8; ++n)
        outputs.push_back({{"output", OutputLetter(n + 1)},
                           {"input", Optional(m.input[n])},
                           {"arc", Optional(m.arc[n])}});
    return {{"outputs", outputs}};
}

json ToJson(const SwitchState& s) { return {{"on", s.on}, {"already", s.already}}; }

json ToJson(const ArcAcknowledgement& a) {
    return {
        {"output", a.output >= 1 && a.output <= 8 ? json(OutputLetter(a.output)) : json(a.output)},
        {"on", a.on}};
}

json ToJson(const EdidInputs& e) {
    json inputs = json::array();
    for (int n = 0; n < 8; ++n)
        inputs.push_back({{"input", n + 1},
                          {"code", e.codes[n] < 0 ? json() : json(e.codes[n])},
                          {"edid", e.texts[n]}});
    return {{"inputs", inputs}};
}

json ToJson(const DeviceIdentity& d) { return {{"device", d.device}, {"text", d.text}}; }

template <class T>
CallOutcome OutcomeOf(const Completed<T>& completed) {
    if (!completed.result) return FailureOutcome(completed.result.error());
    json body = ToJson(*completed.result);
    body["ok"] = true;
    if (!completed.notes.empty()) body["notes"] = completed.notes;
    return {200, Dump(body), {}};
}

CallOutcome OutcomeOf(const Completed<void>& completed) {
    if (!completed.result) return FailureOutcome(completed.result.error());
    json body = {{"ok", true}};
    if (!completed.notes.empty()) body["notes"] = completed.notes;
    return {200, Dump(body), {}};
}

}  // namespace

std::string CallJson(const ApiCall& call) {
    json told = {{"command", call.path}};
    switch (call.action) {
        case ApiAction::kRoute:
            told["output"] = OutputLetter(call.output);
            told["input"] = call.input;
            break;
        case ApiAction::kArc:
            told["output"] = OutputLetter(call.output);
            told["on"] = call.on;
            break;
        case ApiAction::kPower:
        case ApiAction::kBeep:
            told["on"] = call.on;
            break;
        case ApiAction::kSavePreset:
        case ApiAction::kApplyPreset:
        case ApiAction::kDeletePreset:
            told["name"] = call.name;
            break;
        default:
            break;
    }
    return Dump(told);
}

SwitcherCommands::SwitcherCommands(Operations& ops, std::function<bool()> linkUp,
                                   std::size_t queueLimit)
    : ops_(ops), linkUp_(std::move(linkUp)), queueLimit_(queueLimit) {}

void SwitcherCommands::Run(const ApiCall& call, Outcome done) {
    if (waiting_ >= queueLimit_) {
        CallOutcome busy = FailureOutcome(503, "busy", "too many commands waiting; try again");
        busy.headers.emplace_back("Retry-After", "1");
        return done(busy);
    }
    if (!linkUp_()) {
        CallOutcome down = FailureOutcome(503, "link-down", "the switcher's link is not open");
        down.headers.emplace_back("Retry-After", "5");
        return done(down);
    }
    ++waiting_;
    Start(call, [this, call, done](const CallOutcome& outcome) {
        --waiting_;
        for (const auto& listener : listeners_) listener(call, outcome);
        done(outcome);
    });
}

void SwitcherCommands::Start(const ApiCall& call, Outcome done) {
    auto reply = [done](const auto& completed) { done(OutcomeOf(completed)); };
    switch (call.action) {
        case ApiAction::kStatus:
            return ops_.Status(reply);
        case ApiAction::kMatrix:
            return ops_.ReadMatrix(reply);
        case ApiAction::kRoute:
            return ops_.Route(call.input, call.output, reply);
        case ApiAction::kArc:
            return ops_.Arc(call.output, call.on, reply);
        case ApiAction::kPower:
            return ops_.Power(call.on, reply);
        case ApiAction::kBeep:
            return ops_.Beep(call.on, reply);
        case ApiAction::kReboot:
            return ops_.Reboot(reply);
        case ApiAction::kFactoryReset:
            return ops_.FactoryReset(reply);
        case ApiAction::kEdidList:
            return ops_.ReadEdid(reply);
        case ApiAction::kEdidPreset:
            return ops_.SetEdidPreset(call.presetIndex, call.inputIndex, reply);
        case ApiAction::kEdidCopy:
            return ops_.CopyEdid(call.output - 1, call.inputIndex, reply);
        case ApiAction::kEdidFile:
            return ops_.WriteEdidFile(kStandardInputName, call.file, call.inputIndex, reply);
        case ApiAction::kInfo:
            return ops_.ReadIdentity(reply);
        case ApiAction::kDeviceText:
            return ops_.SetDeviceText(call.text, reply);
        default:
            if (profileCalls_ && ProfileCalls::Handles(call.action))
                return profileCalls_->Run(call, done);
            return done(FailureOutcome(404, "not-a-command", "not a switcher command"));
    }
}

}  // namespace torvane::service
