#pragma once
// The General page's discovery controls: Search, the Switcher IP list and
// Config..., which sends a network configuration and waits for the switcher
// to answer from its new settings.

#include <functional>
#include <string>

#include "links/link_factory.h"
#include "network/config_ip_dlg.h"
#include "network/discovery.h"
#include "platform/window_timers.h"
#include "protocol/hex_log.h"
#include "ui/control_table.h"
#include "ui/message_dlg.h"
#include "ui/status_dlg.h"

namespace torvane {

// Where the last network configuration sent by Config... stands: waiting
// for the switcher to answer from its new settings, answered, or given up.
enum class ConfigurationState { kNone, kWaiting, kAnswered, kTimedOut };

class NetworkControl {
  public:
    struct Hooks {
        // Search lets the TCP control link go first.
        std::function<void()> closeControlLink;
        // "Time out!", the gate reopened when the operator closes it.
        std::function<void()> reportTimeOut;
    };

    // Datagrams received are echoed to `log`.
    NetworkControl(LinkFactory& links, ControlTable& table, ReceiveLog& log, WindowTimers& timers,
                   CMessageDlg& message, CStatusDlg& busy, Hooks hooks);

    // A click on Search or Config...; false for any other control.
    bool OnCommand(int id);
    void OnSelectionChange(int id);
    // A discovery or configuration timer expired; false for any other timer.
    bool OnTimer(int id);

    // Puts an address in the Switcher IP list and selects it, as discovery
    // does when it finds a switcher.
    void AddSwitcherAddress(const std::string& ipv4);
    void SetSettings(const DiscoverySettings& settings) { discovery_.SetSettings(settings); }
    const Discovery& SwitcherDiscovery() const { return discovery_; }
    CConfigIPDlg& ConfigIp() { return configIp_; }
    ConfigurationState Configuration() const { return configuration_; }

  private:
    void OnConfig();

    ControlTable& table_;
    WindowTimers& timers_;
    CStatusDlg& busy_;
    Hooks hooks_;
    Discovery discovery_;
    CConfigIPDlg configIp_;
    ConfigurationState configuration_ = ConfigurationState::kNone;
};

}  // namespace torvane
