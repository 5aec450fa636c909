#pragma once
// The profile of the switcher the open link reaches: its names and presets,
// read when the program knows which switcher it is talking to and written
// back through the store on every change. Without a store (no configuration
// folder) or before the switcher is known, there is nothing to show or edit.

#include <functional>
#include <optional>
#include <string>

#include "platform/result.h"
#include "profile/profile.h"
#include "profile/profile_store.h"

namespace torvane {

class SwitcherProfile {
  public:
    explicit SwitcherProfile(std::optional<profile::ProfileStore> store)
        : store_(std::move(store)) {}

    // The profile of the switcher known by `key` becomes the current one. A
    // profile that could not be read was moved aside; Notice() says so.
    Status Identify(const std::string& key);
    // The link closed: no switcher is known any more.
    void Forget();

    bool Known() const { return key_.has_value(); }
    const std::string& Key() const;
    const profile::Profile& Current() const { return current_; }
    // What the operator should be told about the profile (one moved aside),
    // or "".
    const std::string& Notice() const { return notice_; }

    // Changes the current switcher's profile under the store's lock, so a
    // change another program made meanwhile is kept; refused (and nothing
    // written) when no switcher is known or `change` fails.
    Status Change(const std::function<Status(profile::Profile&)>& change);

    // Runs after the current profile changed or another switcher became
    // known (or none).
    void SetOnChanged(std::function<void()> onChanged) { onChanged_ = std::move(onChanged); }

  private:
    void Changed();

    std::optional<profile::ProfileStore> store_;
    std::optional<std::string> key_;
    profile::Profile current_;
    std::string notice_;
    std::function<void()> onChanged_;
};

}  // namespace torvane
