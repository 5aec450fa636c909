#include "res/dialog_templates.h"

#include <string>

#include "res/control_builder.h"
#include "res/resource_ids.h"
#include "ui/message_dlg.h"
#include "ui/status_dlg.h"

namespace torvane::res {
namespace {

using K = ControlKind;

constexpr const char* kYaHei = "Microsoft YaHei";

DialogTemplate BuildMainWindow() {
    DialogTemplate d;
    d.id = kMainWindow;
    d.width = 402;
    d.height = 286;
    d.font = kYaHei;
    auto& c = d.controls;
    c.push_back(MakeControl(kCloseButton, K::kPushButton, "", {442, 7, 21, 18}));
    c.push_back(MakeControl(kMinimizeButton, K::kPushButton, "", {419, 7, 21, 18}));
    c.push_back(MakeControl(kGeneralLabel, K::kLabel, "General", {7, 7, 50, 12}));
    c.push_back(MakeControl(kEdidLabel, K::kLabel, "EDID", {88, 7, 50, 12}));
    c.push_back(MakeControl(kMatrixLabel, K::kLabel, "Matrix", {150, 7, 50, 12}));
    c.push_back(MakeControl(kUpgradeLabel, K::kLabel, "Upgrade", {222, 7, 50, 12}));
    c.push_back(
        MakeControl(kControlModeGroup, K::kGroupBox, "Control Mode Select", {8, 34, 188, 38}));
    c.push_back(MakeControl(kComModeRadio, K::kRadioButton, "COM Control Mode", {19, 46, 82, 10},
                            kAutoRadio | kGroupStart));
    c.push_back(MakeControl(kTcpModeRadio, K::kRadioButton, "TCP Control Mode", {19, 59, 78, 10},
                            kAutoRadio));
    c.push_back(MakeControl(kComGroup, K::kGroupBox, "COM", {8, 75, 188, 40}, kGroupStart));
    c.push_back(MakeControl(kPortLabel, K::kLabel, "Port", {19, 87, 15, 8}));
    c.push_back(
        MakeControl(kPortList, K::kDropDownList, "", {19, 99, 73, 57}, kSorted | kVerticalScroll));
    c.push_back(MakeControl(kComConnectButton, K::kPushButton, "Connect", {121, 99, 48, 12}));
    c.push_back(MakeControl(kTcpGroup, K::kGroupBox, "TCP Control Mode", {8, 118, 188, 63}));
    c.push_back(MakeControl(kSwitcherIpLabel, K::kLabel, "Switcher IP", {19, 133, 37, 8}));
    c.push_back(
        MakeControl(kSwitcherIpList, K::kDropDownList, "", {19, 145, 73, 71}, kVerticalScroll));
    c.push_back(MakeControl(kTcpConnectButton, K::kPushButton, "Connect", {121, 144, 48, 12}));
    c.push_back(MakeControl(kSearchButton, K::kPushButton, "Search", {19, 163, 48, 12}));
    c.push_back(MakeControl(kConfigButton, K::kPushButton, "Config...", {121, 163, 48, 12}));
    c.push_back(MakeControl(kFactoryResetGroup, K::kGroupBox, "Reset to the factory settings",
                            {8, 184, 188, 33}));
    c.push_back(
        MakeControl(kFactoryResetButton, K::kPushButton, "Factory Reset", {19, 196, 56, 14}));
    c.push_back(MakeControl(kRebootGroup, K::kGroupBox, "Reboot the matrix", {8, 220, 188, 33}));
    c.push_back(MakeControl(kRebootButton, K::kPushButton, "Reboot", {19, 232, 56, 14}));
    c.push_back(
        MakeControl(kDeviceInfoGroup, K::kGroupBox, "Device Information", {207, 34, 188, 147}));
    for (int k = 0; k < 8; ++k)
        c.push_back(MakeControl(kFirstInputLabel + k, K::kLabel, "", {213, 46 + 12 * k, 75, 8}));
    for (int k = 0; k < 8; ++k)
        c.push_back(MakeControl(kFirstOutputLabel + k, K::kLabel, "", {304, 46 + 12 * k, 82, 8}));
    c.push_back(MakeControl(kStatusButton, K::kPushButton, "Status", {225, 166, 48, 12}));
    c.push_back(MakeControl(kClearLabelsButton, K::kPushButton, "Clear", {317, 166, 48, 12}));
    c.push_back(MakeControl(kBeepGroup, K::kGroupBox, "Disable/Enable Beep", {207, 184, 188, 33}));
    c.push_back(
        MakeControl(kEnableBeepBox, K::kCheckBox, "Enable Beep", {225, 198, 58, 10}, kAutoCheck));
    c.push_back(MakeControl(kPowerGroup, K::kGroupBox, "Power On/Off", {207, 220, 188, 33}));
    c.push_back(MakeControl(kPowerOnBox, K::kCheckBox, "Power On", {225, 234, 49, 10}, kAutoCheck));
    // Outside the window's area: fed all the same, never seen.
    c.push_back(MakeControl(kNoControlId, K::kLabel, "Receive", {415, 37, 26, 8}));
    const unsigned logStyle = kVerticalScroll | kAutoVScroll | kBorder;
    c.push_back(MakeControl(kReceiveLog, K::kMultiLineEdit, "", {407, 52, 153, 78}, logStyle));
    c.push_back(MakeControl(kNoControlId, K::kLabel, "Send", {411, 136, 18, 8}));
    c.push_back(MakeControl(kSendLog, K::kMultiLineEdit, "", {406, 148, 153, 78}, logStyle));
    c.push_back(MakeControl(kClearLogsButton, K::kPushButton, "Clear", {451, 234, 50, 14}));
    c.push_back(MakeControl(kOffWindowFactoryResetGroup, K::kGroupBox,
                            "Reset to the factory settings", {566, 149, 142, 40}));
    c.push_back(MakeControl(kOffWindowFactoryResetButton, K::kPushButton, "Factory Reset",
                            {591, 166, 68, 12}));
    c.push_back(MakeControl(1102, K::kLabel, "1", {557, 256, 82, 8}));
    c.push_back(MakeControl(1044, K::kLabel, "HDMI OUTA: Disconnect", {567, 215, 82, 8}));
    for (int k = 0; k < 7; ++k)
        c.push_back(MakeControl(1048 + k, K::kLabel, "", {575, 226 + 12 * k, 82, 8}));
    return d;
}

DialogTemplate BuildMessageDialog() {
    DialogTemplate d;
    d.id = kMessageDialog;
    d.width = 182;
    d.height = 73;
    d.font = kYaHei;
    auto& c = d.controls;
    c.push_back(MakeControl(CMessageDlg::kCloseButton, K::kPushButton, "", {157, 7, 21, 18}));
    c.push_back(MakeControl(CMessageDlg::kOkButton, K::kPushButton, "Ok", {137, 60, 41, 11},
                            kDefaultButton));
    // Its size is in pixels: the bitmap's own.
    c.push_back(Picture(CMessageDlg::kPicture, kInfoBitmap, {26, 29, 36, 36}));
    c.push_back(MakeControl(CMessageDlg::kCancelButton, K::kPushButton, "Cancel", {94, 60, 41, 11},
                            kNoStyle, false));
    c.push_back(MakeControl(CMessageDlg::kNoLongerRemindBox, K::kCheckBox, "No longer remind",
                            {257, 41, 69, 10}, kAutoCheck, false));
    return d;
}

DialogTemplate BuildBusyDialog() {
    DialogTemplate d;
    d.id = kBusyDialog;
    d.width = 164;
    d.height = 58;
    d.font = kYaHei;
    d.controls.push_back(MakeControl(CStatusDlg::kLabel, K::kLabel, "", {61, 25, 87, 8}));
    d.controls.push_back(Picture(CStatusDlg::kCheckMark, kCheckMarkBitmap, {31, 21, 31, 31}));
    return d;
}

DialogTemplate BuildAboutBox() {
    DialogTemplate d;
    d.id = kAboutBox;
    d.width = 200;
    d.height = 62;
    d.font = kYaHei;
    d.controls.push_back(Picture(kAboutIcon, kMainIcon, {14, 14, 21, 20}));
    d.controls.push_back(MakeControl(kAboutNameLabel, K::kLabel, "Torvane", {42, 14, 150, 8}));
    d.controls.push_back(MakeControl(kAboutVersionLabel, K::kLabel, "", {42, 26, 150, 8}));
    d.controls.push_back(MakeControl(kAboutOkButton, K::kPushButton, "OK", {143, 41, 50, 14},
                                     kDefaultButton | kGroupStart));
    return d;
}

}  // namespace

const DialogTemplate& MainWindowTemplate() {
    static const DialogTemplate t = BuildMainWindow();
    return t;
}
const DialogTemplate& MessageDialogTemplate() {
    static const DialogTemplate t = BuildMessageDialog();
    return t;
}
const DialogTemplate& BusyDialogTemplate() {
    static const DialogTemplate t = BuildBusyDialog();
    return t;
}
const DialogTemplate& AboutBoxTemplate() {
    static const DialogTemplate t = BuildAboutBox();
    return t;
}

}  // namespace torvane::res
