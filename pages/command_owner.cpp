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
    waiting_.insert_or_assign(timer, InFlight{record, wait, 0, false, nullptr});
    lastStarted_ = record;
    timers_.SetTimer(timer, wait.firstMs);
    if (wait.pollForMs) timers_.SetTimer(timer + 1, *wait.pollForMs);
    return record.serial;
}

std::uint64_t CommandOwner::StartHeld(int timer, std::function<void()> sendHeld, CommandWait wait) {
    const std::uint64_t serial = Track(timer, CommandFrame{}, wait);
    waiting_.find(timer)->second.sendHeld = sendHeld;
    sendHeld();
    return serial;
}

std::map<int, CommandOwner::InFlight>::iterator CommandOwner::Find(int id, Expiry& expiry) {
    // A command's own next resend comes first.
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
        const InFlight& c = it->second;
        if (c.wait.pollForMs && it->first == id) {
            expiry = Expiry::kPoll;
            return it;
        }
        if (!c.wait.pollForMs && it->first + c.resendsDone == id && c.resendsDone == 0 &&
            !c.wait.resendMs) {
            expiry = Expiry::kGiveUp;  // a single wait, no resend
            return it;
        }
        if (!c.wait.pollForMs && c.wait.resendMs && c.resendsDone < c.wait.resends &&
            it->first + c.resendsDone == id) {
            expiry = Expiry::kResend;
            return it;
        }
    }
    // Then the give-up timer, also one still running from an earlier
    // command on the same timer: it ends the command waiting there now.
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
        const InFlight& c = it->second;
        if (!c.wait.resendMs) continue;
        if (it->first + (c.wait.pollForMs ? 1 : c.wait.resends) == id) {
            expiry = Expiry::kGiveUp;
            return it;
        }
    }
    return waiting_.end();
}

void CommandOwner::Resend(InFlight& command) {
    // The command's own unit goes out again, whatever the window has sent
    // since.
    if (command.sendHeld) {
        const auto sendHeld = command.sendHeld;
        sendHeld();
    } else {
        const CommandFrame unit = command.record.sent;
        send_(unit);
    }
}

bool CommandOwner::OnTimer(int id) {
    Expiry expiry;
    auto it = Find(id, expiry);
    if (it == waiting_.end()) return false;
    InFlight& command = it->second;
    switch (expiry) {
        case Expiry::kPoll:
            timers_.SetTimer(id, *command.wait.resendMs);
            Resend(command);
            return true;
        case Expiry::kResend:
            timers_.KillTimer(id);
            ++command.resendsDone;
            timers_.SetTimer(id + 1, *command.wait.resendMs);
            Resend(command);
            return true;
        case Expiry::kGiveUp:
            break;
    }
    // Only the expired timer stops (and a poll's own): a stray resend timer
    // of an earlier command finds no command when it expires.
    timers_.KillTimer(id);
    if (command.wait.pollForMs) timers_.KillTimer(it->first);
    const CommandRecord ended = End(it->first, CommandOutcome::kTimedOut, nullptr);
    giveUp_(ended);
    return true;
}

void CommandOwner::Drop(int timer) {
    StopTimers(timer);
    waiting_.erase(timer);
}

void CommandOwner::DropAll() {
    while (!waiting_.empty()) Drop(waiting_.begin()->first);
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
    // The next ids are the resend and give-up timers only of a command that
    // is resent; a command without a resend may have a neighbour there.
    auto it = waiting_.find(timer);
    if (it == waiting_.end() || !it->second.wait.resendMs) return;
    const int last = timer + (it->second.wait.pollForMs ? 1 : it->second.wait.resends);
    for (int id = timer + 1; id <= last; ++id) timers_.KillTimer(id);
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
