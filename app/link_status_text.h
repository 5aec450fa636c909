#pragma once
// The line under the pages that tells the operator how the link is: which
// link, its state ("connected", "lost: reconnecting in 4 s", "switcher not
// answering: reconnecting in 1 s") and how long ago the switcher last
// answered.

#include <string>

#include "app/connection_supervisor.h"

namespace torvane {

std::string LinkStatusText(const ConnectionSupervisor& supervisor, const std::string& linkName,
                           TimeMs now);

}  // namespace torvane
