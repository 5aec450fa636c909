#include "app/general_page.h"

#include <string>

#include "app/main_timers.h"
#include "res/resource_ids.h"

namespace torvane {

using namespace main_timer;

namespace {

// The page's controls, shown on page 1 and hidden on the others. The logs,
// their Clear button and the controls without a role never change.
const int kControls[] = {
    res::kControlModeGroup,
    res::kComModeRadio,
    res::kTcpModeRadio,
    res::kComGroup,
    res::kPortLabel,
    res::kComConnectButton,
    res::kPortList,
    res::kDeviceInfoGroup,
    res::kStatusButton,
    res::kClearLabelsButton,
    res::kFirstInputLabel,
    res::kFirstInputLabel + 1,
    res::kFirstInputLabel + 2,
    res::kFirstInputLabel + 3,
    res::kFirstInputLabel + 4,
    res::kFirstInputLabel + 5,
    res::kFirstInputLabel + 6,
    res::kFirstInputLabel + 7,
    res::kFirstOutputLabel,
    res::kFirstOutputLabel + 1,
    res::kFirstOutputLabel + 2,
    res::kFirstOutputLabel + 3,
    res::kFirstOutputLabel + 4,
    res::kFirstOutputLabel + 5,
    res::kFirstOutputLabel + 6,
    res::kFirstOutputLabel + 7,
    res::kTcpGroup,
    res::kSwitcherIpLabel,
    res::kSwitcherIpList,
    res::kTcpConnectButton,
    res::kSearchButton,
    res::kConfigButton,
    res::kOffWindowFactoryResetGroup,
    res::kBeepGroup,
    res::kOffWindowFactoryResetButton,
    res::kEnableBeepBox,
    res::kFactoryResetGroup,
    res::kFactoryResetButton,
    res::kRebootGroup,
    res::kRebootButton,
    res::kPowerGroup,
    res::kPowerOnBox,
};

}  // namespace

GeneralPage::GeneralPage(ControlTable& table, WindowTimers& timers, CMessageDlg& message,
                         CStatusDlg& busy, Hooks hooks)
    : table_(table),
      timers_(timers),
      message_(message),
      busy_(busy),
      hooks_(std::move(hooks)),
      commands_(
          timers_, [this](const CommandFrame& unit) { hooks_.send(unit); },
          [this](const CommandRecord&) {
              busy_.CloseBusy();
              hooks_.reportTimeOut();
          }),
      labels_(table) {}

PageEntry GeneralPage::Entry() { return {PowerStateQuery(), true}; }

void GeneralPage::Show(bool shown) {
    for (int id : kControls) table_.SetVisible(id, shown);
}

bool GeneralPage::OnCommand(int id) {
    switch (id) {
        case res::kStatusButton:
            OnStatus();
            return true;
        case res::kClearLabelsButton:
            labels_.Clear();
            return true;
        case res::kFactoryResetButton:
            OnFactoryReset();
            return true;
        case res::kRebootButton:
            StartTimedCommand(Reboot(), kReboot, "Rebooting");
            return true;
        case res::kPowerOnBox:
            OnPowerBox();
            return true;
        case res::kEnableBeepBox:
            OnBeepBox();
            return true;
        // The off-window Factory Reset button would send a routing frame under
        // a "Factory Reset" caption; it has no action.
        case res::kOffWindowFactoryResetButton:
            return true;
        default:
            return false;
    }
}

void GeneralPage::StartCommand(int timer, const CommandFrame& unit) {
    commands_.Start(timer, unit, WaitOf(timer));
}

void GeneralPage::OnStatus() {
    if (!hooks_.passBusyGate()) return;
    labels_.Clear();
    StartCommand(InputStatusTimer(1), InputStateQuery(1));
    busy_.ShowBusy("Getting status");
}

void GeneralPage::StartTimedCommand(const CommandFrame& frame, int timer, const char* busyText) {
    if (!hooks_.passBusyGate()) return;
    StartCommand(timer, frame);
    busy_.ShowBusy(busyText);
}

void GeneralPage::SendPowerStateQuery() { hooks_.send(PowerStateQuery()); }

// A reset cannot be undone, so it is asked first, as power off is (and
// skipped the same way with "No longer remind").
void GeneralPage::OnFactoryReset() {
    if (!hooks_.passBusyGate()) return;
    auto reset = [this] {
        hooks_.openBusyGate();
        StartTimedCommand(FactoryReset(), kFactoryReset, "Setting");
    };
    if (message_.NoLongerRemind()) return reset();
    message_.Ask("Do you want to reset to factory settings?", true, [this, reset](int result) {
        if (result == CMessageDlg::kResultOk) return reset();
        hooks_.openBusyGate();
    });
}

// The check boxes that command the switcher put their state back at once; the
// mark changes only when the switcher's reply confirms it.
void GeneralPage::OnPowerBox() {
    const bool askedOn = table_.Checked(res::kPowerOnBox);
    table_.SetChecked(res::kPowerOnBox, !askedOn);
    if (!hooks_.passBusyGate()) return;
    if (askedOn) {
        hooks_.openBusyGate();
        StartCommand(kPowerOn, PowerSet(true));
        busy_.ShowBusy("Initializing");
        return;
    }
    // With "No longer remind" set the question is skipped and the command goes
    // out; either way the gate closed above is reopened.
    if (message_.NoLongerRemind()) {
        hooks_.openBusyGate();
        hooks_.send(PowerSet(false));
        return;
    }
    message_.Ask("Are you sure you want to power off?", false, [this](int result) {
        hooks_.openBusyGate();
        if (result == CMessageDlg::kResultOk) hooks_.send(PowerSet(false));
    });
}

void GeneralPage::OnBeepBox() {
    const bool askedOn = table_.Checked(res::kEnableBeepBox);
    table_.SetChecked(res::kEnableBeepBox, !askedOn);
    if (!hooks_.passBusyGate()) return;
    hooks_.openBusyGate();
    hooks_.send(BeepSet(askedOn));
}

void GeneralPage::OnReply(const std::uint8_t* frame) {
    const ReplyView r(frame);
    if (r.Is(op::kPowerState)) return OnPowerState(r.First());
    if (r.Is(op::kPowerSet) && r.First() == kAcknowledged) return OnPowerCommandReply(r);
    if (r.Is(op::kReboot) && r.First() == kAcknowledged) {
        commands_.Confirm(kReboot, r);
        table_.SetChecked(res::kPowerOnBox, true);
        timers_.SetTimer(kRebootDone, 5000);
        return;
    }
    if (r.Is(op::kFactoryReset)) {
        commands_.Confirm(kFactoryReset, r);
        table_.SetChecked(res::kEnableBeepBox, true);
        timers_.SetTimer(kFactoryResetDone, 2500);
        return;
    }
    if ((r.Is(op::kInputState) || r.Is(op::kOutputState)) && r.First() >= 1 && r.First() <= 8)
        return OnStatusReply(r);
    if (r.Is(op::kArcStatus)) return OnArcReply(r);
    if (r.Is(op::kBeepState) && r.First() == kAcknowledged) {
        table_.SetChecked(res::kEnableBeepBox, r.Third() == 0x00);
        return;
    }
    if (r.Is(op::kBeepSet) && r.Mark() == kAcknowledged) return OnBeepCommandReply(r);
}

void GeneralPage::OnPowerState(std::uint8_t state) {
    if (state != kStateOn && state != kStateOff) return;
    hooks_.entryAnswered();
    if (state == kStateOn) {
        table_.SetChecked(res::kPowerOnBox, true);
        hooks_.send(BeepStateQuery());
        hooks_.openBusyGate();
        return;
    }
    table_.SetChecked(res::kPowerOnBox, false);
    busy_.CloseBusy();
    message_.ShowMessage("Power off!", [this] { hooks_.openBusyGate(); });
}

void GeneralPage::OnPowerCommandReply(const ReplyView& reply) {
    const std::uint8_t state = reply.Third();
    if (state == kStateOn) {
        commands_.Confirm(kPowerOn, reply);
        table_.SetChecked(res::kPowerOnBox, true);
        timers_.SetTimer(kPowerOnDone, kCommandTimeoutMs);
        hooks_.openBusyGate();
    } else if (state == kStateOff) {
        table_.SetChecked(res::kPowerOnBox, false);
        hooks_.openBusyGate();
    }
}

void GeneralPage::OnBeepCommandReply(const ReplyView& reply) {
    if (reply.First() != kAcknowledged) return;
    table_.SetChecked(res::kEnableBeepBox, reply.Third() == kBeepOnMark);
}

// The chain follows whichever position a reply names, not the one asked for.
void GeneralPage::OnStatusReply(const ReplyView& reply) {
    const bool input = reply.Is(op::kInputState);
    const int n = reply.First();
    commands_.Confirm(input ? InputStatusTimer(n) : OutputStatusTimer(n), reply);
    labels_.Show(input, n, reply.Third() == kConnected);
    if (!input && n == 8) {
        hooks_.openBusyGate();
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

// The ARC state chain of outputs 1 to 4; it shows nothing on this page.
void GeneralPage::OnArcReply(const ReplyView& reply) {
    const int output = reply.Third();
    if (output < 1 || output > 4) return;
    commands_.Confirm(OutputStatusTimer(output + 4), reply);  // 2108, 2110, 2114, 2112
    if (output == 4) {
        hooks_.openBusyGate();
        busy_.CloseBusy();
        return;
    }
    StartCommand(OutputStatusTimer(output + 5), ArcQuery(output + 1));
}

bool GeneralPage::OnTimer(int id) {
    if (commands_.OnTimer(id)) return true;
    switch (id) {
        case kFactoryResetDone:
            timers_.KillTimer(id);
            Finish("Set successfully!", kFactoryResetClose, 500);
            return true;
        case kRebootDone:
            timers_.KillTimer(id);
            Finish("Reboot successfully!", kRebootClose, 1000);
            return true;
        case kPowerOnDone:
            timers_.KillTimer(id);
            Finish("Initializing successfully!", kPowerOnClose, 1000);
            return true;
        case kFactoryResetClose:
        case kRebootClose:
            timers_.KillTimer(id);
            busy_.CloseBusy();
            hooks_.openBusyGate();
            return true;
        case kPowerOnClose:
            timers_.KillTimer(id);
            busy_.CloseBusy();
            hooks_.send(BeepStateQuery());
            hooks_.openBusyGate();
            return true;
        default:
            return false;
    }
}

void GeneralPage::Finish(const char* text, int closeTimer, int closeMs) {
    busy_.SetBusyText(text);
    busy_.FinishBusy();
    timers_.SetTimer(closeTimer, closeMs);
}

void GeneralPage::ClearLinkState() {
    labels_.Clear();
    table_.SetChecked(res::kPowerOnBox, false);
    table_.SetChecked(res::kEnableBeepBox, false);
}

bool GeneralPage::ShowFound(StateItem what, int index, const StateValue& value) {
    const bool* on = std::get_if<bool>(&value);
    switch (what) {
        case StateItem::kPower:
            if (on) table_.SetChecked(res::kPowerOnBox, *on);
            return true;
        case StateItem::kBeep:
            if (on) table_.SetChecked(res::kEnableBeepBox, *on);
            return true;
        case StateItem::kInputConnection:
        case StateItem::kOutputConnection:
            if (on) labels_.Show(what == StateItem::kInputConnection, index, *on);
            return true;
        default:
            return false;
    }
}

}  // namespace torvane
