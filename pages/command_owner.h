#pragma once
// The commands of one window that wait for the switcher's answer, from sending
// to their end. Each command keeps the timer id its window gives it: the
// owner sends the unit, sends the same unit once more when that timer
// expires, gives up when the give-up timer (the next id) expires too, and
// records how the command ended. Callers (the window, torvanectl, a service)
// learn the outcome here, not from timers or texts.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/window_timers.h"
#include "protocol/commands.h"

namespace torvane {

enum class CommandOutcome {
    kPending,
    kConfirmed,  // the switcher answered as asked; the record keeps its reply
    kRefused,    // the switcher answered no; the record keeps its reply
    kTimedOut,   // no answer to the unit nor to its resend
    kLinkLost,   // the link went away while the command waited
};

struct CommandRecord {
    std::uint64_t serial = 0;  // counts the commands of the window, from 1
    int timer = 0;             // the command's resend timer (or only timer)
    CommandFrame sent{};       // a held unit's command keeps no copy of it
    CommandOutcome outcome = CommandOutcome::kPending;
    std::optional<CommandFrame> reply;
};

// How long a command waits: `firstMs` for the answer to the unit and, when
// `resendMs` is set, that long again for the answer to each resend. The
// resends run on consecutive ids: the first when the command's timer
// expires, the next when the following id does, and the id after the last
// resend's gives up (one resend: the timer, then its give-up timer, the next
// id).
// A poll instead (`pollForMs` set): the unit goes out again every
// `resendMs` on the command's own timer until its give-up timer (the next
// id), armed when the command starts, expires after `pollForMs`.
struct CommandWait {
    CommandWait(int firstMs, std::optional<int> resendMs, int resends = 1,
                std::optional<int> pollForMs = std::nullopt)
        : firstMs(firstMs), resendMs(resendMs), resends(resends), pollForMs(pollForMs) {}
    int firstMs;
    std::optional<int> resendMs;
    int resends;
    std::optional<int> pollForMs;
};

class CommandOwner {
  public:
    // `send` puts a unit on its way; `giveUp` shows what the window shows
    // when a command got no answer ("Time out!" and the gate reopened).
    using Send = std::function<void(const CommandFrame& unit)>;
    using GiveUp = std::function<void(const CommandRecord& command)>;
    using Observer = std::function<void(const CommandRecord& command)>;

    CommandOwner(WindowTimers& timers, Send send, GiveUp giveUp);

    // Sends `unit` and arms the command's timer. A command still waiting on
    // the same timer is replaced, as re-arming a window timer does.
    std::uint64_t Start(int timer, const CommandFrame& unit, CommandWait wait);
    // Arms the command's timer for a unit the window sent itself.
    std::uint64_t Track(int timer, const CommandFrame& unit, CommandWait wait);
    // For a unit the window holds itself (a firmware block, which only its
    // transfer writes): `sendHeld` puts it on its way, now and on a resend.
    std::uint64_t StartHeld(int timer, std::function<void()> sendHeld, CommandWait wait);
    // The window lets the command waiting on `timer` go, unanswered and
    // unreported (a new run replaces it).
    void Drop(int timer);
    void DropAll();
    // Handles an expiry; false when `id` is no timer of a waiting command.
    bool OnTimer(int id);

    // The command waiting on `timer` ended with `reply`: its timer and, for a
    // command that is resent, its give-up timer stop.
    void Confirm(int timer, const ReplyView& reply);
    void Refuse(int timer, const ReplyView& reply);
    // Every waiting command ends as lost with the link, and the window
    // waits for none of them any more (no resend, no "Time out!").
    void LinkLost();
    // The link went away by itself while commands waited: each ends as lost
    // for those who learn outcomes here, while the window goes on as it
    // always has (its resend goes nowhere, its give-up shows "Time out!" and
    // reopens the gate).
    void MarkLinkLost();

    bool Waiting(int timer) const { return waiting_.count(timer) != 0; }
    bool AnyWaiting() const { return !waiting_.empty(); }
    // The last command that ended, and the one started last.
    const CommandRecord& LastEnded() const { return lastEnded_; }
    const CommandRecord& LastStarted() const { return lastStarted_; }
    // Called with every command that ends, whatever its outcome.
    void AddObserver(Observer observer) { observers_.push_back(std::move(observer)); }
    // The switcher said something about the command waiting on `timer`
    // that does not end it (an acknowledgement of the other state, say):
    // the record keeps it as its reply, should the command end unanswered.
    void Heard(int timer, const ReplyView& reply);

  private:
    struct InFlight {
        CommandRecord record;
        CommandWait wait;
        int resendsDone = 0;
        bool lost = false;  // ended as lost; the window's timers run on
        std::function<void()> sendHeld;
    };
    // The command `id` belongs to, and what its expiry does.
    enum class Expiry { kResend, kPoll, kGiveUp };
    std::map<int, InFlight>::iterator Find(int id, Expiry& expiry);
    void Resend(InFlight& command);
    void StopTimers(int timer);
    CommandRecord End(int timer, CommandOutcome outcome, const ReplyView* reply);
    void Record(const CommandRecord& ended);

    WindowTimers& timers_;
    Send send_;
    GiveUp giveUp_;
    std::vector<Observer> observers_;
    std::map<int, InFlight> waiting_;
    std::uint64_t serial_ = 0;
    CommandRecord lastStarted_;
    CommandRecord lastEnded_;
};

}  // namespace torvane
