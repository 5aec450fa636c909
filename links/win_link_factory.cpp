#include "links/system_links.h"
#include "links/system_serial_port.h"
#include "links/system_tcp_socket.h"
#include "links/system_udp_socket.h"
#include "links/win_port_api.h"
#include "links/windows_port_source.h"

namespace torvane {

namespace {

// The Windows walks over the system itself.
class Win32PortSource : public PortSource {
  public:
    Status ListPorts(std::vector<SSerInfo>* ports) override { return source_.ListPorts(ports); }
    bool IsBusy(const std::string& devicePath) override { return source_.IsBusy(devicePath); }

  private:
    Win32PortApi api_;
    WindowsPortSource source_{api_};
};

// Every COM port is in the system's list, so there are no extra ports to
// add: a port the user names is chosen by its name.
class WindowsLinkFactory : public LinkFactory {
  public:
    explicit WindowsLinkFactory(EventLoop& loop) : loop_(loop) {}

    std::unique_ptr<SerialPort> MakeSerialPort() override {
        return std::make_unique<CSerialPort>(loop_);
    }
    std::unique_ptr<TcpControlSocket> MakeTcpControlSocket() override {
        return std::make_unique<SystemTcpControlSocket>(loop_);
    }
    std::unique_ptr<UdpSocket> MakeUdpSocket() override {
        return std::make_unique<SystemUdpSocket>(loop_);
    }
    std::unique_ptr<PortSource> MakePortSource() override {
        return std::make_unique<Win32PortSource>();
    }

  private:
    EventLoop& loop_;
};

}  // namespace

std::unique_ptr<LinkFactory> MakeSystemLinkFactory(EventLoop& loop, std::vector<ListedPort>) {
    return std::make_unique<WindowsLinkFactory>(loop);
}

}  // namespace torvane
