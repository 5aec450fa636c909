#pragma once
// Connection control: the "Control Mode Select" radios, the serial port
// list and its COM Connect button, the Switcher IP list's TCP Connect
// button, the two links they open and close, and what the links report
// back. Whole frames from either link go to the main window; so does a
// link that fails by itself.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/connection_supervisor.h"
#include "app/port_list_combo.h"
#include "links/link_factory.h"
#include "links/port_list_refresher.h"
#include "platform/window_timers.h"
#include "protocol/serial_assembler.h"
#include "protocol/tcp_reassembly.h"
#include "ui/control_table.h"
#include "ui/message_dlg.h"

namespace torvane {

// Link modes of the "Control Mode Select" radios.
inline constexpr std::uint8_t kComControlMode = 2;
inline constexpr std::uint8_t kTcpControlMode = 3;
inline constexpr std::uint16_t kSwitcherControlPort = 8000;

class ConnectionControl : private SerialPortOwner, private TcpSocketEvents {
  public:
    // What the connection control tells the main window.
    struct Hooks {
        // A whole frame from the open link.
        std::function<void(const std::uint8_t* frame, std::size_t length)> frame;
        // The operator opened a link: the switcher is asked how it stands.
        std::function<void()> opened;
        // An open link closed: what the window showed from it goes.
        std::function<void()> closed;
        // Which switcher the window talks to may have changed.
        std::function<void()> changed;
        // The link failed by itself, and why in the operator's words.
        std::function<void(const char* text)> lost;
        // The program's own readings stop: the link they used is closing.
        std::function<void()> stopReading;
        // What was known of the switcher belongs to the link before.
        std::function<void()> forgetState;
        // Something happened that may move a waiting operation on.
        std::function<void()> activity;
    };

    ConnectionControl(LinkFactory& links, std::unique_ptr<PortListRefresher> ports,
                      ControlTable& table, WindowTimers& timers, CMessageDlg& message,
                      ConnectionSupervisor& supervisor, Hooks hooks);
    ~ConnectionControl() override;

    // COM mode chosen and the port list read and kept current, as the
    // window opens.
    void Init();
    // A click on one of its controls; false for any other control.
    bool OnCommand(int id);
    void RefreshPortList();
    // The port list's entry for `devicePath`, added to the list first when
    // the list does not show it.
    int PortEntry(const std::string& devicePath);
    // Writes a unit to the link the radios choose; nothing checks here that
    // it is open: a unit on a closed link is left to the command's time-out.
    void Send(const std::uint8_t* buffer, std::size_t length);
    // Ends the links for good, as the window goes.
    void Shutdown();

    // What the busy gate tells the operator when the link is closed; empty
    // while it is open.
    std::string ClosedLinkText() const;
    bool LinkOpen() const { return linkMode_ == kComControlMode ? serialOpen_ : tcpConnected_; }
    std::uint8_t LinkMode() const { return linkMode_; }
    bool SerialOpen() const { return serialOpen_; }
    bool TcpConnected() const { return tcpConnected_; }
    // The link the operator chose: the serial port's path, or address:port.
    std::string LinkName() const;
    const std::string& SerialPath() const { return serialPath_; }
    const std::string& SerialStableName() const { return reopenPath_; }
    const std::string& SwitcherIp() const { return switcherIp_; }
    const std::string& LastLinkError() const { return lastLinkError_; }
    void SetControlPort(std::uint16_t port) { controlPort_ = port; }
    PortListRefresher& Ports() { return *ports_; }

    // Search's TCP link goes, as the Disconnect button would let it go.
    void CloseTcpLink();
    // The supervisor's own attempt to open the lost link again.
    void Reopen();
    // The switcher stopped answering on a link still open: it is closed,
    // and commands tried meanwhile say so.
    void CloseNotAnswering();

  private:
    void ApplyLinkMode();
    void OnComConnect();
    void CloseComPort();
    Status OpenSerialPort(const std::string& path);
    void OnTcpConnectButton();
    void OnSerialBytes(const std::uint8_t* bytes, std::size_t count) override;
    void OnSerialFailure() override;
    void OnTcpConnect(const Status& outcome) override;
    void OnTcpRead(const std::uint8_t* bytes, long readResult) override;
    void OnTcpClose() override;
    // The link went down without the operator asking.
    void Lost(const char* text);

    ControlTable& table_;
    WindowTimers& timers_;
    CMessageDlg& message_;
    ConnectionSupervisor& supervisor_;
    Hooks hooks_;
    SerialFrameAssembler assembler_;
    TcpReassembly tcpReassembly_;
    std::unique_ptr<SerialPort> serial_;
    std::unique_ptr<TcpControlSocket> tcp_;
    std::unique_ptr<PortListRefresher> ports_;
    PortListCombo portList_;

    std::uint8_t linkMode_ = kComControlMode;
    bool serialOpen_ = false;
    bool tcpConnected_ = false;
    SerialSettings serialSettings_;
    std::string serialPath_;
    // The serial port's stable name: the /dev/serial/by-id link that leads
    // to it where there is one, else the path itself.
    std::string reopenPath_;
    std::string switcherIp_;
    std::uint16_t controlPort_ = kSwitcherControlPort;
    std::string lastLinkError_;
    // Why the link is closed when it failed by itself; empty otherwise.
    std::string lostLinkText_;
};

}  // namespace torvane
