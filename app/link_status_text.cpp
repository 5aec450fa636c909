#include "app/link_status_text.h"

namespace torvane {
namespace {

// Whole seconds, rounded up while waiting (a wait of 0.2 s reads "1 s") and
// down for an age (an answer 0.9 s ago was "0 s ago").
std::string Seconds(TimeMs ms, bool roundUp) {
    const TimeMs s = roundUp ? (ms + 999) / 1000 : ms / 1000;
    return std::to_string(s < 0 ? 0 : s) + " s";
}

std::string StateText(const ConnectionSupervisor& s, TimeMs now) {
    switch (s.State()) {
        case LinkState::kDisconnected:
            return "not connected";
        case LinkState::kConnecting:
            return "connecting";
        case LinkState::kConnected:
            return "connected";
        case LinkState::kReconnecting:
            return "reconnecting";
        case LinkState::kLost:
            break;
    }
    const std::string lost =
        s.LossReason() == ConnectionSupervisor::kNotAnswering ? s.LossReason() : "lost";
    if (!s.AttemptScheduled()) return lost;
    return lost + ": reconnecting in " + Seconds(s.NextAttemptAt() - now, true);
}

}  // namespace

std::string LinkStatusText(const ConnectionSupervisor& supervisor, const std::string& linkName,
                           TimeMs now) {
    std::string text = StateText(supervisor, now);
    if (!linkName.empty() && supervisor.State() != LinkState::kDisconnected)
        text = linkName + ": " + text;
    if (supervisor.State() != LinkState::kDisconnected && supervisor.LastAnswerAt() >= 0)
        text += ", last answer " + Seconds(now - supervisor.LastAnswerAt(), false) + " ago";
    return text;
}

}  // namespace torvane
