#include "app/torvane_dlg.h"

#include <algorithm>

#include "app/main_timers.h"
#include "app/page_labels.h"
#include "links/listed_port_source.h"
#include "pages/edid_dlg.h"
#include "pages/fw_dlg.h"
#include "pages/matrix_dlg.h"
#include "res/dialog_templates.h"
#include "res/resource_ids.h"

namespace torvane {
namespace {

using namespace main_timer;

// The controls of the General page, shown on page 1 and hidden on the others.
// The logs, their Clear button and the controls without a role never change.
const int kGeneralControls[] = {
    res::kControlModeGroup,
    res::kComModeRadio,
    res::kTcpModeRadio,
    res::kComGroup,
    res::kPortLabel,
    res::kComConnectButton,
    res::kPortList,
    res::kDeviceInfoGroup,
    res::kStatusButton,
    res::kClearLabelsButton,
    res::kFirstInputLabel,
    res::kFirstInputLabel + 1,
    res::kFirstInputLabel + 2,
    res::kFirstInputLabel + 3,
    res::kFirstInputLabel + 4,
    res::kFirstInputLabel + 5,
    res::kFirstInputLabel + 6,
    res::kFirstInputLabel + 7,
    res::kFirstOutputLabel,
    res::kFirstOutputLabel + 1,
    res::kFirstOutputLabel + 2,
    res::kFirstOutputLabel + 3,
    res::kFirstOutputLabel + 4,
    res::kFirstOutputLabel + 5,
    res::kFirstOutputLabel + 6,
    res::kFirstOutputLabel + 7,
    res::kTcpGroup,
    res::kSwitcherIpLabel,
    res::kSwitcherIpList,
    res::kTcpConnectButton,
    res::kSearchButton,
    res::kConfigButton,
    res::kOffWindowFactoryResetGroup,
    res::kBeepGroup,
    res::kOffWindowFactoryResetButton,
    res::kEnableBeepBox,
    res::kFactoryResetGroup,
    res::kFactoryResetButton,
    res::kRebootGroup,
    res::kRebootButton,
    res::kPowerGroup,
    res::kPowerOnBox,
};

std::unique_ptr<PortListRefresher> DefaultPortList(LinkFactory& links) {
    std::unique_ptr<PortSource> source = links.MakePortSource();
    if (!source) source = std::make_unique<ListedPortSource>();
    return std::make_unique<PortListRefresher>(std::move(source));
}

std::size_t PageSlot(PageCode code) {
    switch (code) {
        case PageCode::kEdid:
            return 0;
        case PageCode::kMatrix:
            return 1;
        default:
            return 2;
    }
}

}  // namespace

CTorvaneDlg::CTorvaneDlg(EventLoop& loop, LinkFactory& links,
                         std::unique_ptr<PortListRefresher> ports)
    : Window(res::MainWindowTemplate(), KeyFilter::kEnterEscapeSpace),
      loop_(loop),
      assembler_([this](const std::uint8_t* f, std::size_t n) { OnFrame(f, n); }),
      tcpReassembly_([this](const std::uint8_t* f, std::size_t n) { OnFrame(f, n); }),
      message_(res::MessageDialogTemplate()),
      busy_(loop, res::BusyDialogTemplate()),
      timers_(loop, [this](int id) { OnTimer(id); }),
      commands_(
          timers_,
          [this](const CommandFrame& unit) {
              out_.Write(unit);
              SendCommandFrame();
          },
          [this](const CommandRecord&) {
              busy_.CloseBusy();
              ReportTimeOut();
          }),
      supervisor_(loop, *this),
      reading_(loop, {[this] { return ReadingMayStart(); },
                      [this](const CommandFrame& query) { SendForReading(query); },
                      [this] { supervisor_.NotAnswering(); },
                      [this](bool whole) { OnReadingFinished(whole); }}),
      serial_(links.MakeSerialPort()),
      tcp_(links.MakeTcpControlSocket()),
      ports_(ports ? std::move(ports) : DefaultPortList(links)),
      portList_(Table(), res::kPortList),
      discovery_(links, Table(), res::kSwitcherIpList, receiveLog_,
                 {[this] {
                      CloseTcpLink();
                      supervisor_.OperatorDisconnected();
                  },
                  [this] { timers_.SetTimer(kDiscoveryAnswered, 900); }}),
      configIp_(message_) {
    pages_[0] =
        std::make_unique<EmptyPage>(PageCode::kEdid, CEDIDDlg::kPlacement, CEDIDDlg::EntryOf());
    pages_[1] = std::make_unique<EmptyPage>(PageCode::kMatrix, CMatrixDlg::kPlacement,
                                            CMatrixDlg::EntryOf());
    pages_[2] =
        std::make_unique<EmptyPage>(PageCode::kUpgrade, CFWDlg::kPlacement, CFWDlg::EntryOf());
    dispatcher_.SetReplyHandler(PageCode::kGeneral,
                                [this](const std::uint8_t* f) { ParseGeneralReply(f); });
    for (PageCode code : {PageCode::kEdid, PageCode::kMatrix, PageCode::kUpgrade})
        dispatcher_.SetReplyHandler(
            code, [this, code](const std::uint8_t* f) { PageFor(code).OnReply(f); });
    sendLog_.SetOnChange([this](const std::string& text) { Table().SetText(res::kSendLog, text); });
    receiveLog_.SetOnChange(
        [this](const std::string& text) { Table().SetText(res::kReceiveLog, text); });
    state_.AddListener([this](const StateChange& change) {
        if (showingFound_) ShowFound(change.what, change.index, change.after);
    });
    supervisor_.SetSettings({false, 0, 0});
    SetInputHold(this);
}

CTorvaneDlg::~CTorvaneDlg() {
    *alive_ = false;
    timers_.KillAll();
    // Destroying the window ends the serial monitoring and closes the links.
    if (serial_) serial_->StopMonitoring();
    if (tcp_) tcp_->Close();
}

void CTorvaneDlg::SetPage(std::unique_ptr<Page> page) {
    page->ShowPortNames(inputNames_, outputNames_);
    page->PageWindow().SetInputHold(this);
    pages_[PageSlot(page->Code())] = std::move(page);
}

Page& CTorvaneDlg::PageFor(PageCode code) { return *pages_[PageSlot(code)]; }

void CTorvaneDlg::PostTask(std::function<void()> task) {
    loop_.Post([alive = alive_, task = std::move(task)] {
        if (*alive) task();
    });
}

void CTorvaneDlg::InitDialog() { Create(); }

void CTorvaneDlg::OnInitDialog() {
    aboutItem_ = CAboutDlg::ItemText();
    Table().SetTooltip(res::kCloseButton, "Close");
    Table().SetTooltip(res::kMinimizeButton, "Minimize");
    Table().CheckRadioInGroup(res::kComModeRadio);
    linkMode_ = kComControlMode;
    ApplyLinkMode();
    ClearConnectionLabels();
    RefreshPortList();
    timers_.SetTimer(kPortRefresh, kPortRefreshMs);
}

// A failed listing leaves the list as it was; the next tick tries again.
void CTorvaneDlg::RefreshPortList() { static_cast<void>(ports_->RefreshPortList(portList_)); }

void CTorvaneDlg::AddSwitcherAddress(const std::string& ipv4) {
    const auto& items = Controls().Items(res::kSwitcherIpList);
    auto it = std::find(items.begin(), items.end(), ipv4);
    int index = static_cast<int>(it - items.begin());
    if (it == items.end()) Table().InsertItem(res::kSwitcherIpList, index, ipv4);
    Table().SetSelection(res::kSwitcherIpList, index);
}

void CTorvaneDlg::OnCommand(int id) {
    switch (id) {
        case res::kCloseButton:
            PostTask([this] {
                if (onQuit_) onQuit_(0);
            });
            break;
        case res::kMinimizeButton:
            PostTask([this] { Request(WindowRequest::kMinimize); });
            break;
        case res::kClearLogsButton:
            ClearLogs();
            break;
        case res::kComModeRadio:
            linkMode_ = kComControlMode;
            ApplyLinkMode();
            break;
        case res::kTcpModeRadio:
            linkMode_ = kTcpControlMode;
            ApplyLinkMode();
            break;
        case res::kComConnectButton:
            OnComConnect();
            break;
        case res::kTcpConnectButton:
            OnTcpConnectButton();
            break;
        case res::kSearchButton:
            // A socket that cannot be used leaves the list empty; torvanectl
            // reports the reason from SocketOutcome.
            static_cast<void>(discovery_.Search());
            break;
        case res::kConfigButton:
            OnConfig();
            break;
        case res::kStatusButton:
            OnStatus();
            break;
        case res::kClearLabelsButton:
            ClearConnectionLabels();
            break;
        case res::kFactoryResetButton:
            OnFactoryReset();
            break;
        case res::kRebootButton:
            StartTimedCommand(Reboot(), kReboot, "Rebooting");
            break;
        case res::kPowerOnBox:
            OnPowerBox();
            break;
        case res::kEnableBeepBox:
            OnBeepBox();
            break;
        // The off-window Factory Reset button would send a routing frame under
        // a "Factory Reset" caption; it has no action.
        case res::kOffWindowFactoryResetButton:
            break;
        default:
            break;
    }
}

void CTorvaneDlg::OnSystemCommand(int command) {
    if (command == res::kAboutCommand) about_.Open();
}

// --- page switching ---

void CTorvaneDlg::OnLeftButtonDown(Point point) {
    const PageLabel* hit = nullptr;
    for (const auto& label : kPageLabels) {
        if (Controls().At(label.id).rect.Contains(point)) {
            hit = &label;
            break;
        }
    }
    if (!hit) {
        Request(WindowRequest::kStartMove);
        return;
    }
    if (!busyGate_) return;
    dispatcher_.SetPageCode(hit->code);
    Request(WindowRequest::kRepaint);
    EnterPage(hit->code);
}

void CTorvaneDlg::EnterPage(PageCode code) {
    if (code == PageCode::kGeneral) {
        ApplyPageLayout();
        // Like the EDID and Matrix entries, the General entry is guarded by
        // timer 1000, so a silent switcher cannot keep the gate closed.
        SendEntryQuery(PowerStateQuery());
        return;
    }
    Page& page = PageFor(code);
    if (!page.PageCreated()) page.CreatePage();
    ApplyPageLayout();
    page.PageWindow().MoveWindow(page.Placement());
    const PageEntry entry = page.Entry();
    if (entry.guarded) {
        SendEntryQuery(entry.query);
        return;
    }
    if (!PassBusyGate()) return;
    busyGate_ = true;
    out_.Write(entry.query);
    SendCommandFrame();
}

Point CTorvaneDlg::PageOrigin(PageCode code) {
    switch (code) {
        case PageCode::kEdid:
            return CEDIDDlg::kPlacement;
        case PageCode::kMatrix:
            return CMatrixDlg::kPlacement;
        default:
            return CFWDlg::kPlacement;
    }
}

void CTorvaneDlg::SendEntryQuery(const CommandFrame& query) {
    if (!PassBusyGate()) return;
    out_.Write(query);
    SendCommandFrame();
    timers_.SetTimer(kPageEntryTimeout, kPageEntryTimeoutMs);
}

bool CTorvaneDlg::PageEntryPending() const { return timers_.IsRunning(kPageEntryTimeout); }

void CTorvaneDlg::ApplyPageLayout() {
    const PageCode active = ActivePage();
    const bool general = active == PageCode::kGeneral;
    for (int id : kGeneralControls) Table().SetVisible(id, general);
    for (auto& page : pages_)
        if (page->PageCreated()) page->PageWindow().ShowWindow(!general && page->Code() == active);
}

// --- busy gate and send path ---

bool CTorvaneDlg::PassBusyGate() {
    const bool linkOpen = linkMode_ == kComControlMode ? serialOpen_ : tcpConnected_;
    if (!linkOpen && !lostLinkText_.empty()) {
        message_.ShowMessage(lostLinkText_);
        return false;
    }
    if (linkMode_ == kComControlMode && !serialOpen_) {
        message_.ShowMessage("Open COM failed!");
        return false;
    }
    if (linkMode_ != kComControlMode && !tcpConnected_) {
        message_.ShowMessage("Connect to Matrix failed!");
        return false;
    }
    if (!busyGate_) return false;
    busyGate_ = false;
    return true;
}

void CTorvaneDlg::SendFrame(std::uint8_t* buffer, std::size_t length) {
    dispatcher_.NoteUnitSent();
    CompleteUnit(buffer, length);
    // The radio, not the link mode, picks the link; nothing checks here that
    // it is open: a unit on a closed link is left to the command's time-out.
    if (Controls().Checked(res::kComModeRadio))
        serial_->WriteToPort(buffer, length);
    else
        tcp_->Send(buffer, length);
    if (length == kCommandFrameSize) std::copy_n(buffer, length, lastSent_.begin());
    if (!sendingForReading_) lastForegroundAt_ = loop_.Now();
    sendLog_.Echo(buffer, length);
    if (trace_) trace_('>', buffer, length);
    Activity();
}

void CTorvaneDlg::SendCommandFrame() { SendFrame(out_.Command().data(), kCommandFrameSize); }

void CTorvaneDlg::PostSendRequest(SendRequest request) {
    PostTask([this, request] { OnSendRequest(request); });
}

void CTorvaneDlg::OnSendRequest(SendRequest request) {
    if (request == SendRequest::kStopEntryTimeout) {
        timers_.KillTimer(kPageEntryTimeout);
        return;
    }
    if (auto unit = out_.UnitFor(request)) SendFrame(unit->data(), unit->size());
}

void CTorvaneDlg::OnFrame(const std::uint8_t* frame, std::size_t length) {
    // The Receive log shows only the frame the dispatch accepts.
    if (trace_ && dispatcher_.AwaitingReply()) trace_('<', frame, length);
    // The reply handler may send the next unit before the state hears of this one.
    const CommandFrame answered = lastSent_;
    if (reading_.InFlight()) {
        // The answer to the program's own query goes to the reading, not to a page.
        if (dispatcher_.DispatchFrame(frame, length, [this, &answered](const std::uint8_t* f) {
                OnReadingAnswer(f, answered);
            }))
            supervisor_.Answered();
        Activity();
        return;
    }
    if (dispatcher_.DispatchFrame(frame, length)) {
        lastForegroundAt_ = loop_.Now();
        supervisor_.Answered();
        state_.OnReply(ReplyView(frame), ReplyView(answered.data()));
    }
    Activity();
}

void CTorvaneDlg::ClearLogs() {
    receiveLog_.Clear();
    sendLog_.Clear();
    busyGate_ = true;
}

}  // namespace torvane
