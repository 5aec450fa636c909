#pragma once
// The Upgrade page's dialog template, as data.

#include "ui/dialog_template.h"

namespace torvane::res {

const DialogTemplate& UpgradePageTemplate();

}  // namespace torvane::res
