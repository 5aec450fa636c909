#include "sim/posix_panel_actions.h"

namespace torvane::sim {
namespace {

constexpr int kRetryMs = 500;

}  // namespace

void PosixPanelActions::Apply(const FrontPanelCommand& command) {
    if (command.kind != FrontPanelCommand::kVanish) {
        ApplyFrontPanelCommand(command, model_.State());
        return;
    }
    loop_.CancelTimer(backTimer_);
    tcp_.Close();
    pty_.Close();
    backTimer_ = loop_.StartTimer(command.vanishMs, [this] { ComeBack(); });
}

void PosixPanelActions::ComeBack() {
    backTimer_ = 0;
    std::string error;
    if ((!tcp_.Listening() && !tcp_.ListenAgain(&error)) ||
        (!pty_.IsOpen() && !pty_.Reopen(&error))) {
        if (reports_.retrying) reports_.retrying(error);
        backTimer_ = loop_.StartTimer(kRetryMs, [this] { ComeBack(); });
        return;
    }
    if (reports_.back) reports_.back(pty_.SlavePath());
}

}  // namespace torvane::sim
