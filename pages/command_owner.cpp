#include "pages/command_owner.h"

#include <algorithm>
#include <utility>

namespace torvane {

CommandOwner::CommandOwner(WindowTimers& timers, Send send, GiveUp giveUp)
    : timers_(timers), send_(std::move(send)), giveUp_(std::move(giveUp)) {}

std::uint64_t CommandOwner::Start(int timer, const CommandFrame& unit, CommandWait wait) {
    const std::uint64_t serial = Track(timer, unit, wait);
    send_(unit);
    return serial;
}

std::uint64_t CommandOwner::Track(int timer, const CommandFrame& unit, CommandWait wait) {
    CommandRecord record;
    record.serial = ++serial_;
    record.timer = timer;
    record.sent = unit;
    waiting_[timer] = InFlight{record, wait, false, false};
    lastStarted_ = record;
    timers_.SetTimer(timer, wait.firstMs);
    return record.serial;
}

bool CommandOwner::OnTimer(int id) {
    auto it = waiting_.find(id);
    if (it != waiting_.end() && !it->second.resent) {
        timers_.KillTimer(id);
        if (it->second.wait.resendMs) {
            // The command's own unit goes out again, whatever the window
            // has sent since.
            it->second.resent = true;
            const CommandFrame unit = it->second.record.sent;
            timers_.SetTimer(id + 1, *it->second.wait.resendMs);
            send_(unit);
            return true;
        }
    } else {
        // A give-up timer still running from an earlier command on the same
        // timer ends the command waiting there now.
        it = waiting_.find(id - 1);
        if (it == waiting_.end() || !it->second.wait.resendMs) return false;
        timers_.KillTimer(id);
    }
    const CommandRecord ended = End(it->second.record.timer, CommandOutcome::kTimedOut, nullptr);
    giveUp_(ended);
    return true;
}

void CommandOwner::Confirm(int timer, const ReplyView& reply) {
    StopTimers(timer);
    End(timer, CommandOutcome::kConfirmed, &reply);
}

void CommandOwner::Refuse(int timer, const ReplyView& reply) {
    StopTimers(timer);
    End(timer, CommandOutcome::kRefused, &reply);
}

void CommandOwner::Heard(int timer, const ReplyView& reply) {
    auto it = waiting_.find(timer);
    if (it == waiting_.end()) return;
    CommandFrame bytes{};
    std::copy_n(reply.Bytes(), bytes.size(), bytes.begin());
    it->second.record.reply = bytes;
}

void CommandOwner::MarkLinkLost() {
    for (auto& [timer, command] : waiting_) {
        if (command.lost) continue;
        command.lost = true;
        CommandRecord record = command.record;
        record.outcome = CommandOutcome::kLinkLost;
        Record(record);
    }
}

void CommandOwner::LinkLost() {
    while (!waiting_.empty()) {
        const int timer = waiting_.begin()->first;
        StopTimers(timer);
        End(timer, CommandOutcome::kLinkLost, nullptr);
    }
}

void CommandOwner::StopTimers(int timer) {
    timers_.KillTimer(timer);
    // The next id is the give-up timer only of a command that is resent; a
    // command without a resend may have a neighbour there.
    auto it = waiting_.find(timer);
    if (it != waiting_.end() && it->second.wait.resendMs) timers_.KillTimer(timer + 1);
}

CommandRecord CommandOwner::End(int timer, CommandOutcome outcome, const ReplyView* reply) {
    auto it = waiting_.find(timer);
    if (it == waiting_.end()) return {};
    CommandRecord record = std::move(it->second.record);
    const bool lost = it->second.lost;
    waiting_.erase(it);
    // A command lost with its link has ended already for those who learn
    // outcomes here.
    if (lost) {
        record.outcome = CommandOutcome::kLinkLost;
        return record;
    }
    record.outcome = outcome;
    if (reply) {
        CommandFrame bytes{};
        std::copy_n(reply->Bytes(), bytes.size(), bytes.begin());
        record.reply = bytes;
    }
    Record(record);
    return record;
}

void CommandOwner::Record(const CommandRecord& ended) {
    lastEnded_ = ended;
    for (const auto& observer : observers_) observer(lastEnded_);
}

}  // namespace torvane
