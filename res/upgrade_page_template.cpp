#include "res/upgrade_page_template.h"

#include <string>

#include "res/control_builder.h"
#include "res/upgrade_page_ids.h"

namespace torvane::res {
namespace {

using K = ControlKind;

ControlTemplate HalfEdit(int id, Rect rect) {
    // The device keeps 32 characters, written and read in two halves of 16.
    ControlTemplate t = MakeControl(id, K::kEdit, "", rect, kBorder, false);
    t.textLimit = 16;
    return t;
}

DialogTemplate BuildUpgradePage() {
    DialogTemplate d;
    d.id = kUpgradePage;
    d.width = 311;
    d.height = 245;
    d.font = "Microsoft YaHei";
    auto& c = d.controls;
    c.push_back(MakeControl(kNoControlId, K::kGroupBox, "Upgrade", {7, 4, 297, 64}));
    c.push_back(MakeControl(kNoControlId, K::kLabel, "Open BIN File", {16, 18, 60, 8}));
    c.push_back(
        MakeControl(kFirmwarePathBox, K::kEdit, "", {16, 29, 222, 12}, kReadOnly | kBorder));
    c.push_back(MakeControl(kFirmwareOpenButton, K::kPushButton, "Open", {246, 29, 50, 12}));
    c.push_back(MakeControl(kUpgradeProgress, K::kProgressBar, "", {16, 48, 222, 11}, kBorder));
    c.push_back(MakeControl(kUpgradeButton, K::kPushButton, "Upgrade", {246, 47, 50, 12}));
    c.push_back(MakeControl(kNoControlId, K::kGroupBox, "Messages", {7, 72, 297, 138}));
    c.push_back(MakeControl(kUpgradeLog, K::kMultiLineEdit, "", {14, 84, 283, 120},
                            kVerticalScroll | kAutoVScroll | kBorder));
    c.push_back(MakeControl(kDeviceLineLabel, K::kLabel, "", {10, 216, 290, 8}));
    c.push_back(MakeControl(kDeviceTextLabel, K::kLabel, "", {10, 229, 290, 8}));
    c.push_back(HalfEdit(kDeviceTextFirstHalf, {10, 240, 90, 12}));
    c.push_back(HalfEdit(kDeviceTextSecondHalf, {104, 240, 90, 12}));
    c.push_back(MakeControl(kDeviceTextSetButton, K::kPushButton, "Set", {198, 240, 40, 12},
                            kNoStyle, false));
    c.push_back(MakeControl(kOffPageOpenButton, K::kPushButton, "Open", {330, 29, 50, 12}));
    return d;
}

}  // namespace

const DialogTemplate& UpgradePageTemplate() {
    static const DialogTemplate t = BuildUpgradePage();
    return t;
}

}  // namespace torvane::res
