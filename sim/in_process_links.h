#pragma once
// Links to simulated switchers inside the process: what the controller gets
// instead of a real serial port, TCP socket and UDP socket in tests and in
// the demo. No real I/O: every byte goes through the event loop, never back
// synchronously inside a write or send.
//
//   VirtualLoop loop;
//   sim::SwitcherModel a(loop), b(loop);
//   b.State().network.ip = {127, 0, 0, 3};
//   sim::SimLinkFactory links(loop);
//   links.AddSwitcher(a);                          // serial "/dev/torvane-sim", TCP 127.0.0.1:8000
//   links.AddSwitcher(b, "/dev/torvane-sim-b");    // TCP 127.0.0.3:8000
//   CTorvaneDlg dlg(loop, links, ...);             // whatever takes a LinkFactory
//
// Serial (MakeSerialPort): InitPort opens only a path given to AddSwitcher
// (any other fails, saying why; a path already open elsewhere is
// busy). Replies reach the owner's OnSerialBytes from the loop while it is
// monitoring. UnplugSerial fails the open port once (OnSerialFailure) and
// makes its path vanish until PlugInSerial.
//
// TCP (MakeTcpControlSocket): Connect reports a connection on the loop when
// the address is a switcher's current IP and the port its TCP port (8000
// unless given), else a refusal in the system's words. Each write of the
// switcher arrives as one OnTcpRead (so its split and glue faults show as
// they would on a real socket). DropTcpConnections closes from the switcher's side
// (OnTcpClose); SetTcpAccepting(false) refuses new connections.
//
// Port list (MakePortSource): the switchers' serial paths, as a serial port
// enumeration would find them; an unplugged one is missing, an open one busy.
//
// UDP (MakeUdpSocket): sockets live on one in-process LAN with the added
// switchers. A datagram to the discovery port (30600) or the configuration
// port (30601) addressed to 255.255.255.255, to a switcher's subnet broadcast
// (127.255.255.255 by default) or to its IP is answered by that switcher, to
// the sending socket, from the switcher's IP and that port. Other sockets
// bound to the destination port receive the datagram too (the sender only
// with echoBroadcastsToSender).
//
// Lifetimes: the factory must outlive every link it made, and each model the
// factory.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "links/ipv4_address.h"
#include "links/link_factory.h"
#include "platform/event_loop.h"
#include "sim/switcher_model.h"

namespace torvane::sim {

inline constexpr const char* kDefaultSerialPath = "/dev/torvane-sim";
inline constexpr std::uint16_t kDefaultTcpPort = 8000;
inline constexpr std::uint16_t kDiscoveryPort = 30600;
inline constexpr std::uint16_t kConfigPort = 30601;

class SimSerialPort;
class SimTcpControlSocket;
class SimUdpSocket;

struct SentDatagram {
    std::string toIp;
    std::uint16_t toPort = 0;
    std::vector<std::uint8_t> bytes;
};

class SimLinkFactory : public LinkFactory {
  public:
    explicit SimLinkFactory(EventLoop& loop);
    ~SimLinkFactory() override;

    void AddSwitcher(SwitcherModel& model, std::string serialPath = kDefaultSerialPath,
                     std::uint16_t tcpPort = kDefaultTcpPort);

    std::unique_ptr<SerialPort> MakeSerialPort() override;
    std::unique_ptr<TcpControlSocket> MakeTcpControlSocket() override;
    std::unique_ptr<UdpSocket> MakeUdpSocket() override;
    // The switchers' serial paths that are plugged in, each named
    // "Simulated switcher (PATH)" and busy while a port holds it.
    std::unique_ptr<PortSource> MakePortSource() override;

    // Serial adapter pulled out / put back.
    void UnplugSerial(const std::string& path = kDefaultSerialPath);
    void PlugInSerial(const std::string& path = kDefaultSerialPath);
    // The switcher's network module closes every TCP connection it holds.
    void DropTcpConnections(SwitcherModel& model);
    void SetTcpAccepting(SwitcherModel& model, bool accepting);
    int TcpConnectionCount(SwitcherModel& model) const;

    // The in-process LAN.
    std::uint16_t discoveryPort = kDiscoveryPort;
    std::uint16_t configPort = kConfigPort;
    bool echoBroadcastsToSender = false;
    // Every datagram sent on it, in order.
    const std::vector<SentDatagram>& SentDatagrams() const { return sent_; }

    EventLoop& Loop() { return loop_; }

  private:
    friend class SimSerialPort;
    friend class SimTcpControlSocket;
    friend class SimUdpSocket;
    friend class SimPortSource;

    struct Switcher {
        SwitcherModel* model;
        std::string serialPath;
        std::uint16_t tcpPort;
        bool unplugged = false;
        bool accepting = true;
        SimSerialPort* serialUser = nullptr;
        std::vector<SimTcpControlSocket*> connections;
    };
    Switcher* FindBySerialPath(const std::string& path);
    Switcher* FindByTcpEndpoint(const std::string& ip, std::uint16_t port);
    Switcher* FindByModel(SwitcherModel& model);
    const Switcher* FindByModel(SwitcherModel& model) const;
    void Forget(SimTcpControlSocket* socket);
    void Forget(SimSerialPort* port);
    void Forget(SimUdpSocket* socket);
    void Route(SimUdpSocket& from, const std::string& toIp, std::uint16_t toPort,
               const std::vector<std::uint8_t>& bytes);
    std::uint16_t NextEphemeralPort() { return nextEphemeralPort_++; }

    EventLoop& loop_;
    std::vector<std::unique_ptr<Switcher>> switchers_;
    std::vector<SimUdpSocket*> udpSockets_;
    std::vector<SentDatagram> sent_;
    std::uint16_t nextEphemeralPort_ = 49152;
};

}  // namespace torvane::sim
