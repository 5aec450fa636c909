#include "sim/in_process_links.h"

#include <algorithm>
#include <cstdio>

#include "links/listed_port_source.h"
#include "sim/in_process_ports.h"

namespace torvane::sim {
namespace {

bool IsAllOnes(const Ipv4& ip) {
    return std::all_of(ip.begin(), ip.end(), [](std::uint8_t b) { return b == 0xFF; });
}

// Whether a datagram sent to `to` reaches a host at `host` with `netmask`:
// the limited broadcast, the host itself, or its subnet's broadcast.
// On loopback, where torvane-sim's wildcard sockets hear 127.255.255.255
// whatever netmask a switcher reports, the in-process LAN does the same.
bool Reaches(const Ipv4& to, const Ipv4& host, const Ipv4& netmask) {
    if (IsAllOnes(to) || to == host) return true;
    if (host[0] == 127 && to == Ipv4{127, 255, 255, 255}) return true;
    for (std::size_t i = 0; i < 4; ++i) {
        if ((to[i] & netmask[i]) != (host[i] & netmask[i])) return false;
        if ((to[i] | netmask[i]) != 0xFF) return false;
    }
    return true;
}

}  // namespace

class SimPortSource : public ListedPortSource {
  public:
    explicit SimPortSource(SimLinkFactory& factory) : factory_(factory) {}

  protected:
    Status ScanPorts(std::vector<ListedPort>* ports) override {
        for (const auto& s : factory_.switchers_)
            if (!s->unplugged)
                ports->push_back({s->serialPath, "Simulated switcher (" + s->serialPath + ")",
                                  "Simulated switcher", ""});
        return {};
    }
    bool HeldElsewhere(const std::string& devicePath) override {
        const SimLinkFactory::Switcher* s = factory_.FindBySerialPath(devicePath);
        return s != nullptr && s->serialUser != nullptr;
    }

  private:
    SimLinkFactory& factory_;
};

std::unique_ptr<PortSource> SimLinkFactory::MakePortSource() {
    return std::make_unique<SimPortSource>(*this);
}

SimLinkFactory::SimLinkFactory(EventLoop& loop) : loop_(loop) {}

SimLinkFactory::~SimLinkFactory() = default;

void SimLinkFactory::AddSwitcher(SwitcherModel& model, std::string serialPath,
                                 std::uint16_t tcpPort) {
    auto switcher = std::make_unique<Switcher>();
    switcher->model = &model;
    switcher->serialPath = std::move(serialPath);
    switcher->tcpPort = tcpPort;
    model.State().network.controlPort = tcpPort;
    switchers_.push_back(std::move(switcher));
}

std::unique_ptr<SerialPort> SimLinkFactory::MakeSerialPort() {
    return std::make_unique<SimSerialPort>(*this);
}

std::unique_ptr<TcpControlSocket> SimLinkFactory::MakeTcpControlSocket() {
    return std::make_unique<SimTcpControlSocket>(*this);
}

std::unique_ptr<UdpSocket> SimLinkFactory::MakeUdpSocket() {
    auto socket = std::make_unique<SimUdpSocket>(*this);
    udpSockets_.push_back(socket.get());
    return socket;
}

void SimLinkFactory::UnplugSerial(const std::string& path) {
    Switcher* switcher = FindBySerialPath(path);
    if (switcher == nullptr) return;
    switcher->unplugged = true;
    if (switcher->serialUser != nullptr) switcher->serialUser->Fail();
}

void SimLinkFactory::PlugInSerial(const std::string& path) {
    if (Switcher* switcher = FindBySerialPath(path)) switcher->unplugged = false;
}

void SimLinkFactory::DropTcpConnections(SwitcherModel& model) {
    Switcher* switcher = FindByModel(model);
    if (switcher == nullptr) return;
    const auto connections = switcher->connections;
    for (SimTcpControlSocket* socket : connections) socket->DroppedByPeer();
}

void SimLinkFactory::SetTcpAccepting(SwitcherModel& model, bool accepting) {
    if (Switcher* switcher = FindByModel(model)) switcher->accepting = accepting;
}

int SimLinkFactory::TcpConnectionCount(SwitcherModel& model) const {
    const Switcher* switcher = FindByModel(model);
    return switcher == nullptr ? 0 : static_cast<int>(switcher->connections.size());
}

SimLinkFactory::Switcher* SimLinkFactory::FindBySerialPath(const std::string& path) {
    for (auto& s : switchers_)
        if (s->serialPath == path) return s.get();
    return nullptr;
}

SimLinkFactory::Switcher* SimLinkFactory::FindByTcpEndpoint(const std::string& ip,
                                                            std::uint16_t port) {
    const auto address = ParseIpv4(ip);
    if (!address) return nullptr;
    for (auto& s : switchers_)
        if (s->model->State().network.ip == *address && s->tcpPort == port) return s.get();
    return nullptr;
}

SimLinkFactory::Switcher* SimLinkFactory::FindByModel(SwitcherModel& model) {
    for (auto& s : switchers_)
        if (s->model == &model) return s.get();
    return nullptr;
}

const SimLinkFactory::Switcher* SimLinkFactory::FindByModel(SwitcherModel& model) const {
    for (const auto& s : switchers_)
        if (s->model == &model) return s.get();
    return nullptr;
}

void SimLinkFactory::Forget(SimTcpControlSocket* socket) {
    for (auto& s : switchers_) std::erase(s->connections, socket);
}

void SimLinkFactory::Forget(SimSerialPort* port) {
    for (auto& s : switchers_)
        if (s->serialUser == port) s->serialUser = nullptr;
}

void SimLinkFactory::Forget(SimUdpSocket* socket) { std::erase(udpSockets_, socket); }

void SimLinkFactory::Route(SimUdpSocket& from, const std::string& toIp, std::uint16_t toPort,
                           const std::vector<std::uint8_t>& bytes) {
    sent_.push_back({toIp, toPort, bytes});
    const auto to = ParseIpv4(toIp);
    if (!to) return;

    const bool discovery = toPort == discoveryPort;
    if (discovery || toPort == configPort) {
        for (auto& s : switchers_) {
            SwitcherModel& model = *s->model;
            const NetworkSettings& net = model.State().network;
            if (!Reaches(*to, net.ip, net.netmask)) continue;
            // The answer comes from the address the switcher had when asked.
            const std::string fromIp = FormatIpv4(net.ip);
            auto answer =
                discovery ? model.AnswerDiscovery(bytes) : model.AnswerConfiguration(bytes);
            if (answer) from.DeliverLater({*answer, fromIp, toPort}, model.Timing().replyDelayMs);
        }
    }

    const std::string senderIp = from.BindIp() == "0.0.0.0" ? "127.0.0.1" : from.BindIp();
    for (SimUdpSocket* socket : udpSockets_) {
        if (!socket->IsOpen() || socket->LocalPort() != toPort) continue;
        if (socket == &from && !echoBroadcastsToSender) continue;
        // As on a real host, a socket bound to one address hears only what is
        // sent to that address; a wildcard socket hears broadcasts too.
        if (socket->BindIp() != "0.0.0.0" && ParseIpv4(socket->BindIp()) != to) continue;
        socket->DeliverLater({bytes, senderIp, from.LocalPort()}, 0);
    }
}

}  // namespace torvane::sim
