#pragma once
// The Presets dialog's template and control ids: the switcher's presets in a
// list, a name, the buttons that save, rename, delete and apply, and a box
// that shows the chosen preset or the last application's result.

#include "ui/dialog_template.h"

namespace torvane::res {

inline constexpr int kPresetsDialog = 171;

inline constexpr int kPresetsSwitcherLabel = 1330;
inline constexpr int kPresetsDialogList = 1331;
inline constexpr int kPresetNameEdit = 1332;
inline constexpr int kPresetSaveButton = 1333;
inline constexpr int kPresetRenameButton = 1334;
inline constexpr int kPresetDeleteButton = 1335;
inline constexpr int kPresetApplyButton = 1336;
inline constexpr int kPresetText = 1337;
inline constexpr int kPresetsProblemLabel = 1338;
inline constexpr int kPresetsCloseButton = 2;

const DialogTemplate& PresetsDialogTemplate();

}  // namespace torvane::res
