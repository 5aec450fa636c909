#include "app/state_reading.h"

#include <utility>

namespace torvane {
namespace {

constexpr int kPorts = 8;

std::deque<CommandFrame> ReadingQueries(bool whole) {
    // Power first: a switcher that is off is not asked the rest.
    std::deque<CommandFrame> q{PowerStateQuery(), BeepStateQuery()};
    for (int n = 1; n <= kPorts; ++n) {
        q.push_back(InputStateQuery(n));
        q.push_back(OutputStateQuery(n));
    }
    for (int n = 1; n <= kPorts; ++n) q.push_back(MatrixQuery(n));
    for (int n = 1; n <= kPorts; ++n) q.push_back(ArcQuery(n));
    for (int n = 1; n <= kPorts; ++n) q.push_back(EdidStateQuery(n));
    if (!whole) return q;
    q.push_back(DeviceQuery(op::kDeviceType.command));
    q.push_back(DeviceQuery(op::kFirmwareVersion.command));
    for (std::uint8_t k = op::kFirstTextRead; k <= op::kLastTextRead; ++k)
        q.push_back(DeviceTextRead(k));
    return q;
}

bool SamePair(const ReplyView& a, const CommandFrame& b) {
    return a.Group() == b[2] && a.Command() == b[3];
}

}  // namespace

StateReading::StateReading(EventLoop& loop, Hooks hooks)
    : loop_(loop), hooks_(std::move(hooks)), timers_(loop, [this](int id) { OnTimer(id); }) {}

void StateReading::Start(bool whole) {
    whole = whole || (reading_ && whole_);
    // The query waiting keeps its place at the front.
    std::deque<CommandFrame> queries = ReadingQueries(whole);
    if (inFlight_) queries.push_front(queue_.front());
    queue_ = std::move(queries);
    reading_ = true;
    whole_ = whole;
    SendNext();
}

void StateReading::KeepAlive() {
    if (Busy()) return;
    queue_.push_back(PowerStateQuery());
    SendNext();
}

void StateReading::Stop() {
    timers_.KillAll();
    queue_.clear();
    inFlight_ = false;
    reading_ = false;
}

void StateReading::SendNext() {
    if (inFlight_ || queue_.empty()) return;
    if (!hooks_.idle()) {
        if (!timers_.IsRunning(kIdleTimer)) timers_.SetTimer(kIdleTimer, kIdleCheckMs);
        return;
    }
    timers_.KillTimer(kIdleTimer);
    inFlight_ = true;
    resent_ = false;
    timers_.SetTimer(kAnswerTimer, kAnswerMs);
    hooks_.send(queue_.front());
}

void StateReading::OnAnswer(const ReplyView& reply) {
    // A late answer to something else leaves the query waiting for its own.
    if (!inFlight_ || !SamePair(reply, queue_.front())) return;
    timers_.KillTimer(kAnswerTimer);
    inFlight_ = false;
    queue_.pop_front();
    if (reply.Is(op::kPowerState) && reply.First() == kStateOff && reading_) queue_.clear();
    if (queue_.empty()) {
        if (std::exchange(reading_, false) && hooks_.finished) hooks_.finished(whole_);
        return;
    }
    // The next query waits for the operator's input held meanwhile.
    timers_.SetTimer(kIdleTimer, 0);
}

void StateReading::OnTimer(int id) {
    if (id == kIdleTimer) {
        timers_.KillTimer(kIdleTimer);
        SendNext();
        return;
    }
    if (id != kAnswerTimer || !inFlight_) return;
    if (!resent_) {
        resent_ = true;
        hooks_.send(queue_.front());
        return;
    }
    Stop();
    hooks_.notAnswering();
}

}  // namespace torvane
