#include "res/edid_page_template.h"

#include <string>

#include "res/control_builder.h"
#include "res/edid_page_ids.h"

namespace torvane::res {
namespace {

using K = ControlKind;

// One row of "Manual Mode": caption, source, "to", input list, "Set".
void AddRow(std::vector<ControlTemplate>& c, int y, int caption, const char* text, int toLabel,
            int inputList, int setButton) {
    c.push_back(MakeControl(caption, K::kLabel, text, {16, y + 2, 54, 8}));
    c.push_back(MakeControl(toLabel, K::kLabel, "to", {190, y + 2, 10, 8}));
    c.push_back(MakeControl(inputList, K::kDropDownList, "", {204, y, 60, 110}, kVerticalScroll));
    c.push_back(MakeControl(setButton, K::kPushButton, "Set", {272, y - 1, 36, 14}));
}

DialogTemplate BuildEdidPage() {
    DialogTemplate d;
    d.id = kEdidPage;
    d.width = 321;
    d.height = 219;
    d.font = "Microsoft YaHei";
    auto& c = d.controls;
    c.push_back(MakeControl(kManualModeGroup, K::kGroupBox, "Manual Mode", {7, 6, 307, 84}));
    AddRow(c, 22, kPresetLabel, "Set EDID Mode", kPresetToLabel, kPresetInputList,
           kPresetSetButton);
    // Sorted, yet the presets keep table order: they are inserted by position.
    c.push_back(MakeControl(kPresetList, K::kDropDownList, "", {72, 22, 112, 150},
                            kSorted | kVerticalScroll));
    AddRow(c, 44, kCopyLabel, "Copy EDID From", kCopyToLabel, kCopyInputList, kCopySetButton);
    c.push_back(
        MakeControl(kCopyOutputList, K::kDropDownList, "", {72, 44, 112, 110}, kVerticalScroll));
    AddRow(c, 66, kOpenEdidLabel, "Open EDID", kFileToLabel, kFileInputList, kFileSetButton);
    c.push_back(MakeControl(kOpenEdidButton, K::kPushButton, "...", {56, 65, 14, 14}));
    c.push_back(MakeControl(kEdidPathBox, K::kEdit, "", {72, 66, 112, 13}, kReadOnly | kBorder));

    c.push_back(MakeControl(kNoControlId, K::kGroupBox, "Input EDID List", {7, 96, 307, 116}));
    for (int k = 0; k < 8; ++k) {
        const int x = k < 4 ? 16 : 164;
        const int y = 112 + 18 * (k % 4);
        c.push_back(MakeControl(kEdidNameLabels[k], K::kLabel, "IN" + std::to_string(k + 1) + ":",
                                {x, y, 18, 8}));
        c.push_back(
            MakeControl(kEdidValueLabels[k], K::kLabel, "Default EDID", {x + 20, y, 120, 8}));
    }
    c.push_back(MakeControl(kEdidStatusButton, K::kPushButton, "Status", {136, 190, 48, 14}));
    return d;
}

}  // namespace

const DialogTemplate& EdidPageTemplate() {
    static const DialogTemplate t = BuildEdidPage();
    return t;
}

}  // namespace torvane::res
