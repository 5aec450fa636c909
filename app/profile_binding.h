#pragma once
// Keeps the window's names those of the switcher its link reaches. When a
// link opens, the switcher is named: by the serial port's stable name (its
// /dev/serial/by-id link where one leads to it), or over TCP
// by its MAC, taken from Search's list where the address is listed there and
// otherwise asked of the address itself. When the link closes, no switcher
// is known and no names are shown.

#include <string>

#include "app/switcher_profile.h"
#include "app/torvane_dlg.h"
#include "network/mac_query.h"

namespace torvane {

class ProfileBinding {
  public:
    // How long a switcher's network module gets to say which switcher it is.
    static constexpr int kMacWaitMs = 1500;

    ProfileBinding(CTorvaneDlg& dlg, LinkFactory& links, SwitcherProfile& profile);
    ~ProfileBinding();
    ProfileBinding(const ProfileBinding&) = delete;
    ProfileBinding& operator=(const ProfileBinding&) = delete;

    // Why the switcher the link reaches has no profile, or "".
    const std::string& Problem() const { return problem_; }

  private:
    void OnLinkChanged();
    void Identify(const std::string& key);
    void ShowNames();

    CTorvaneDlg& dlg_;
    SwitcherProfile& profile_;
    MacQuery macQuery_;
    std::string problem_;
};

// The MAC of the switcher Search listed at `ip`, if it did.
std::optional<MacAddress> ListedMac(const Discovery& discovery, const std::string& ip);

}  // namespace torvane
