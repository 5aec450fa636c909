#pragma once
// A headless operator at the Torvane window: the main window model on a real
// poll() loop with the system's links, and the operation API over it. Each
// command runs one operation and waits for its result; the operations close
// every message the window shows.

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "app/operations.h"
#include "app/torvane_app.h"
#include "cli/options.h"
#include "links/system_links.h"
#include "platform/poll_loop.h"

namespace torvane::cli {

struct Outcome {
    int code = kExitDone;
    std::string error;
    bool Ok() const { return code == kExitDone; }
};

// The exit status and text of an operation's error.
Outcome OutcomeOf(const Error& error);

class Session {
  public:
    Session(const Options& options, std::ostream& trace);

    CTorvaneDlg& Dlg() { return *dlg_; }
    CTorvaneApp& App() { return app_; }
    Operations& Ops() { return *ops_; }
    EventLoop& Loop() { return loop_; }

    // Opens the link of the options, resolving a host name.
    Completed<void> OpenLink();

    // Starts an operation and runs the loop until it has completed.
    template <class T>
    Completed<T> Run(const std::function<void(Operations::Done<T>)>& start) {
        std::optional<Completed<T>> completed;
        start([&completed](const Completed<T>& c) { completed = c; });
        while (!completed) loop_.RunOnce(kIdleWaitMs);
        return std::move(*completed);
    }

    // Runs the loop until `done()` holds or `maxMs` have passed; returns done().
    bool RunUntil(const std::function<bool()>& done, int maxMs);
    // Gate open, no busy dialog, no message showing.
    bool Settled() const;
    // Messages shown (and closed) since the last call.
    std::vector<std::string> TakeMessages() { return ops_->TakeMessages(); }

  private:
    static constexpr int kIdleWaitMs = 1000;

    const Options& options_;
    PollLoop loop_;
    std::unique_ptr<LinkFactory> links_;
    CTorvaneApp app_;
    CTorvaneDlg* dlg_ = nullptr;
    std::optional<Operations> ops_;
};

}  // namespace torvane::cli
