#pragma once
// torvanectl upgrade, info and text: the Upgrade page's firmware transfer,
// the switcher's identity and its device text.

#include <optional>
#include <string>
#include <vector>

#include "cli/printer.h"
#include "cli/session.h"

namespace torvane::cli {

struct UpgradeRequest {
    enum Action { kUpgrade, kInfo, kTextSet } action = kInfo;
    std::string path;  // kUpgrade: the image file
    std::string text;  // kTextSet: up to 32 characters
};

// Checks the arguments of `upgrade`, `info` and `text` before any link is
// opened, the firmware file included; on a refusal returns nothing and sets
// `refused`.
std::optional<UpgradeRequest> ParseUpgradeRequest(const Options& options, Outcome& refused);

// Enters the Upgrade page on the open link and carries out the request.
int RunUpgradePage(Session& session, const UpgradeRequest& request, const Printer& print);

}  // namespace torvane::cli
