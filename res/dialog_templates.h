#pragma once
// The program's dialog templates, as data.

#include "ui/dialog_template.h"

namespace torvane::res {

const DialogTemplate& MainWindowTemplate();
const DialogTemplate& MessageDialogTemplate();
const DialogTemplate& BusyDialogTemplate();
const DialogTemplate& AboutBoxTemplate();
const DialogTemplate& MatrixPageTemplate();

}  // namespace torvane::res
