// The main window's timer handler: every timer the controller arms on the main
// window, and what its expiry does. The commands' resend and give-up timers
// are the command owner's; every other expiry but timer 1's stops its own
// timer first, so each fires once per arming.

#include "app/main_timers.h"

#include "app/torvane_dlg.h"

namespace torvane {

namespace main_timer {

int InputStatusTimer(int n) { return kFirstInputStatus + 2 * (n - 1); }

int OutputStatusTimer(int n) {
    static const int ids[] = {2100, 2102, 2104, 2106, 2108, 2110, 2114, 2112};
    return ids[n - 1];
}

CommandWait WaitOf(int retryTimer) {
    // Power on gives up sooner than the others.
    return {kCommandTimeoutMs, retryTimer == kPowerOn ? 2000 : kCommandTimeoutMs};
}

}  // namespace main_timer

using namespace main_timer;

void CTorvaneDlg::OnTimer(int id) {
    if (id == kPortRefresh) {
        RefreshPortList();
        return;
    }
    Activity();
    if (commands_.OnTimer(id)) return;
    timers_.KillTimer(id);
    switch (id) {
        case kPageEntryTimeout:
            ReportTimeOut();
            break;
        case kFactoryResetDone:
            busy_.SetBusyText("Set successfully!");
            busy_.FinishBusy();
            timers_.SetTimer(kFactoryResetClose, 500);
            break;
        case kRebootDone:
            busy_.SetBusyText("Reboot successfully!");
            busy_.FinishBusy();
            timers_.SetTimer(kRebootClose, 1000);
            break;
        case kPowerOnDone:
            busy_.SetBusyText("Initializing successfully!");
            busy_.FinishBusy();
            timers_.SetTimer(kPowerOnClose, 1000);
            break;
        case kFactoryResetClose:
        case kRebootClose:
            busy_.CloseBusy();
            busyGate_ = true;
            break;
        case kPowerOnClose:
            busy_.CloseBusy();
            SendBeepStateQuery();
            busyGate_ = true;
            break;
        case kDiscoveryAnswered:
            if (configuration_ == ConfigurationState::kWaiting)
                configuration_ = ConfigurationState::kAnswered;
            busy_.SetBusyText("Configure successfully!");
            if (busy_.Running()) busy_.FinishBusy();
            timers_.SetTimer(kDiscoveryClose, 900);
            break;
        case kDiscoveryClose:
            timers_.KillTimer(kConfigTimeout);
            busy_.CloseBusy();
            break;
        case kConfigTimeout:
            configuration_ = ConfigurationState::kTimedOut;
            busy_.CloseBusy();
            ReportTimeOut();
            break;
        default:
            break;
    }
}

void CTorvaneDlg::StartCommand(int timer, const CommandFrame& unit) {
    commands_.Start(timer, unit, WaitOf(timer));
}

void CTorvaneDlg::ReportTimeOut() {
    // The gate stays closed while "Time out!" shows, so page labels ignore clicks.
    message_.ShowMessage("Time out!", [this] { busyGate_ = true; });
}

}  // namespace torvane
