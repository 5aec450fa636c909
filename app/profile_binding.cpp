#include "app/profile_binding.h"

#include <charconv>

#include "network/network_fields.h"
#include "profile/switcher_key.h"

namespace torvane {

std::optional<MacAddress> ListedMac(const Discovery& discovery, const std::string& ip) {
    for (const NetworkFields& listed : discovery.Listed()) {
        if (AddressText(listed.ip) != ip) continue;
        MacAddress mac{};
        for (std::size_t i = 0; i < mac.size(); ++i) {
            const std::string& hex = listed.mac[i];
            const auto read = std::from_chars(hex.data(), hex.data() + hex.size(), mac[i], 16);
            if (read.ec != std::errc() || read.ptr != hex.data() + hex.size()) return std::nullopt;
        }
        return mac;
    }
    return std::nullopt;
}

ProfileBinding::ProfileBinding(CTorvaneDlg& dlg, LinkFactory& links, SwitcherProfile& profile)
    : dlg_(dlg), profile_(profile), macQuery_(dlg.Loop(), links) {
    profile_.SetOnChanged([this] { ShowNames(); });
    dlg_.SetOnLinkChanged([this] { OnLinkChanged(); });
    OnLinkChanged();
}

ProfileBinding::~ProfileBinding() {
    dlg_.SetOnLinkChanged(nullptr);
    profile_.SetOnChanged(nullptr);
}

void ProfileBinding::OnLinkChanged() {
    macQuery_.Cancel();
    problem_.clear();
    if (dlg_.SerialOpen()) return Identify(profile::KeyForSerialPort(dlg_.SerialStableName()));
    if (!dlg_.TcpConnected()) {
        profile_.Forget();
        return;
    }
    const std::string ip = dlg_.SwitcherIp();
    if (auto mac = ListedMac(dlg_.SwitcherDiscovery(), ip))
        return Identify(profile::KeyForMac(*mac));
    profile_.Forget();
    macQuery_.Ask(ip, dlg_.SwitcherDiscovery().Settings(), kMacWaitMs,
                  [this](const Result<MacAddress>& mac) {
                      if (!mac) {
                          problem_ = mac.error().message;
                          return;
                      }
                      Identify(profile::KeyForMac(*mac));
                  });
}

void ProfileBinding::Identify(const std::string& key) {
    if (auto identified = profile_.Identify(key); !identified)
        problem_ = identified.error().message;
    // A profile that could not be read was moved aside: the operator hears
    // where it went.
    if (!profile_.Notice().empty()) dlg_.Message().ShowMessage(profile_.Notice());
}

void ProfileBinding::ShowNames() {
    const auto& current = profile_.Current();
    dlg_.ShowPortNames(current.inputNames, current.outputNames);
}

}  // namespace torvane
