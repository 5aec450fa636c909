#pragma once
// Keeps the link the operator opened alive. It hears what happens to the
// link (opened, failed, lost, answered), notices a switcher that stopped
// answering by a keep-alive query while the link is idle, reopens a lost
// link after growing, jittered waits, has the whole state read again once it
// is back, and has the state read again every so often while idle. It
// decides only when; the link it drives does the opening and the reading.
// Commands from before a loss are never its business: nothing is replayed.

#include <functional>
#include <map>
#include <string>

#include "platform/event_loop.h"
#include "platform/window_timers.h"

namespace torvane {

enum class LinkState {
    kDisconnected,  // no link, or the operator closed it
    kConnecting,    // the operator's attempt is under way
    kConnected,
    kLost,          // gone by itself; waiting for the next attempt (or for the operator)
    kReconnecting,  // an attempt of the supervisor's is under way
};

const char* LinkStateName(LinkState state);

// What the supervisor drives.
class SupervisedLink {
  public:
    virtual ~SupervisedLink() = default;
    // Opens the link the operator last opened, by the same path or address;
    // the answer comes back as Connected() or OpenFailed(), at once or later.
    virtual void Reopen() = 0;
    // Closes a link the switcher no longer answers on, telling nobody.
    virtual void CloseQuietly() = 0;
    // Reads the switcher's state again: all of it after a reconnect, what
    // changes (not the identity) for a refresh.
    virtual void ReadState(bool whole) = 0;
    // Sends the keep-alive query; false when the link is busy right now.
    virtual bool SendKeepAlive() = 0;
};

struct SupervisorSettings {
    bool reconnect = true;
    int keepAliveMs = 0;  // 0: no keep-alive query
    int refreshMs = 0;    // 0: no refresh
};

class ConnectionSupervisor {
  public:
    // Numbers in [0, 1) that spread the waits; tests pass their own.
    using RandomSource = std::function<double()>;
    using Observer = std::function<void(LinkState state)>;

    static constexpr int kFirstWaitMs = 500;
    static constexpr int kLongestWaitMs = 30000;
    static constexpr const char* kNotAnswering = "switcher not answering";

    ConnectionSupervisor(EventLoop& loop, SupervisedLink& link, RandomSource random = {});

    void SetSettings(const SupervisorSettings& settings);
    const SupervisorSettings& Settings() const { return settings_; }
    // Called with every change of state, in the order they happen; the id
    // removes it. The service and its MQTT bridge each hear the same link.
    int AddObserver(Observer observer);
    void RemoveObserver(int id);

    // --- what happened to the link ---
    void OperatorConnecting();
    void OperatorDisconnected();
    void Connected();
    void OpenFailed(const std::string& reason);
    // The link reported its end (peer closed, reset, hang-up, I/O error).
    void Lost(const std::string& reason);
    // Any answer from the switcher.
    void Answered();
    // A query of the keep-alive or of a reading went unanswered, resend and all.
    void NotAnswering();
    // The state reading after a reconnect has ended.
    void StateRead();

    LinkState State() const { return state_; }
    // Why the link was lost (the link's words, or kNotAnswering).
    const std::string& LossReason() const { return lossReason_; }
    // When the next attempt starts, while lost and reconnecting automatically.
    TimeMs NextAttemptAt() const { return nextAttemptAt_; }
    bool AttemptScheduled() const { return timers_.IsRunning(kAttemptTimer); }
    // When the switcher last answered; -1 before it ever has.
    TimeMs LastAnswerAt() const { return lastAnswerAt_; }
    // Attempts since the link was lost.
    int Attempts() const { return attempts_; }
    // When the link came back and when its state was read after that; -1
    // until they have.
    TimeMs ReturnedAt() const { return returnedAt_; }
    TimeMs StateReadAt() const { return stateReadAt_; }

    // The wait before attempt `attempt` (0 first): 0.5 s doubling up to 30 s,
    // shortened by up to a quarter by `random`, so many programs that lost
    // one switcher do not all come back at once.
    static int WaitBefore(int attempt, double random);

  private:
    enum Timer { kAttemptTimer = 1, kKeepAliveTimer, kRefreshTimer };
    void Enter(LinkState state);
    void ScheduleAttempt();
    void OnTimer(int id);
    void ArmIdleTimers();
    void StopIdleTimers();

    EventLoop& loop_;
    SupervisedLink& link_;
    RandomSource random_;
    WindowTimers timers_;
    SupervisorSettings settings_;
    std::map<int, Observer> observers_;
    int nextObserver_ = 1;
    LinkState state_ = LinkState::kDisconnected;
    std::string lossReason_;
    TimeMs nextAttemptAt_ = 0;
    TimeMs lastAnswerAt_ = -1;
    // The keep-alive asks once the link has been quiet this long since then.
    TimeMs quietSince_ = 0;
    TimeMs returnedAt_ = -1;
    TimeMs stateReadAt_ = -1;
    int attempts_ = 0;
};

}  // namespace torvane
