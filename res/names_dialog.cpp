#include "res/names_dialog.h"

#include <string>

#include "res/control_builder.h"

namespace torvane::res {
namespace {

DialogTemplate BuildNamesDialog() {
    using K = ControlKind;
    DialogTemplate d;
    d.id = kNamesDialog;
    d.width = 262;
    d.height = 168;
    d.font = "Microsoft YaHei";
    auto& c = d.controls;
    c.push_back(MakeControl(kNamesSwitcherLabel, K::kLabel, "", {7, 7, 248, 8}));
    c.push_back(MakeControl(kNoControlId, K::kLabel, "Inputs", {7, 20, 60, 8}));
    c.push_back(MakeControl(kNoControlId, K::kLabel, "Outputs", {135, 20, 60, 8}));
    for (int k = 0; k < 8; ++k) {
        const int y = 32 + 13 * k;
        c.push_back(
            MakeControl(kNoControlId, K::kLabel, "IN" + std::to_string(k + 1), {7, y + 2, 24, 8}));
        ControlTemplate input = MakeControl(kNamesFirstInputEdit + k, K::kEdit, "", {33, y, 94, 12},
                                            k == 0 ? kGroupStart : kNoStyle);
        input.textLimit = kNameEditLimit;
        c.push_back(input);
    }
    for (int k = 0; k < 8; ++k) {
        const int y = 32 + 13 * k;
        c.push_back(MakeControl(kNoControlId, K::kLabel, std::string("OUT") + char('A' + k),
                                {135, y + 2, 24, 8}));
        ControlTemplate output =
            MakeControl(kNamesFirstOutputEdit + k, K::kEdit, "", {161, y, 94, 12});
        output.textLimit = kNameEditLimit;
        c.push_back(output);
    }
    c.push_back(MakeControl(kNamesProblemLabel, K::kLabel, "", {7, 137, 248, 8}));
    c.push_back(MakeControl(kNamesOkButton, K::kPushButton, "OK", {150, 149, 50, 14},
                            kDefaultButton | kGroupStart));
    c.push_back(MakeControl(kNamesCancelButton, K::kPushButton, "Cancel", {205, 149, 50, 14}));
    return d;
}

}  // namespace

const DialogTemplate& NamesDialogTemplate() {
    static const DialogTemplate t = BuildNamesDialog();
    return t;
}

}  // namespace torvane::res
