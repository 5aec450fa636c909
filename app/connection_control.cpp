// Connection control: the "Control Mode Select" radios, the COM and TCP
// Connect buttons, and what the links report back.

#include "app/link_messages.h"
#include "app/main_timers.h"
#include "app/torvane_dlg.h"
#include "links/stable_serial_path.h"
#include "res/resource_ids.h"

namespace torvane {
namespace {

const int kComGroupControls[] = {res::kComGroup, res::kPortLabel, res::kComConnectButton,
                                 res::kPortList};
const int kTcpGroupControls[] = {res::kTcpConnectButton, res::kTcpGroup,     res::kSwitcherIpLabel,
                                 res::kSearchButton,     res::kConfigButton, res::kSwitcherIpList};

}  // namespace

void CTorvaneDlg::ApplyLinkMode() {
    const bool com = linkMode_ == kComControlMode;
    lostLinkText_.clear();
    supervisor_.OperatorDisconnected();
    // Leaving COM mode lets an open port go, and its list is probed again;
    // a port not open is not monitored, and its list refreshes already.
    if (com)
        CloseTcpLink();
    else if (serialOpen_)
        CloseComPort();
    for (int id : kTcpGroupControls) Table().SetEnabled(id, !com);
    for (int id : kComGroupControls) Table().SetEnabled(id, com);
}

void CTorvaneDlg::CloseComPort() {
    const bool wasOpen = serialOpen_;
    StopReading();
    serial_->StopMonitoring();
    serialOpen_ = false;
    Table().SetText(res::kComConnectButton, "Connect");
    timers_.SetTimer(main_timer::kPortRefresh, main_timer::kPortRefreshMs);
    Table().SetEnabled(res::kPortList, true);
    if (wasOpen) ClearLinkState();
}

void CTorvaneDlg::ChooseSerialPort(const std::string& devicePath) {
    const auto& items = Controls().Items(res::kPortList);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (ports_->DevicePathForEntry(items[i]) == devicePath) {
            Select(res::kPortList, static_cast<int>(i));
            return;
        }
    }
    SSerInfo port;
    port.devicePath = devicePath;
    const int index = static_cast<int>(items.size());
    Table().InsertItem(res::kPortList, index, ports_->Naming().EntryTextOf(port));
    Select(res::kPortList, index);
}

void CTorvaneDlg::OnComConnect() {
    if (serialOpen_) {
        CloseComPort();
        supervisor_.OperatorDisconnected();
        return;
    }
    lostLinkText_.clear();
    state_.Forget();
    supervisor_.OperatorConnecting();
    serialPath_ = ports_->DevicePathForEntry(Controls().Text(res::kPortList));
    // Before opening: whoever hears the link open asks for the stable name.
    reopenPath_ = StableSerialPath(serialPath_);
    if (Status opened = OpenSerialPort(serialPath_); !opened) {
        message_.ShowMessage("Open COM failed!");
        supervisor_.OpenFailed(lastLinkError_);
        return;
    }
    supervisor_.Connected();
    // The busy gate is not involved: the reply sets "Power On" on the General page.
    SendPowerStateQuery();
}

Status CTorvaneDlg::OpenSerialPort(const std::string& path) {
    if (Status opened = serial_->InitPort(this, path, serialSettings_); !opened) {
        lastLinkError_ = opened.error().message;
        serialOpen_ = false;
        return opened;
    }
    lastLinkError_.clear();
    Table().SetText(res::kComConnectButton, "Disconnect");
    serial_->StartMonitoring();
    serialOpen_ = true;
    timers_.KillTimer(main_timer::kPortRefresh);
    Table().SetEnabled(res::kPortList, false);
    LinkChanged();
    return {};
}

void CTorvaneDlg::OnSerialBytes(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) assembler_.Feed(bytes[i]);
}

// A port that fails while open is closed and the operator told at once; until
// a port is opened again, commands name the failure rather than a port the
// operator never tried to open. A pending command ends by its own time-out.
void CTorvaneDlg::OnSerialFailure() {
    if (!serialOpen_) return;
    CloseComPort();
    ReportLostLink(kSerialPortFailed);
    Activity();
}

void CTorvaneDlg::CloseTcpLink() {
    const bool wasConnected = tcpConnected_;
    StopReading();
    tcpConnected_ = false;
    tcp_->Close();
    Table().SetText(res::kTcpConnectButton, "Connect");
    if (wasConnected) ClearLinkState();
}

// While the link is reopened by itself, the status line tells the operator;
// a command tried meanwhile still names the failure.
void CTorvaneDlg::ReportLostLink(const char* text) {
    commands_.MarkLinkLost();
    for (auto& page : pages_) page->OnLinkLost();
    lostLinkText_ = text;
    if (supervisor_.Settings().reconnect)
        EndCommandsWithTheLink();
    else
        message_.ShowMessage(text);
    supervisor_.Lost(text);
}

// Commands are never sent again on a reopened link: whatever waited ends as
// lost, and the operator may start afresh.
void CTorvaneDlg::EndCommandsWithTheLink() {
    commands_.LinkLost();
    for (auto& page : pages_) page->EndCommandsWithTheLink();
    timers_.KillTimer(main_timer::kPageEntryTimeout);
    busy_.CloseBusy();
    busyGate_ = true;
}

// What the General page showed came from the link that is gone.
void CTorvaneDlg::ClearLinkState() {
    ClearConnectionLabels();
    Table().SetChecked(res::kPowerOnBox, false);
    Table().SetChecked(res::kEnableBeepBox, false);
    LinkChanged();
}

void CTorvaneDlg::LinkChanged() {
    if (onLinkChanged_) onLinkChanged_();
}

void CTorvaneDlg::OnTcpConnectButton() {
    if (tcpConnected_) {
        CloseTcpLink();
        supervisor_.OperatorDisconnected();
        return;
    }
    tcp_->Close();
    lostLinkText_.clear();
    state_.Forget();
    supervisor_.OperatorConnecting();
    switcherIp_ = Controls().Text(res::kSwitcherIpList);
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
void CTorvaneDlg::OnTcpConnect(const Status& outcome) {
    const bool reconnecting = supervisor_.State() == LinkState::kReconnecting;
    if (!outcome) {
        lastLinkError_ = outcome.error().message;
        if (!reconnecting) message_.ShowMessage(ConnectFailedText(lastLinkError_));
        supervisor_.OpenFailed(lastLinkError_);
        Activity();
        return;
    }
    tcpConnected_ = true;
    Table().SetText(res::kTcpConnectButton, "Disconnect");
    if (reconnecting) {
        lostLinkText_.clear();
        supervisor_.Connected();
        Activity();
        LinkChanged();
        return;
    }
    supervisor_.Connected();
    SendPowerStateQuery();
    Activity();
    LinkChanged();
}

void CTorvaneDlg::OnTcpRead(const std::uint8_t* bytes, long readResult) {
    tcpReassembly_.OnRead(bytes, readResult);
}

// The peer closing or resetting the connection ends the link at once: the
// button offers Connect again and the operator is told.
void CTorvaneDlg::OnTcpClose() {
    if (!tcpConnected_) {
        tcp_->Close();
        if (supervisor_.State() == LinkState::kReconnecting)
            supervisor_.OpenFailed(kConnectionLost);
        return;
    }
    CloseTcpLink();
    ReportLostLink(kConnectionLost);
    Activity();
}

}  // namespace torvane
