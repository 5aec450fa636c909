#pragma once
// The network configuration dialog's template (139).

#include "ui/dialog_template.h"

namespace torvane::res {

const DialogTemplate& ConfigIpDialogTemplate();

}  // namespace torvane::res
