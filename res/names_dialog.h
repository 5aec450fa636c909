#pragma once
// The Names dialog's template and control ids: an edit for the name of each
// input and each output.

#include "ui/dialog_template.h"

namespace torvane::res {

inline constexpr int kNamesDialog = 170;

inline constexpr int kNamesFirstInputEdit = 1301;   // 1301 to 1308: inputs 1 to 8
inline constexpr int kNamesFirstOutputEdit = 1311;  // 1311 to 1318: outputs A to H
inline constexpr int kNamesSwitcherLabel = 1320;    // which switcher the names belong to
inline constexpr int kNamesProblemLabel = 1321;     // why the names cannot be kept
inline constexpr int kNamesOkButton = 1;
inline constexpr int kNamesCancelButton = 2;

// Longest name an edit takes, in characters.
inline constexpr int kNameEditLimit = 32;

const DialogTemplate& NamesDialogTemplate();

}  // namespace torvane::res
