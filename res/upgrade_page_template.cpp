#include "res/upgrade_page_template.h"

#include <string>

#include "res/upgrade_page_ids.h"

namespace torvane::res {
namespace {

using K = ControlKind;

ControlTemplate C(int id, K kind, std::string text, Rect rect, unsigned style = kNoStyle,
                  bool visible = true) {
    ControlTemplate t;
    t.id = id;
    t.kind = kind;
    t.text = std::move(text);
    t.rect = rect;
    t.style = style;
    t.visible = visible;
    return t;
}

ControlTemplate HalfEdit(int id, Rect rect) {
    // The device keeps 32 characters, written and read in two halves of 16.
    ControlTemplate t = C(id, K::kEdit, "", rect, kBorder, false);
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
    c.push_back(C(kNoControlId, K::kGroupBox, "Upgrade", {7, 4, 297, 64}));
    c.push_back(C(kNoControlId, K::kLabel, "Open BIN File", {16, 18, 60, 8}));
    c.push_back(C(kFirmwarePathBox, K::kEdit, "", {16, 29, 222, 12}, kReadOnly | kBorder));
    c.push_back(C(kFirmwareOpenButton, K::kPushButton, "Open", {246, 29, 50, 12}));
    c.push_back(C(kUpgradeProgress, K::kProgressBar, "", {16, 48, 222, 11}, kBorder));
    c.push_back(C(kUpgradeButton, K::kPushButton, "Upgrade", {246, 47, 50, 12}));
    c.push_back(C(kNoControlId, K::kGroupBox, "Messages", {7, 72, 297, 138}));
    c.push_back(C(kUpgradeLog, K::kMultiLineEdit, "", {14, 84, 283, 120},
                  kVerticalScroll | kAutoVScroll | kBorder));
    c.push_back(C(kDeviceLineLabel, K::kLabel, "", {10, 216, 290, 8}));
    c.push_back(C(kDeviceTextLabel, K::kLabel, "", {10, 229, 290, 8}));
    c.push_back(HalfEdit(kDeviceTextFirstHalf, {10, 240, 90, 12}));
    c.push_back(HalfEdit(kDeviceTextSecondHalf, {104, 240, 90, 12}));
    c.push_back(
        C(kDeviceTextSetButton, K::kPushButton, "Set", {198, 240, 40, 12}, kNoStyle, false));
    c.push_back(C(kOffPageOpenButton, K::kPushButton, "Open", {330, 29, 50, 12}));
    return d;
}

}  // namespace

const DialogTemplate& UpgradePageTemplate() {
    static const DialogTemplate t = BuildUpgradePage();
    return t;
}

}  // namespace torvane::res
