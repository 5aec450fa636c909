#pragma once
// The one command path of the service: each call runs through the
// operations (one at a time, in order, as the window would run it), and each
// client gets its own outcome as a status and a JSON body. A bounded number
// of calls may wait; past that the client is asked to come back later. Every
// outcome is also told to the listeners (the event stream, a bridge).

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/operations.h"
#include "app/switcher_profile.h"
#include "platform/event_loop.h"
#include "service/api_request.h"
#include "service/call_outcome.h"
#include "service/profile_calls.h"

namespace torvane::service {

// What `call` asked for, as the event stream tells it: its route and
// arguments ({"command":"/api/route","output":"B","input":3}).
std::string CallJson(const ApiCall& call);

class SwitcherCommands {
  public:
    static constexpr std::size_t kDefaultQueueLimit = 16;
    using Outcome = std::function<void(const CallOutcome&)>;
    using Listener = std::function<void(const ApiCall&, const CallOutcome&)>;

    // `linkUp` tells whether the link is open now: with it down a call is
    // answered at once rather than queued.
    SwitcherCommands(Operations& ops, std::function<bool()> linkUp,
                     std::size_t queueLimit = kDefaultQueueLimit);

    // The names and presets calls work on `profile`; without it they are
    // not served.
    void SetProfile(SwitcherProfile& profile) { profileCalls_.emplace(ops_, profile); }

    void Run(const ApiCall& call, Outcome done);
    std::size_t Waiting() const { return waiting_; }
    void AddListener(Listener listener) { listeners_.push_back(std::move(listener)); }

  private:
    void Start(const ApiCall& call, Outcome done);

    Operations& ops_;
    std::function<bool()> linkUp_;
    std::size_t queueLimit_;
    std::size_t waiting_ = 0;
    std::vector<Listener> listeners_;
    std::optional<ProfileCalls> profileCalls_;
};

}  // namespace torvane::service
