#pragma once
// The program's own queries, sent while the operator is not using the link:
// the keep-alive and the readings of the whole state. One query at a time,
// and only while the window is idle; each waits a second for its answer, is
// sent once more, and then the switcher is taken as not answering. While a
// query waits, the operator's input is held back and served as soon as its
// answer arrives, so a reading never refuses a click.

#include <deque>
#include <functional>

#include "platform/window_timers.h"
#include "protocol/commands.h"

namespace torvane {

class StateReading {
  public:
    struct Hooks {
        // Nothing of the operator's is under way and the link is open.
        std::function<bool()> idle;
        std::function<void(const CommandFrame& query)> send;
        // A query went unanswered, resend and all; the reading is dropped.
        std::function<void()> notAnswering;
        // The reading begun with Start has ended.
        std::function<void(bool whole)> finished;
    };

    static constexpr int kAnswerMs = 1000;
    // How often a reading waiting for the window to become idle looks again.
    static constexpr int kIdleCheckMs = 100;

    StateReading(EventLoop& loop, Hooks hooks);

    // Reads the whole state (identity and device text included) or only what
    // changes. A reading under way is replaced; a whole one is not narrowed.
    void Start(bool whole);
    // The keep-alive: one power state query, unless a reading is under way
    // (its answers tell the same).
    void KeepAlive();
    // Drops everything: the link is gone.
    void Stop();

    // A query waits for its answer: the next reply accepted is for OnAnswer.
    bool InFlight() const { return inFlight_; }
    bool Busy() const { return inFlight_ || !queue_.empty(); }
    void OnAnswer(const ReplyView& reply);

  private:
    enum Timer { kAnswerTimer = 1, kIdleTimer };
    void SendNext();
    void OnTimer(int id);

    EventLoop& loop_;
    Hooks hooks_;
    WindowTimers timers_;
    std::deque<CommandFrame> queue_;
    bool inFlight_ = false;
    bool resent_ = false;
    bool reading_ = false;
    bool whole_ = false;
};

}  // namespace torvane
