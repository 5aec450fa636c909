// The General page: device status (connection state of every input and
// output, power, beep) and the system commands (factory reset, reboot, power
// on and off, beep), with the page's reply parser.

#include <string>

#include "app/main_timers.h"
#include "app/torvane_dlg.h"
#include "protocol/commands.h"
#include "res/resource_ids.h"

namespace torvane {

using namespace main_timer;

namespace {

std::string ConnectionText(bool input, int n, bool connected) {
    std::string text =
        input ? "HDMI IN" + std::to_string(n) : std::string("HDMI OUT") + char('A' + n - 1);
    return text + (connected ? ": Connect" : ": Disconnect");
}

}  // namespace

void CTorvaneDlg::ClearConnectionLabels() {
    for (std::string& text : connectionTexts_) text.clear();
    for (int k = 0; k < 8; ++k) {
        Table().SetText(res::kFirstInputLabel + k, "");
        Table().SetText(res::kFirstOutputLabel + k, "");
        inputConnected_[static_cast<std::size_t>(k)].reset();
        outputConnected_[static_cast<std::size_t>(k)].reset();
    }
}

// The state first, so a label too narrow for a long name still shows it;
// the tooltip holds the whole text.
void CTorvaneDlg::ShowConnectionLabel(int index) {
    const bool input = index < 8;
    const int k = index % 8;
    const int label = (input ? res::kFirstInputLabel : res::kFirstOutputLabel) + k;
    const std::string& state = connectionTexts_[static_cast<std::size_t>(index)];
    const std::string& name = (input ? inputNames_ : outputNames_)[static_cast<std::size_t>(k)];
    const std::string text = state.empty() || name.empty() ? state : state + " \u00B7 " + name;
    Table().SetText(label, text);
    Table().SetTooltip(label, name.empty() ? "" : text);
}

void CTorvaneDlg::ShowPortNames(const PortNames& inputs, const PortNames& outputs) {
    inputNames_ = inputs;
    outputNames_ = outputs;
    for (int index = 0; index < 16; ++index) ShowConnectionLabel(index);
    for (PageCode code : {PageCode::kEdid, PageCode::kMatrix, PageCode::kUpgrade})
        PageFor(code).ShowPortNames(inputs, outputs);
}

void CTorvaneDlg::OnStatus() {
    if (!PassBusyGate()) return;
    ClearConnectionLabels();
    StartCommand(InputStatusTimer(1), InputStateQuery(1));
    busy_.ShowBusy("Getting status");
}

void CTorvaneDlg::StartTimedCommand(const CommandFrame& frame, int timer, const char* busyText) {
    if (!PassBusyGate()) return;
    StartCommand(timer, frame);
    busy_.ShowBusy(busyText);
}

void CTorvaneDlg::SendPowerStateQuery() {
    out_.Write(PowerStateQuery());
    SendCommandFrame();
}

void CTorvaneDlg::SendBeepStateQuery() {
    out_.Write(BeepStateQuery());
    SendCommandFrame();
}

void CTorvaneDlg::SendPowerState(bool on) {
    out_.Write(PowerSet(on));
    SendCommandFrame();
}

// A reset cannot be undone, so it is asked first, as power off is (and
// skipped the same way with "No longer remind").
void CTorvaneDlg::OnFactoryReset() {
    if (!PassBusyGate()) return;
    auto reset = [this] {
        busyGate_ = true;
        StartTimedCommand(FactoryReset(), kFactoryReset, "Setting");
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
        StartCommand(kPowerOn, PowerSet(true));
        busy_.ShowBusy("Initializing");
        return;
    }
    // With "No longer remind" set the question is skipped and the command goes
    // out; either way the gate closed above is reopened.
    if (message_.NoLongerRemind()) {
        busyGate_ = true;
        SendPowerState(false);
        return;
    }
    message_.Ask("Are you sure you want to power off?", false, [this](int result) {
        busyGate_ = true;
        if (result == CMessageDlg::kResultOk) SendPowerState(false);
    });
}

void CTorvaneDlg::OnBeepBox() {
    const bool askedOn = Controls().Checked(res::kEnableBeepBox);
    Table().SetChecked(res::kEnableBeepBox, !askedOn);
    if (!PassBusyGate()) return;
    busyGate_ = true;
    out_.Write(BeepSet(askedOn));
    SendCommandFrame();
}

void CTorvaneDlg::ParseGeneralReply(const std::uint8_t* frame) {
    const ReplyView r(frame);
    if (r.Is(op::kPowerState)) return OnPowerState(r.First());
    if (r.Is(op::kPowerSet) && r.First() == kAcknowledged) return OnPowerCommandReply(r);
    if (r.Is(op::kReboot) && r.First() == kAcknowledged) {
        commands_.Confirm(kReboot, r);
        Table().SetChecked(res::kPowerOnBox, true);
        timers_.SetTimer(kRebootDone, 5000);
        return;
    }
    if (r.Is(op::kFactoryReset)) {
        commands_.Confirm(kFactoryReset, r);
        Table().SetChecked(res::kEnableBeepBox, true);
        timers_.SetTimer(kFactoryResetDone, 2500);
        return;
    }
    if ((r.Is(op::kInputState) || r.Is(op::kOutputState)) && r.First() >= 1 && r.First() <= 8)
        return OnStatusReply(r);
    if (r.Is(op::kArcStatus)) return OnArcReply(r);
    if (r.Is(op::kBeepState) && r.First() == kAcknowledged) {
        Table().SetChecked(res::kEnableBeepBox, r.Third() == 0x00);
        return;
    }
    if (r.Is(op::kBeepSet) && r.Mark() == kAcknowledged) return OnBeepCommandReply(r);
}

void CTorvaneDlg::OnPowerState(std::uint8_t state) {
    if (state != kStateOn && state != kStateOff) return;
    timers_.KillTimer(kPageEntryTimeout);
    if (state == kStateOn) {
        Table().SetChecked(res::kPowerOnBox, true);
        SendBeepStateQuery();
        busyGate_ = true;
        return;
    }
    Table().SetChecked(res::kPowerOnBox, false);
    busy_.CloseBusy();
    message_.ShowMessage("Power off!", [this] { busyGate_ = true; });
}

void CTorvaneDlg::OnPowerCommandReply(const ReplyView& reply) {
    const std::uint8_t state = reply.Third();
    if (state == kStateOn) {
        commands_.Confirm(kPowerOn, reply);
        Table().SetChecked(res::kPowerOnBox, true);
        timers_.SetTimer(kPowerOnDone, kCommandTimeoutMs);
        busyGate_ = true;
    } else if (state == kStateOff) {
        Table().SetChecked(res::kPowerOnBox, false);
        busyGate_ = true;
    }
}

void CTorvaneDlg::OnBeepCommandReply(const ReplyView& reply) {
    if (reply.First() != kAcknowledged) return;
    Table().SetChecked(res::kEnableBeepBox, reply.Third() == kBeepOnMark);
}

// The chain follows whichever position a reply names, not the one asked for.
void CTorvaneDlg::OnStatusReply(const ReplyView& reply) {
    const bool input = reply.Is(op::kInputState);
    const int n = reply.First();
    commands_.Confirm(input ? InputStatusTimer(n) : OutputStatusTimer(n), reply);
    ShowConnection(input, n, reply.Third() == kConnected);
    if (!input && n == 8) {
        busyGate_ = true;
        busy_.CloseBusy();
        return;
    }
    // IN n is followed by OUT n, OUT n by IN n+1.
    const int next = input ? n : n + 1;
    if (input)
        StartCommand(OutputStatusTimer(next), OutputStateQuery(next));
    else
        StartCommand(InputStatusTimer(next), InputStateQuery(next));
}

void CTorvaneDlg::ShowConnection(bool input, int n, bool connected) {
    const int index = (input ? 0 : 8) + n - 1;
    connectionTexts_[static_cast<std::size_t>(index)] = ConnectionText(input, n, connected);
    ShowConnectionLabel(index);
    (input ? inputConnected_ : outputConnected_)[static_cast<std::size_t>(n - 1)] = connected;
}

// The ARC state chain of outputs 1 to 4; it shows nothing on this page.
void CTorvaneDlg::OnArcReply(const ReplyView& reply) {
    const int output = reply.Third();
    if (output < 1 || output > 4) return;
    commands_.Confirm(OutputStatusTimer(output + 4), reply);  // 2108, 2110, 2114, 2112
    if (output == 4) {
        busyGate_ = true;
        busy_.CloseBusy();
        return;
    }
    StartCommand(OutputStatusTimer(output + 5), ArcQuery(output + 1));
}

}  // namespace torvane
