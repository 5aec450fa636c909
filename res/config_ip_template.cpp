#include "res/config_ip_template.h"

#include <string>

#include "res/control_builder.h"
#include "res/resource_ids.h"

namespace torvane::res {
namespace {

using K = ControlKind;

// A row of byte edits with a separator label between neighbours.
template <std::size_t N>
void EditRow(std::vector<ControlTemplate>& c, const int (&ids)[N], int x, int y, int width,
             unsigned style, const char* separator) {
    constexpr int kGap = 6;
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0)
            c.push_back(
                MakeControl(kNoControlId, K::kLabel, separator, {x - kGap, y + 2, kGap, 8}));
        c.push_back(MakeControl(ids[i], K::kEdit, "", {x, y, width, 12}, style | kBorder));
        x += width + kGap;
    }
}

DialogTemplate Build() {
    DialogTemplate d;
    d.id = kConfigIpDialog;
    d.width = 200;
    d.height = 192;
    d.font = "Microsoft YaHei";
    auto& c = d.controls;
    c.push_back(MakeControl(kConfigCloseButton, K::kPushButton, "", {175, 4, 21, 14}));
    c.push_back(
        MakeControl(kConfigInfoGroup, K::kGroupBox, "Device Information", {7, 30, 186, 132}));
    c.push_back(MakeControl(kAutoIpRadio, K::kRadioButton, "Auto IP", {20, 44, 56, 10},
                            kAutoRadio | kGroupStart));
    c.push_back(
        MakeControl(kStaticIpRadio, K::kRadioButton, "Static IP", {100, 44, 56, 10}, kAutoRadio));
    c.push_back(MakeControl(kConfigIpLabel, K::kLabel, "IP Address:", {16, 66, 44, 8}));
    EditRow(c, kConfigIpEdits, 64, 64, 24, kNumber, ".");
    c.push_back(MakeControl(kConfigNetmaskLabel, K::kLabel, "Netmask :", {16, 86, 44, 8}));
    EditRow(c, kConfigNetmaskEdits, 64, 84, 24, kNumber, ".");
    c.push_back(MakeControl(kConfigGatewayLabel, K::kLabel, "Gateway :", {16, 106, 44, 8}));
    EditRow(c, kConfigGatewayEdits, 64, 104, 24, kNumber, ".");
    c.push_back(MakeControl(kConfigMacLabel, K::kLabel, "MAC", {16, 134, 24, 8}));
    EditRow(c, kConfigMacEdits, 44, 132, 19, kNoStyle, "-");
    c.push_back(
        MakeControl(kConfigOkButton, K::kPushButton, "OK", {44, 170, 50, 14}, kDefaultButton));
    c.push_back(MakeControl(kConfigCancelButton, K::kPushButton, "Cancel", {106, 170, 50, 14}));
    return d;
}

}  // namespace

const DialogTemplate& ConfigIpDialogTemplate() {
    static const DialogTemplate t = Build();
    return t;
}

}  // namespace torvane::res
