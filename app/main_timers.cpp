// The main window's timer handler: every timer the controller arms on the main
// window, and what its expiry does. Every expiry but timer 1's stops its own
// timer first, so each fires once per arming.

#include "app/torvane_dlg.h"

namespace torvane {
namespace {

constexpr int kCommandTimeoutMs = 3000;

// First timers of the retry/give-up pairs: the connection state queries of
// inputs 1 to 8 and outputs A to H (and the General page's ARC chain, which
// shares the output ids), the off-window reset, factory reset, reboot, power on.
bool IsRetryTimer(int id) {
    if (id >= 2000 && id <= 2014) return id % 2 == 0;
    if (id >= 2100 && id <= 2114) return id % 2 == 0;
    return id == 2500 || id == 7043 || id == 7047 || id == 7052;
}

bool IsGiveUpTimer(int id) { return IsRetryTimer(id - 1); }

}  // namespace

void CTorvaneDlg::OnTimer(int id) {
    if (id == 1) {
        RefreshPortList();
        return;
    }
    if (IsRetryTimer(id)) {
        Retry(id);
        return;
    }
    if (IsGiveUpTimer(id)) {
        GiveUp(id);
        return;
    }
    timers_.KillTimer(id);
    switch (id) {
        case 1000:
            ReportTimeOut();
            break;
        case 7045:
            busy_.SetBusyText("Set successfully!");
            busy_.FinishBusy();
            timers_.SetTimer(7046, 500);
            break;
        case 7049:
            busy_.SetBusyText("Reboot successfully!");
            busy_.FinishBusy();
            timers_.SetTimer(7050, 1000);
            break;
        case 7054:
            busy_.SetBusyText("Initializing successfully!");
            busy_.FinishBusy();
            timers_.SetTimer(7055, 1000);
            break;
        case 7046:
        case 7050:
            busy_.CloseBusy();
            busyGate_ = true;
            break;
        case 7055:
            busy_.CloseBusy();
            SendBeepStateQuery();
            busyGate_ = true;
            break;
        case 1004:
            busy_.SetBusyText("Configure successfully!");
            if (busy_.Running()) busy_.FinishBusy();
            timers_.SetTimer(1005, 900);
            break;
        case 1005:
            timers_.KillTimer(1008);
            busy_.CloseBusy();
            break;
        case 1008:
            busy_.CloseBusy();
            ReportTimeOut();
            break;
        default:
            break;
    }
}

void CTorvaneDlg::Retry(int id) {
    timers_.KillTimer(id);
    SendCommandFrame();
    timers_.SetTimer(id + 1, id == 7052 ? 2000 : kCommandTimeoutMs);
}

void CTorvaneDlg::GiveUp(int id) {
    timers_.KillTimer(id);
    busy_.CloseBusy();
    ReportTimeOut();
}

void CTorvaneDlg::ReportTimeOut() {
    // The gate stays closed while "Time out!" shows, so page labels ignore clicks.
    message_.ShowMessage("Time out!", [this] { busyGate_ = true; });
}

}  // namespace torvane
