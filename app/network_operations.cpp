// The operations of discovery and network configuration: Search, the
// Switcher IP list and Config... on the General page, as the operator uses
// them.

#include <algorithm>

#include "app/operation_waits.h"
#include "app/operations.h"
#include "res/resource_ids.h"

namespace torvane {

using namespace operation_waits;

namespace {

// The configuration's own 15 s time-out ends every wait; this is a safety net.
constexpr int kConfigureMs = 20000;
// A refused configuration's messages, one after the other.
constexpr int kRefusalMessagesMs = 1000;

}  // namespace

bool Operations::StartSearch(const Fail& fail) {
    StartFresh();
    // Search closes the TCP control link on purpose: its loss ends nothing.
    linkOpened_ = false;
    // Search belongs to the TCP control mode, as on the General page.
    dlg_.Click(res::kTcpModeRadio);
    dlg_.Click(res::kSearchButton);
    if (const auto& socket = dlg_.SwitcherDiscovery().SocketOutcome(); !socket) {
        fail(SystemError(socket.error().message));
        return false;
    }
    return true;
}

void Operations::Discover(int listenMs, Done<FoundSwitchers> done) {
    Enqueue([this, listenMs, done] {
        const Fail fail = FailWith(done);
        if (!StartSearch(fail)) return;
        Listen(
            listenMs, [this, done] { Succeed(done, dlg_.SwitcherDiscovery().Listed()); }, fail);
    });
}

void Operations::ConfigureNetwork(const NetworkSettings& settings, int listenMs,
                                  Done<FoundSwitchers> done) {
    Enqueue([this, settings, listenMs, done] {
        const Fail fail = FailWith(done);
        if (!StartSearch(fail)) return;
        Listen(
            listenMs, [this, settings, done] { SendConfiguration(settings, done); }, fail);
    });
}

void Operations::SendConfiguration(const NetworkSettings& settings, Done<FoundSwitchers> done) {
    const Fail fail = FailWith(done);
    const auto& listed = dlg_.SwitcherDiscovery().Listed();
    const auto found = std::find_if(listed.begin(), listed.end(),
                                    [&](const auto& s) { return MacText(s.mac) == settings.mac; });
    if (found == listed.end()) {
        std::string dashed;
        for (const auto& field : SplitMacText(settings.mac))
            dashed += (dashed.empty() ? "" : "-") + field;
        return fail({Error::Kind::kTimedOut, "no switcher with MAC " + dashed});
    }
    dlg_.Select(res::kSwitcherIpList, static_cast<int>(found - listed.begin()));
    dlg_.Click(res::kConfigButton);
    TypeConfiguration(settings);
    CConfigIPDlg& config = dlg_.ConfigIp();
    config.Click(res::kConfigOkButton);
    if (config.Running()) {
        // Refused: the dialog names every group it does not take, one
        // message after the other.
        const Then refused = [this, fail] {
            std::string said;
            for (const auto& message : TakeMessages()) said += (said.empty() ? "" : " ") + message;
            dlg_.ConfigIp().Click(res::kConfigCancelButton);
            fail(BadInput(said));
        };
        Begin([this] { return !dlg_.Message().Showing(); }, refused,
              [refused](const Error&) { refused(); }, kRefusalMessagesMs, false);
        return;
    }
    if (const auto& socket = dlg_.SwitcherDiscovery().SocketOutcome(); !socket)
        return fail(SystemError(socket.error().message));
    Begin([this] { return Settled(); },
          [this, done, fail] {
              if (!messages_.empty()) return fail({Error::Kind::kTimedOut, messages_.front()});
              if (dlg_.Busy().Flagged() || dlg_.Configuration() != ConfigurationState::kAnswered)
                  return fail(TimedOut());
              Succeed(done, dlg_.SwitcherDiscovery().Listed());
          },
          fail, kConfigureMs, false);
}

// Types the values into the dialog as the operator would. A group whose
// value the edits do not take (a letter in an address, a part too many) is
// left with an empty field, so that OK names it with the others.
void Operations::TypeConfiguration(const NetworkSettings& settings) {
    CConfigIPDlg& config = dlg_.ConfigIp();
    config.Click(settings.automatic ? res::kAutoIpRadio : res::kStaticIpRadio);
    auto type = [&config](const auto& ids, const std::string& text, const char* separators) {
        const auto parts = SplitAtAny(text, separators);
        bool taken = parts.size() == std::size(ids);
        for (std::size_t i = 0; taken && i < parts.size(); ++i) {
            config.EditText(ids[i], parts[i]);
            taken = config.Controls().Text(ids[i]) == parts[i];
        }
        if (!taken) config.EditText(ids[0], "");
    };
    if (!settings.automatic) {
        type(res::kConfigIpEdits, settings.ip, ".");
        type(res::kConfigNetmaskEdits, settings.netmask, ".");
        type(res::kConfigGatewayEdits, settings.gateway, ".");
    }
    if (!settings.newMac.empty()) type(res::kConfigMacEdits, settings.newMac, "-:");
}

}  // namespace torvane
