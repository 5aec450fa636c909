#include "gui/demo_switcher.h"

#include "links/ipv4_address.h"

namespace torvane::gui {

DemoSwitcher::DemoSwitcher(EventLoop& loop)
    : model_(loop),
      tcp_(loop, model_),
      pty_(loop, model_),
      discovery_(loop, model_, [this](const auto& d) { return model_.AnswerDiscovery(d); }),
      configuration_(
          loop, model_, [this](const auto& d) { return model_.AnswerConfiguration(d); },
          [this] { FollowAddress(); }),
      loop_(loop) {}

DemoSwitcher::~DemoSwitcher() = default;

bool DemoSwitcher::Start(std::string* error, const std::string& serialLink) {
    serialLink_ = serialLink;
    model_.State().network.ip = {127, 0, 0, 1};
    if (!tcp_.Listen(Address(), 0, error)) return false;
    model_.State().network.controlPort = tcp_.Port();
    return pty_.Open(serialLink, error) && discovery_.Open(0, error) &&
           configuration_.Open(0, error);
}

void DemoSwitcher::StartFrontPanel(int fd, std::function<void(const std::string&)> report) {
    panelActions_ = std::make_unique<sim::PosixPanelActions>(
        loop_, model_, tcp_, pty_,
        sim::PosixPanelActions::Reports{
            [report](const std::string&) { report("panel back"); },
            [report](const std::string& why) { report(why + "; trying again"); }});
    panel_ = std::make_unique<sim::PosixFrontPanel>(
        loop_, fd,
        [this, report](const sim::FrontPanelCommand& command) {
            panelActions_->Apply(command);
            report("panel " + sim::DescribeFrontPanelCommand(command));
        },
        report);
    panel_->Start();
}

std::string DemoSwitcher::Address() const { return FormatIpv4(address_); }

void DemoSwitcher::FollowAddress() {
    // A new loopback address moves the control port there, as the network
    // module would; any other address keeps the demo where it is.
    const auto& now = model_.State().network.ip;
    std::string ignored;
    if (now[0] == 127 && now != address_ && tcp_.Listen(FormatIpv4(now), tcp_.Port(), &ignored))
        address_ = now;
}

DiscoverySettings DemoSwitcher::Discovery() const {
    DiscoverySettings settings;
    settings.bindIp = "127.0.0.1";
    settings.broadcastIp = "127.255.255.255";
    settings.discoveryPort = discovery_.Port();
    settings.configPort = configuration_.Port();
    return settings;
}

}  // namespace torvane::gui
