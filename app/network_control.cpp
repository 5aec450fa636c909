#include "app/network_control.h"

#include <algorithm>

#include "app/main_timers.h"
#include "res/resource_ids.h"

namespace torvane {
namespace {

using namespace main_timer;

constexpr int kConfigTimeoutMs = 15000;

}  // namespace

NetworkControl::NetworkControl(LinkFactory& links, ControlTable& table, ReceiveLog& log,
                               WindowTimers& timers, CMessageDlg& message, CStatusDlg& busy,
                               Hooks hooks)
    : table_(table),
      timers_(timers),
      busy_(busy),
      hooks_(std::move(hooks)),
      discovery_(links, table, res::kSwitcherIpList, log,
                 {[this] { hooks_.closeControlLink(); },
                  [this] { timers_.SetTimer(kDiscoveryAnswered, 900); }}),
      configIp_(message) {}

bool NetworkControl::OnCommand(int id) {
    switch (id) {
        case res::kSearchButton:
            // A socket that cannot be used leaves the list empty; the
            // operation API reports the reason from SocketOutcome.
            static_cast<void>(discovery_.Search());
            return true;
        case res::kConfigButton:
            OnConfig();
            return true;
        default:
            return false;
    }
}

void NetworkControl::OnSelectionChange(int id) {
    if (id == res::kSwitcherIpList) discovery_.OnSelectionChange();
}

void NetworkControl::AddSwitcherAddress(const std::string& ipv4) {
    const auto& items = table_.Items(res::kSwitcherIpList);
    auto it = std::find(items.begin(), items.end(), ipv4);
    int index = static_cast<int>(it - items.begin());
    if (it == items.end()) table_.InsertItem(res::kSwitcherIpList, index, ipv4);
    table_.SetSelection(res::kSwitcherIpList, index);
}

void NetworkControl::OnConfig() {
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

// Each timer stops first: it fires once per arming.
bool NetworkControl::OnTimer(int id) {
    switch (id) {
        case kDiscoveryAnswered:
            timers_.KillTimer(id);
            if (configuration_ == ConfigurationState::kWaiting)
                configuration_ = ConfigurationState::kAnswered;
            busy_.SetBusyText("Configure successfully!");
            if (busy_.Running()) busy_.FinishBusy();
            timers_.SetTimer(kDiscoveryClose, 900);
            return true;
        case kDiscoveryClose:
            timers_.KillTimer(id);
            timers_.KillTimer(kConfigTimeout);
            busy_.CloseBusy();
            return true;
        case kConfigTimeout:
            timers_.KillTimer(id);
            configuration_ = ConfigurationState::kTimedOut;
            busy_.CloseBusy();
            hooks_.reportTimeOut();
            return true;
        default:
            return false;
    }
}

}  // namespace torvane
