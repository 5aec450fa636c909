#include "app/connection_control.h"

#include "app/link_messages.h"
#include "app/main_timers.h"
#include "links/stable_serial_path.h"
#include "res/resource_ids.h"

namespace torvane {
namespace {

const int kComGroupControls[] = {res::kComGroup, res::kPortLabel, res::kComConnectButton,
                                 res::kPortList};
const int kTcpGroupControls[] = {res::kTcpConnectButton, res::kTcpGroup,     res::kSwitcherIpLabel,
                                 res::kSearchButton,     res::kConfigButton, res::kSwitcherIpList};

}  // namespace

ConnectionControl::ConnectionControl(LinkFactory& links, std::unique_ptr<PortListRefresher> ports,
                                     ControlTable& table, WindowTimers& timers,
                                     CMessageDlg& message, ConnectionSupervisor& supervisor,
                                     Hooks hooks)
    : table_(table),
      timers_(timers),
      message_(message),
      supervisor_(supervisor),
      hooks_(std::move(hooks)),
      assembler_([this](const std::uint8_t* f, std::size_t n) { hooks_.frame(f, n); }),
      tcpReassembly_([this](const std::uint8_t* f, std::size_t n) { hooks_.frame(f, n); }),
      serial_(links.MakeSerialPort()),
      tcp_(links.MakeTcpControlSocket()),
      ports_(std::move(ports)),
      portList_(table, res::kPortList) {}

ConnectionControl::~ConnectionControl() { Shutdown(); }

// Ending the serial monitoring and closing the links twice does no harm.
void ConnectionControl::Shutdown() {
    if (serial_) serial_->StopMonitoring();
    if (tcp_) tcp_->Close();
}

void ConnectionControl::Init() {
    table_.CheckRadioInGroup(res::kComModeRadio);
    linkMode_ = kComControlMode;
    ApplyLinkMode();
    RefreshPortList();
    timers_.SetTimer(main_timer::kPortRefresh, main_timer::kPortRefreshMs);
}

bool ConnectionControl::OnCommand(int id) {
    switch (id) {
        case res::kComModeRadio:
            linkMode_ = kComControlMode;
            ApplyLinkMode();
            return true;
        case res::kTcpModeRadio:
            linkMode_ = kTcpControlMode;
            ApplyLinkMode();
            return true;
        case res::kComConnectButton:
            OnComConnect();
            return true;
        case res::kTcpConnectButton:
            OnTcpConnectButton();
            return true;
        default:
            return false;
    }
}

// A failed listing leaves the list as it was; the next tick tries again.
void ConnectionControl::RefreshPortList() { static_cast<void>(ports_->RefreshPortList(portList_)); }

void ConnectionControl::Send(const std::uint8_t* buffer, std::size_t length) {
    // The radio, not the link mode, picks the link.
    if (table_.Checked(res::kComModeRadio))
        serial_->WriteToPort(buffer, length);
    else
        tcp_->Send(buffer, length);
}

std::string ConnectionControl::ClosedLinkText() const {
    if (LinkOpen()) return {};
    if (!lostLinkText_.empty()) return lostLinkText_;
    return linkMode_ == kComControlMode ? "Open COM failed!" : "Connect to Matrix failed!";
}

std::string ConnectionControl::LinkName() const {
    if (linkMode_ == kComControlMode) return serialPath_;
    if (switcherIp_.empty()) return {};
    return switcherIp_ + ":" + std::to_string(controlPort_);
}

void ConnectionControl::ApplyLinkMode() {
    const bool com = linkMode_ == kComControlMode;
    lostLinkText_.clear();
    supervisor_.OperatorDisconnected();
    // Leaving COM mode lets an open port go, and its list is probed again;
    // a port not open is not monitored, and its list refreshes already.
    if (com)
        CloseTcpLink();
    else if (serialOpen_)
        CloseComPort();
    for (int id : kTcpGroupControls) table_.SetEnabled(id, !com);
    for (int id : kComGroupControls) table_.SetEnabled(id, com);
}

void ConnectionControl::CloseComPort() {
    const bool wasOpen = serialOpen_;
    hooks_.stopReading();
    serial_->StopMonitoring();
    serialOpen_ = false;
    table_.SetText(res::kComConnectButton, "Connect");
    timers_.SetTimer(main_timer::kPortRefresh, main_timer::kPortRefreshMs);
    table_.SetEnabled(res::kPortList, true);
    if (wasOpen) hooks_.closed();
}

int ConnectionControl::PortEntry(const std::string& devicePath) {
    const auto& items = table_.Items(res::kPortList);
    for (std::size_t i = 0; i < items.size(); ++i)
        if (ports_->DevicePathForEntry(items[i]) == devicePath) return static_cast<int>(i);
    SSerInfo port;
    port.devicePath = devicePath;
    const int index = static_cast<int>(items.size());
    table_.InsertItem(res::kPortList, index, ports_->Naming().EntryTextOf(port));
    return index;
}

void ConnectionControl::OnComConnect() {
    if (serialOpen_) {
        CloseComPort();
        supervisor_.OperatorDisconnected();
        return;
    }
    lostLinkText_.clear();
    hooks_.forgetState();
    supervisor_.OperatorConnecting();
    serialPath_ = ports_->DevicePathForEntry(table_.Text(res::kPortList));
    // Before opening: whoever hears the link open asks for the stable name.
    reopenPath_ = StableSerialPath(serialPath_);
    if (Status opened = OpenSerialPort(serialPath_); !opened) {
        message_.ShowMessage("Open COM failed!");
        supervisor_.OpenFailed(lastLinkError_);
        return;
    }
    supervisor_.Connected();
    // The busy gate is not involved: the reply sets "Power On" on the General page.
    hooks_.opened();
}

Status ConnectionControl::OpenSerialPort(const std::string& path) {
    if (Status opened = serial_->InitPort(this, path, serialSettings_); !opened) {
        lastLinkError_ = opened.error().message;
        serialOpen_ = false;
        return opened;
    }
    lastLinkError_.clear();
    table_.SetText(res::kComConnectButton, "Disconnect");
    serial_->StartMonitoring();
    serialOpen_ = true;
    timers_.KillTimer(main_timer::kPortRefresh);
    table_.SetEnabled(res::kPortList, false);
    hooks_.changed();
    return {};
}

void ConnectionControl::OnSerialBytes(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) assembler_.Feed(bytes[i]);
}

// A port that fails while open is closed and the operator told at once; until
// a port is opened again, commands name the failure rather than a port the
// operator never tried to open. A pending command ends by its own time-out.
void ConnectionControl::OnSerialFailure() {
    if (!serialOpen_) return;
    CloseComPort();
    Lost(kSerialPortFailed);
    hooks_.activity();
}

void ConnectionControl::Lost(const char* text) {
    lostLinkText_ = text;
    hooks_.lost(text);
}

void ConnectionControl::CloseTcpLink() {
    const bool wasConnected = tcpConnected_;
    hooks_.stopReading();
    tcpConnected_ = false;
    tcp_->Close();
    table_.SetText(res::kTcpConnectButton, "Connect");
    if (wasConnected) hooks_.closed();
}

void ConnectionControl::OnTcpConnectButton() {
    if (tcpConnected_) {
        CloseTcpLink();
        supervisor_.OperatorDisconnected();
        return;
    }
    tcp_->Close();
    lostLinkText_.clear();
    hooks_.forgetState();
    supervisor_.OperatorConnecting();
    switcherIp_ = table_.Text(res::kSwitcherIpList);
    lastLinkError_.clear();
    if (switcherIp_.empty()) {
        lastLinkError_ = "no Switcher IP chosen";
        message_.ShowMessage(ConnectFailedText(lastLinkError_));
        supervisor_.OpenFailed(lastLinkError_);
        return;
    }
    if (Status started = tcp_->Connect(switcherIp_, controlPort_, this); !started) {
        lastLinkError_ = started.error().message;
        message_.ShowMessage(ConnectFailedText(lastLinkError_));
        supervisor_.OpenFailed(lastLinkError_);
        return;
    }
    tcpConnected_ = false;
}

// The supervisor's own attempts end without a message: the status line
// tells, and the state is read rather than the connecting queries sent.
void ConnectionControl::OnTcpConnect(const Status& outcome) {
    const bool reconnecting = supervisor_.State() == LinkState::kReconnecting;
    if (!outcome) {
        lastLinkError_ = outcome.error().message;
        if (!reconnecting) message_.ShowMessage(ConnectFailedText(lastLinkError_));
        supervisor_.OpenFailed(lastLinkError_);
        hooks_.activity();
        return;
    }
    tcpConnected_ = true;
    table_.SetText(res::kTcpConnectButton, "Disconnect");
    if (reconnecting) {
        lostLinkText_.clear();
        supervisor_.Connected();
        hooks_.activity();
        hooks_.changed();
        return;
    }
    supervisor_.Connected();
    hooks_.opened();
    hooks_.activity();
    hooks_.changed();
}

void ConnectionControl::OnTcpRead(const std::uint8_t* bytes, long readResult) {
    tcpReassembly_.OnRead(bytes, readResult);
}

// The peer closing or resetting the connection ends the link at once: the
// button offers Connect again and the operator is told.
void ConnectionControl::OnTcpClose() {
    if (!tcpConnected_) {
        tcp_->Close();
        if (supervisor_.State() == LinkState::kReconnecting)
            supervisor_.OpenFailed(kConnectionLost);
        return;
    }
    CloseTcpLink();
    Lost(kConnectionLost);
    hooks_.activity();
}

void ConnectionControl::Reopen() {
    if (linkMode_ == kComControlMode) {
        if (Status opened = OpenSerialPort(reopenPath_); !opened)
            return supervisor_.OpenFailed(opened.error().message);
        lostLinkText_.clear();
        supervisor_.Connected();
        return;
    }
    tcp_->Close();
    if (Status started = tcp_->Connect(switcherIp_, controlPort_, this); !started)
        supervisor_.OpenFailed(started.error().message);
}

void ConnectionControl::CloseNotAnswering() {
    if (linkMode_ == kComControlMode)
        CloseComPort();
    else
        CloseTcpLink();
    lostLinkText_ = kSwitcherNotAnswering;
}

}  // namespace torvane
