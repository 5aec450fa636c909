#pragma once
// The names and presets of the switcher the link reaches, as API calls: the
// names read and changed, presets listed, saved from the routing the
// switcher confirmed, applied one confirmed command at a time, and deleted.
// Every change goes through the switcher's profile, which the window and
// torvanectl share.

#include <functional>
#include <memory>
#include <vector>

#include "app/operation_routing.h"
#include "app/switcher_profile.h"
#include "service/api_request.h"
#include "service/call_outcome.h"

namespace torvane::service {

class ProfileCalls {
  public:
    using Outcome = std::function<void(const CallOutcome&)>;

    ProfileCalls(Operations& ops, SwitcherProfile& profile);
    ~ProfileCalls();

    static bool Handles(ApiAction action);
    void Run(const ApiCall& call, Outcome done);

  private:
    void SavePreset(const ApiCall& call, Outcome done);
    void ApplyPreset(const ApiCall& call, Outcome done);

    Operations& ops_;
    SwitcherProfile& profile_;
    OperationRouting routing_;
    std::vector<std::unique_ptr<PresetRun>> runs_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace torvane::service
