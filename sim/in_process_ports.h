#pragma once
// The three in-process link classes behind SimLinkFactory. Only the factory
// and its own sources use this header; callers see the link interfaces.

#include <memory>

#include "sim/in_process_links.h"

namespace torvane::sim {

// Set to false when its owner goes away; posted work checks it first.
using Liveness = std::shared_ptr<bool>;
inline Liveness MakeLiveness() { return std::make_shared<bool>(true); }

class SimSerialPort : public SerialPort {
  public:
    explicit SimSerialPort(SimLinkFactory& factory) : factory_(factory) {}
    ~SimSerialPort() override;

    Status InitPort(SerialPortOwner* owner, const std::string& portPath,
                    const SerialSettings& settings) override;
    bool StartMonitoring() override;
    void StopMonitoring() override;
    void WriteToPort(const std::uint8_t* bytes, std::size_t count) override;

    // The adapter is pulled out: one failure report, then nothing flows.
    void Fail();

  private:
    void Close();

    SimLinkFactory& factory_;
    SerialPortOwner* owner_ = nullptr;
    SimLinkFactory::Switcher* switcher_ = nullptr;
    std::unique_ptr<ModelLink> link_;
    bool monitoring_ = false;
    Liveness alive_ = MakeLiveness();
};

class SimTcpControlSocket : public TcpControlSocket {
  public:
    explicit SimTcpControlSocket(SimLinkFactory& factory) : factory_(factory) {}
    ~SimTcpControlSocket() override;

    Status Connect(const std::string& ipv4, std::uint16_t port, TcpSocketEvents* events) override;
    void Close() override;
    long Send(const std::uint8_t* bytes, std::size_t count) override;

    // The switcher closed the connection.
    void DroppedByPeer();

  private:
    void Disconnect();

    SimLinkFactory& factory_;
    TcpSocketEvents* events_ = nullptr;
    std::unique_ptr<ModelLink> link_;
    SimLinkFactory::Switcher* switcher_ = nullptr;
    unsigned attempt_ = 0;  // a Close or new Connect cancels a pending attempt
    Liveness alive_ = MakeLiveness();
};

class SimUdpSocket : public UdpSocket {
  public:
    explicit SimUdpSocket(SimLinkFactory& factory) : factory_(factory) {}
    ~SimUdpSocket() override;

    Status Open(const std::string& bindIp, std::uint16_t port,
                std::function<void(const Datagram&)> onDatagram) override;
    void Close() override;
    Result<std::size_t> SendTo(const std::string& ip, std::uint16_t port, const std::uint8_t* bytes,
                               std::size_t count) override;
    std::uint16_t LocalPort() const override { return port_; }

    bool IsOpen() const { return open_; }
    const std::string& BindIp() const { return bindIp_; }
    // Hands `datagram` to the socket's callback on the loop's next turn, or
    // `delayMs` later; dropped if the socket has closed by then.
    void DeliverLater(Datagram datagram, int delayMs);

  private:
    SimLinkFactory& factory_;
    std::function<void(const Datagram&)> onDatagram_;
    std::string bindIp_;
    std::uint16_t port_ = 0;
    bool open_ = false;
    unsigned generation_ = 0;  // datagrams for an earlier opening are dropped
    Liveness alive_ = MakeLiveness();
};

}  // namespace torvane::sim
