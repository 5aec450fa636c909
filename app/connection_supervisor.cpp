#include "app/connection_supervisor.h"

#include <algorithm>
#include <memory>
#include <random>

namespace torvane {
namespace {

// A keep-alive the link could not send yet (a command is on its way) is
// tried again this soon.
constexpr int kBusyRetryMs = 250;

ConnectionSupervisor::RandomSource SeededRandom() {
    auto engine = std::make_shared<std::mt19937>(std::random_device{}());
    return [engine] { return std::uniform_real_distribution<double>(0.0, 1.0)(*engine); };
}

}  // namespace

const char* LinkStateName(LinkState state) {
    switch (state) {
        case LinkState::kDisconnected:
            return "disconnected";
        case LinkState::kConnecting:
            return "connecting";
        case LinkState::kConnected:
            return "connected";
        case LinkState::kLost:
            return "lost";
        case LinkState::kReconnecting:
            return "reconnecting";
    }
    return "";
}

ConnectionSupervisor::ConnectionSupervisor(EventLoop& loop, SupervisedLink& link,
                                           RandomSource random)
    : loop_(loop),
      link_(link),
      random_(random ? std::move(random) : SeededRandom()),
      timers_(loop, [this](int id) { OnTimer(id); }) {}

int ConnectionSupervisor::WaitBefore(int attempt, double random) {
    int nominal = kFirstWaitMs;
    for (int k = 0; k < attempt && nominal < kLongestWaitMs; ++k) nominal *= 2;
    nominal = std::min(nominal, kLongestWaitMs);
    const double spread = std::clamp(random, 0.0, 1.0) * nominal / 4;
    return nominal - static_cast<int>(spread);
}

void ConnectionSupervisor::SetSettings(const SupervisorSettings& settings) {
    settings_ = settings;
    if (state_ == LinkState::kConnected) ArmIdleTimers();
    if (state_ != LinkState::kLost) return;
    if (!settings_.reconnect)
        timers_.KillTimer(kAttemptTimer);
    else if (!AttemptScheduled())
        ScheduleAttempt();
}

int ConnectionSupervisor::AddObserver(Observer observer) {
    observers_[nextObserver_] = std::move(observer);
    return nextObserver_++;
}

void ConnectionSupervisor::RemoveObserver(int id) { observers_.erase(id); }

void ConnectionSupervisor::Enter(LinkState state) {
    if (state == state_) return;
    state_ = state;
    // A copy: an observer may add or remove observers.
    const auto observers = observers_;
    for (const auto& [id, observer] : observers)
        if (observers_.count(id)) observer(state);
}

void ConnectionSupervisor::OperatorConnecting() {
    timers_.KillAll();
    attempts_ = 0;
    Enter(LinkState::kConnecting);
}

void ConnectionSupervisor::OperatorDisconnected() {
    timers_.KillAll();
    attempts_ = 0;
    Enter(LinkState::kDisconnected);
}

void ConnectionSupervisor::Connected() {
    const bool returned = state_ == LinkState::kReconnecting;
    timers_.KillTimer(kAttemptTimer);
    attempts_ = 0;
    quietSince_ = loop_.Now();
    Enter(LinkState::kConnected);
    ArmIdleTimers();
    if (!returned) return;
    returnedAt_ = loop_.Now();
    link_.ReadState(true);
}

void ConnectionSupervisor::OpenFailed(const std::string& reason) {
    if (state_ == LinkState::kConnecting) return Enter(LinkState::kDisconnected);
    if (state_ != LinkState::kReconnecting) return;
    lossReason_ = reason;
    // Scheduled first, so whoever hears of the loss also hears when the next attempt is.
    if (settings_.reconnect) ScheduleAttempt();
    Enter(LinkState::kLost);
}

void ConnectionSupervisor::Lost(const std::string& reason) {
    // A link that ends as soon as it reopens is an attempt that failed.
    if (state_ == LinkState::kReconnecting) return OpenFailed(reason);
    if (state_ != LinkState::kConnected) return;
    lossReason_ = reason;
    StopIdleTimers();
    if (settings_.reconnect) ScheduleAttempt();
    Enter(LinkState::kLost);
}

void ConnectionSupervisor::Answered() { lastAnswerAt_ = quietSince_ = loop_.Now(); }

void ConnectionSupervisor::NotAnswering() {
    if (state_ != LinkState::kConnected) return;
    link_.CloseQuietly();
    Lost(kNotAnswering);
}

void ConnectionSupervisor::StateRead() {
    if (returnedAt_ >= 0 && stateReadAt_ < returnedAt_) stateReadAt_ = loop_.Now();
}

void ConnectionSupervisor::ScheduleAttempt() {
    const int wait = WaitBefore(attempts_, random_());
    nextAttemptAt_ = loop_.Now() + wait;
    timers_.SetTimer(kAttemptTimer, wait);
}

void ConnectionSupervisor::ArmIdleTimers() {
    StopIdleTimers();
    if (settings_.keepAliveMs > 0) timers_.SetTimer(kKeepAliveTimer, settings_.keepAliveMs);
    if (settings_.refreshMs > 0) timers_.SetTimer(kRefreshTimer, settings_.refreshMs);
}

void ConnectionSupervisor::StopIdleTimers() {
    timers_.KillTimer(kKeepAliveTimer);
    timers_.KillTimer(kRefreshTimer);
}

void ConnectionSupervisor::OnTimer(int id) {
    switch (id) {
        case kAttemptTimer:
            timers_.KillTimer(kAttemptTimer);
            ++attempts_;
            Enter(LinkState::kReconnecting);
            link_.Reopen();
            return;
        case kKeepAliveTimer: {
            // Only a link that has been quiet that long is asked.
            const TimeMs due = quietSince_ + settings_.keepAliveMs;
            const TimeMs now = loop_.Now();
            if (now < due)
                timers_.SetTimer(kKeepAliveTimer, static_cast<int>(due - now));
            else if (link_.SendKeepAlive())
                timers_.SetTimer(kKeepAliveTimer, settings_.keepAliveMs);
            else
                timers_.SetTimer(kKeepAliveTimer, kBusyRetryMs);
            return;
        }
        case kRefreshTimer:
            link_.ReadState(false);
            return;
        default:
            return;
    }
}

}  // namespace torvane
