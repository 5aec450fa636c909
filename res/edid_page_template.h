#pragma once
// The EDID page's dialog template, as data.

#include "ui/dialog_template.h"

namespace torvane::res {

const DialogTemplate& EdidPageTemplate();

}  // namespace torvane::res
