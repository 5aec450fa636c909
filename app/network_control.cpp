// The General page's discovery controls: Search, the Switcher IP list and
// Config..., which sends a network configuration and waits for the switcher
// to answer from its new settings.

#include "app/main_timers.h"
#include "app/torvane_dlg.h"
#include "res/resource_ids.h"

namespace torvane {
namespace {

using namespace main_timer;

constexpr int kConfigTimeoutMs = 15000;

}  // namespace

void CTorvaneDlg::OnSelectionChange(int id) {
    if (id == res::kSwitcherIpList) discovery_.OnSelectionChange();
}

void CTorvaneDlg::OnConfig() {
    configIp_.Open(discovery_.Fields(), [this](int result) {
        if (result != ModalDialog::kResultOk) return;
        const ConfigPacket packet =
            BuildConfigPacket(configIp_.Mode(), discovery_.Fields().mac, configIp_.Edits());
        // A packet that cannot be sent is not reported now: the wait below
        // ends in "Time out!".
        static_cast<void>(discovery_.SendConfiguration(packet));
        // A Search's answers from before the packet must not end this wait
        // as a success.
        timers_.KillTimer(kDiscoveryAnswered);
        timers_.KillTimer(kDiscoveryClose);
        timers_.SetTimer(kConfigTimeout, kConfigTimeoutMs);
        configuration_ = ConfigurationState::kWaiting;
        busy_.ShowBusy("Configuring");
    });
}

// The timer has stopped already: each fires once per arming.
void CTorvaneDlg::OnNetworkTimer(int id) {
    switch (id) {
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

}  // namespace torvane
