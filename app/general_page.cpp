// The General page: device status (connection state of every input and
// output, power, beep) and the system commands (factory reset, reboot, power
// on and off, beep), with the page's reply parser.

#include <string>

#include "app/main_timers.h"
#include "app/torvane_dlg.h"
#include "res/resource_ids.h"

namespace torvane {

using namespace main_timer;

namespace {

constexpr std::uint8_t kOn = 0x0F;
constexpr std::uint8_t kOff = 0xF0;

constexpr std::uint8_t kInputState = 0x04;
constexpr std::uint8_t kOutputState = 0x05;

std::string ConnectionText(std::uint8_t direction, int n, std::uint8_t state) {
    std::string text = direction == kInputState ? "HDMI IN" + std::to_string(n)
                                                : std::string("HDMI OUT") + char('A' + n - 1);
    return text + (state == 0x00 ? ": Connect" : ": Disconnect");
}

}  // namespace

void CTorvaneDlg::ClearConnectionLabels() {
    for (int k = 0; k < 8; ++k) {
        Table().SetText(res::kFirstInputLabel + k, "");
        Table().SetText(res::kFirstOutputLabel + k, "");
    }
}

void CTorvaneDlg::OnStatus() {
    if (!PassBusyGate()) return;
    ClearConnectionLabels();
    out_.BeginCommand(0x01, kInputState)[4] = 1;
    SendCommandFrame();
    timers_.SetTimer(InputStatusTimer(1), kCommandTimeoutMs);
    busy_.ShowBusy("Getting status");
}

void CTorvaneDlg::StartTimedCommand(std::uint8_t group, std::uint8_t command, int timer,
                                    const char* busyText) {
    if (!PassBusyGate()) return;
    out_.BeginCommand(group, command);
    SendCommandFrame();
    timers_.SetTimer(timer, kCommandTimeoutMs);
    busy_.ShowBusy(busyText);
}

void CTorvaneDlg::SendPowerStateQuery() {
    out_.BeginCommand(0x08, 0x0C);
    SendCommandFrame();
}

void CTorvaneDlg::SendBeepStateQuery() {
    out_.BeginCommand(0x01, 0x0B);
    SendCommandFrame();
}

void CTorvaneDlg::SendPowerState(std::uint8_t state) {
    auto& frame = out_.BeginCommand(0x08, 0x0B);
    frame[4] = state;
    frame[6] = state;
    SendCommandFrame();
}

// A reset cannot be undone, so it is asked first, as power off is (and
// skipped the same way with "No longer remind").
void CTorvaneDlg::OnFactoryReset() {
    if (!PassBusyGate()) return;
    auto reset = [this] {
        busyGate_ = true;
        StartTimedCommand(0x08, 0x0A, kFactoryReset, "Setting");
    };
    if (message_.NoLongerRemind()) return reset();
    message_.Ask("Do you want to reset to factory settings?", true, [this, reset](int result) {
        if (result == CMessageDlg::kResultOk) return reset();
        busyGate_ = true;
    });
}

// The check boxes that command the switcher put their state back at once; the
// mark changes only when the switcher's reply confirms it.
void CTorvaneDlg::OnPowerBox() {
    const bool askedOn = Controls().Checked(res::kPowerOnBox);
    Table().SetChecked(res::kPowerOnBox, !askedOn);
    if (!PassBusyGate()) return;
    if (askedOn) {
        busyGate_ = true;
        SendPowerState(kOn);
        timers_.SetTimer(kPowerOn, kCommandTimeoutMs);
        busy_.ShowBusy("Initializing");
        return;
    }
    // With "No longer remind" set the question is skipped and the command goes
    // out; either way the gate closed above is reopened.
    if (message_.NoLongerRemind()) {
        busyGate_ = true;
        SendPowerState(kOff);
        return;
    }
    message_.Ask("Are you sure you want to power off?", false, [this](int result) {
        busyGate_ = true;
        if (result == CMessageDlg::kResultOk) SendPowerState(kOff);
    });
}

void CTorvaneDlg::OnBeepBox() {
    const bool askedOn = Controls().Checked(res::kEnableBeepBox);
    Table().SetChecked(res::kEnableBeepBox, !askedOn);
    if (!PassBusyGate()) return;
    busyGate_ = true;
    auto& frame = out_.BeginCommand(0x06, 0x01);
    frame[4] = askedOn ? kOn : kOff;
    frame[6] = askedOn ? 0xDD : 0x00;
    SendCommandFrame();
}

void CTorvaneDlg::ParseGeneralReply(const std::uint8_t* b) {
    if (b[2] == 0x08 && b[3] == 0x0C) return OnPowerState(b[4]);
    if (b[2] == 0x08 && b[3] == 0x0B && b[4] == 0x00) return OnPowerCommandReply(b[6]);
    if (b[2] == 0x08 && b[3] == 0x0D && b[4] == 0x00) {
        timers_.KillTimer(kReboot);
        timers_.KillTimer(kReboot + 1);
        Table().SetChecked(res::kPowerOnBox, true);
        timers_.SetTimer(kRebootDone, 5000);
        return;
    }
    if (b[2] == 0x08 && b[3] == 0x0A) {
        timers_.KillTimer(kFactoryReset);
        timers_.KillTimer(kFactoryReset + 1);
        Table().SetChecked(res::kEnableBeepBox, true);
        timers_.SetTimer(kFactoryResetDone, 2500);
        return;
    }
    if (b[2] == 0x01 && (b[3] == kInputState || b[3] == kOutputState) && b[4] >= 1 && b[4] <= 8)
        return OnStatusReply(b[3], b[4], b[6]);
    if (b[2] == 0x10 && b[3] == 0x02) return OnArcReply(b[6]);
    if (b[2] == 0x01 && b[3] == 0x0B && b[4] == 0x00) {
        Table().SetChecked(res::kEnableBeepBox, b[6] == 0x00);
        return;
    }
    if (b[2] == 0x06 && b[3] == 0x01 && b[10] == 0x00) return OnBeepCommandReply(b);
}

void CTorvaneDlg::OnPowerState(std::uint8_t state) {
    if (state != kOn && state != kOff) return;
    timers_.KillTimer(kPageEntryTimeout);
    if (state == kOn) {
        Table().SetChecked(res::kPowerOnBox, true);
        SendBeepStateQuery();
        busyGate_ = true;
        return;
    }
    Table().SetChecked(res::kPowerOnBox, false);
    busy_.CloseBusy();
    message_.ShowMessage("Power off!", [this] { busyGate_ = true; });
}

void CTorvaneDlg::OnPowerCommandReply(std::uint8_t state) {
    if (state == kOn) {
        timers_.KillTimer(kPowerOn);
        timers_.KillTimer(kPowerOn + 1);
        Table().SetChecked(res::kPowerOnBox, true);
        timers_.SetTimer(kPowerOnDone, kCommandTimeoutMs);
        busyGate_ = true;
    } else if (state == kOff) {
        Table().SetChecked(res::kPowerOnBox, false);
        busyGate_ = true;
    }
}

void CTorvaneDlg::OnBeepCommandReply(const std::uint8_t* b) {
    if (b[4] != 0x00) return;
    Table().SetChecked(res::kEnableBeepBox, b[6] == 0xDD);
}

// The chain follows whichever position a reply names, not the one asked for.
void CTorvaneDlg::OnStatusReply(std::uint8_t direction, int n, std::uint8_t state) {
    const bool input = direction == kInputState;
    const int timer = input ? InputStatusTimer(n) : OutputStatusTimer(n);
    timers_.KillTimer(timer);
    timers_.KillTimer(timer + 1);
    const int label = (input ? res::kFirstInputLabel : res::kFirstOutputLabel) + n - 1;
    Table().SetText(label, ConnectionText(direction, n, state));
    if (!input && n == 8) {
        busyGate_ = true;
        busy_.CloseBusy();
        return;
    }
    // IN n is followed by OUT n, OUT n by IN n+1.
    const int next = input ? n : n + 1;
    out_.BeginCommand(0x01, input ? kOutputState : kInputState)[4] =
        static_cast<std::uint8_t>(next);
    SendCommandFrame();
    timers_.SetTimer(input ? OutputStatusTimer(next) : InputStatusTimer(next), kCommandTimeoutMs);
}

// The ARC state chain of outputs 1 to 4; it shows nothing on this page.
void CTorvaneDlg::OnArcReply(std::uint8_t output) {
    if (output < 1 || output > 4) return;
    const int timer = OutputStatusTimer(output + 4);  // 2108, 2110, 2114, 2112
    timers_.KillTimer(timer);
    timers_.KillTimer(timer + 1);
    if (output == 4) {
        busyGate_ = true;
        busy_.CloseBusy();
        return;
    }
    out_.BeginCommand(0x10, 0x02)[6] = static_cast<std::uint8_t>(output + 1);
    SendCommandFrame();
    timers_.SetTimer(OutputStatusTimer(output + 5), kCommandTimeoutMs);
}

}  // namespace torvane
