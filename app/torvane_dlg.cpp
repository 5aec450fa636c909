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
      message_(res::MessageDialogTemplate()),
      busy_(loop, res::BusyDialogTemplate()),
      timers_(loop, [this](int id) { OnTimer(id); }),
      entries_(
          timers_,
          [this](const CommandFrame& unit) {
              out_.Write(unit);
              SendCommandFrame();
          },
          [this](const CommandRecord&) { ReportTimeOut(); }),
      general_(Table(), timers_, message_, busy_, GeneralPageHooks()),
      supervisor_(loop, *this),
      reading_(loop, {[this] { return ReadingMayStart(); },
                      [this](const CommandFrame& query) { SendForReading(query); },
                      [this] { supervisor_.NotAnswering(); },
                      [this](bool whole) { OnReadingFinished(whole); }}),
      connection_(links, ports ? std::move(ports) : DefaultPortList(links), Table(), timers_,
                  message_, supervisor_, ConnectionHooks()),
      network_(links, Table(), receiveLog_, timers_, message_, busy_,
               {[this] {
                    connection_.CloseTcpLink();
                    supervisor_.OperatorDisconnected();
                },
                [this] { ReportTimeOut(); }}) {
    pages_[0] =
        std::make_unique<EmptyPage>(PageCode::kEdid, CEDIDDlg::kPlacement, CEDIDDlg::EntryOf());
    pages_[1] = std::make_unique<EmptyPage>(PageCode::kMatrix, CMatrixDlg::kPlacement,
                                            CMatrixDlg::EntryOf());
    pages_[2] =
        std::make_unique<EmptyPage>(PageCode::kUpgrade, CFWDlg::kPlacement, CFWDlg::EntryOf());
    dispatcher_.SetReplyHandler(PageCode::kGeneral,
                                [this](const std::uint8_t* f) { general_.OnReply(f); });
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
    connection_.Shutdown();
}

void CTorvaneDlg::SetPage(std::unique_ptr<Page> page) {
    page->ShowPortNames(inputNames_, outputNames_);
    page->PageWindow().SetInputHold(this);
    pages_[PageSlot(page->Code())] = std::move(page);
}

Page& CTorvaneDlg::PageFor(PageCode code) { return *pages_[PageSlot(code)]; }

void CTorvaneDlg::ShowPortNames(const PortNames& inputs, const PortNames& outputs) {
    inputNames_ = inputs;
    outputNames_ = outputs;
    general_.ShowPortNames(inputs, outputs);
    for (auto& page : pages_) page->ShowPortNames(inputs, outputs);
}

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
    general_.ClearLabels();
    connection_.Init();
}

void CTorvaneDlg::ChooseSerialPort(const std::string& devicePath) {
    Select(res::kPortList, connection_.PortEntry(devicePath));
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
        default:
            if (!connection_.OnCommand(id) && !network_.OnCommand(id)) general_.OnCommand(id);
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
        // the entry's time-out, so a silent switcher cannot keep the gate
        // closed.
        SendEntryQuery(GeneralPage::Entry().query);
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

void CTorvaneDlg::SendEntryQuery(const CommandFrame& query) {
    if (!PassBusyGate()) return;
    entries_.Start(kPageEntryTimeout, query, CommandWait{kPageEntryTimeoutMs, std::nullopt});
}

void CTorvaneDlg::ApplyPageLayout() {
    const PageCode active = ActivePage();
    const bool general = active == PageCode::kGeneral;
    general_.Show(general);
    for (auto& page : pages_)
        if (page->PageCreated()) page->PageWindow().ShowWindow(!general && page->Code() == active);
}

// --- busy gate and send path ---

bool CTorvaneDlg::PassBusyGate() {
    if (const std::string closed = connection_.ClosedLinkText(); !closed.empty()) {
        message_.ShowMessage(closed);
        return false;
    }
    if (!busyGate_) return false;
    busyGate_ = false;
    return true;
}

void CTorvaneDlg::SendFrame(std::uint8_t* buffer, std::size_t length) {
    dispatcher_.NoteUnitSent();
    CompleteUnit(buffer, length);
    connection_.Send(buffer, length);
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
        entries_.Drop(kPageEntryTimeout);
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

ConnectionControl::Hooks CTorvaneDlg::ConnectionHooks() {
    return {[this](const std::uint8_t* f, std::size_t n) { OnFrame(f, n); },
            [this] { general_.SendPowerStateQuery(); },
            [this] { ClearLinkState(); },
            [this] { LinkChanged(); },
            [this](const char* text) { ReportLostLink(text); },
            [this] { StopReading(); },
            [this] { state_.Forget(); },
            [this] { Activity(); }};
}

GeneralPage::Hooks CTorvaneDlg::GeneralPageHooks() {
    return {[this] { return PassBusyGate(); }, [this] { busyGate_ = true; },
            [this](const CommandFrame& unit) {
                out_.Write(unit);
                SendCommandFrame();
            },
            [this] { entries_.Drop(kPageEntryTimeout); }, [this] { ReportTimeOut(); }};
}

// The port list refreshes on timer 1 while no serial port is open; every
// other expiry may move a command on.
void CTorvaneDlg::OnTimer(int id) {
    if (id == kPortRefresh) {
        RefreshPortList();
        return;
    }
    Activity();
    if (entries_.OnTimer(id) || general_.OnTimer(id) || network_.OnTimer(id)) return;
    timers_.KillTimer(id);
}

void CTorvaneDlg::ReportTimeOut() {
    // The gate stays closed while "Time out!" shows, so page labels ignore clicks.
    message_.ShowMessage("Time out!", [this] { busyGate_ = true; });
}

void CTorvaneDlg::ClearLogs() {
    receiveLog_.Clear();
    sendLog_.Clear();
    busyGate_ = true;
}

}  // namespace torvane
