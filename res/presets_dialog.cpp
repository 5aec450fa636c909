#include "res/presets_dialog.h"

#include "res/control_builder.h"
#include "res/names_dialog.h"

namespace torvane::res {
namespace {

DialogTemplate BuildPresetsDialog() {
    using K = ControlKind;
    DialogTemplate d;
    d.id = kPresetsDialog;
    d.width = 262;
    d.height = 206;
    d.font = "Microsoft YaHei";
    auto& c = d.controls;
    c.push_back(MakeControl(kPresetsSwitcherLabel, K::kLabel, "", {7, 7, 248, 8}));
    c.push_back(MakeControl(kNoControlId, K::kLabel, "Preset", {7, 22, 30, 8}));
    c.push_back(MakeControl(kPresetsDialogList, K::kDropDownList, "", {40, 20, 145, 100},
                            kSorted | kVerticalScroll | kGroupStart));
    c.push_back(MakeControl(kNoControlId, K::kLabel, "Name", {7, 39, 30, 8}));
    ControlTemplate name = MakeControl(kPresetNameEdit, K::kEdit, "", {40, 37, 145, 12});
    name.textLimit = kNameEditLimit;
    c.push_back(name);
    c.push_back(MakeControl(kPresetText, K::kMultiLineEdit, "", {7, 54, 178, 112},
                            kVerticalScroll | kBorder | kReadOnly));
    c.push_back(MakeControl(kPresetApplyButton, K::kPushButton, "Apply", {195, 20, 60, 14}));
    c.push_back(MakeControl(kPresetSaveButton, K::kPushButton, "Save current", {195, 37, 60, 14}));
    c.push_back(MakeControl(kPresetRenameButton, K::kPushButton, "Rename", {195, 54, 60, 14}));
    c.push_back(MakeControl(kPresetDeleteButton, K::kPushButton, "Delete", {195, 71, 60, 14}));
    c.push_back(MakeControl(kPresetsProblemLabel, K::kLabel, "", {7, 172, 248, 8}));
    c.push_back(
        MakeControl(kPresetsCloseButton, K::kPushButton, "Close", {205, 186, 50, 14}, kGroupStart));
    return d;
}

}  // namespace

const DialogTemplate& PresetsDialogTemplate() {
    static const DialogTemplate t = BuildPresetsDialog();
    return t;
}

}  // namespace torvane::res
