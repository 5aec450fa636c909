#pragma once
// The main window and the controller: the four page labels and page
// switching with each page's entry, the busy gate that admits one command at
// a time, the only path to the links (SendFrame) with the Send and Receive
// logs, and the routing of clicks, replies and timers to the General page,
// the connection control and the pages it composes.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/about_dlg.h"
#include "app/connection_control.h"
#include "app/connection_supervisor.h"
#include "app/general_page.h"
#include "app/network_control.h"
#include "app/state_reading.h"
#include "app/switcher_state.h"
#include "links/link_factory.h"
#include "links/port_list_refresher.h"
#include "pages/command_owner.h"
#include "pages/page.h"
#include "platform/window_timers.h"
#include "protocol/commands.h"
#include "protocol/dispatcher.h"
#include "protocol/frames.h"
#include "protocol/hex_log.h"
#include "ui/message_dlg.h"
#include "ui/status_dlg.h"
#include "ui/window.h"

namespace torvane {

class CTorvaneDlg : public Window, public PageHost, private SupervisedLink, private InputHold {
  public:
    // `ports` keeps the port list current; by default it lists the ports of
    // the link factory's port source.
    CTorvaneDlg(EventLoop& loop, LinkFactory& links, std::unique_ptr<PortListRefresher> ports);
    ~CTorvaneDlg() override;

    // Installs a page in place of the empty stand-in for its code.
    void SetPage(std::unique_ptr<Page> page);
    Page& PageFor(PageCode code);

    // Creates the window and runs its initialisation.
    void InitDialog();

    // --- state a front-end shows and tests read ---
    PageCode ActivePage() const { return dispatcher_.ActivePage(); }
    std::uint8_t LinkMode() const { return connection_.LinkMode(); }
    bool SerialOpen() const { return connection_.SerialOpen(); }
    bool TcpConnected() const { return connection_.TcpConnected(); }
    bool AwaitingReply() const { return dispatcher_.AwaitingReply(); }
    unsigned long UnitsSent() const { return dispatcher_.UnitsSent(); }
    const SendLog& SendLogView() const { return sendLog_; }
    const ReceiveLog& ReceiveLogView() const { return receiveLog_; }
    const WindowTimers& Timers() const { return timers_; }
    // A page's entry waits for its queries to end.
    bool PageEntryPending() const { return entries_.AnyWaiting(); }
    // The page entries' queries, and how they ended (an entry left
    // unanswered ends timed out).
    CommandOwner& EntryCommands() { return entries_; }
    // The General page's commands that wait for an answer, and how they ended.
    const CommandOwner& Commands() const { return general_.Commands(); }
    CommandOwner& Commands() { return general_.Commands(); }
    // What the switcher confirmed, from every reply accepted on any page.
    const SwitcherState& State() const { return state_; }
    SwitcherState& State() { return state_; }
    // Keeps the link alive; off until a front-end turns it on, so the window
    // behaves as it always has unless asked.
    const ConnectionSupervisor& Supervisor() const { return supervisor_; }
    void SetSupervision(const SupervisorSettings& settings) { supervisor_.SetSettings(settings); }
    int AddLinkListener(ConnectionSupervisor::Observer observer) {
        return supervisor_.AddObserver(std::move(observer));
    }
    void RemoveLinkListener(int id) { supervisor_.RemoveObserver(id); }
    // Reads the switcher's state now, as the supervisor does after a
    // reconnect (whole) or on its refresh.
    void ReadStateNow(bool whole) { reading_.Start(whole); }
    // The link the operator chose: the serial port's path, or address:port.
    std::string LinkName() const { return connection_.LinkName(); }
    // The program's own queries (keep-alive, state readings).
    const StateReading& Reading() const { return reading_; }
    CAboutDlg& About() { return about_; }
    const std::string& AboutItemText() const { return aboutItem_; }
    // The title the skin draws in the header band.
    const std::string& TitleText() const { return title_; }
    const std::string& SwitcherIp() const { return connection_.SwitcherIp(); }
    PortListRefresher& Ports() { return connection_.Ports(); }
    CConfigIPDlg& ConfigIp() { return network_.ConfigIp(); }
    const Discovery& SwitcherDiscovery() const { return network_.SwitcherDiscovery(); }
    ConfigurationState Configuration() const { return network_.Configuration(); }

    // --- what front-ends add that the operator cannot type ---
    // Puts an address in the Switcher IP list and selects it, as discovery
    // does when it finds a switcher.
    void AddSwitcherAddress(const std::string& ipv4) { network_.AddSwitcherAddress(ipv4); }
    // Chooses the serial port Connect opens, as the operator would in the
    // port list. A port the list does not show (a by-id link, a port the
    // enumeration cannot find) is added to it first, so the port typed is the
    // port opened.
    void ChooseSerialPort(const std::string& devicePath);
    // The control port to connect to (the switcher's is 8000; tests and the
    // simulator use others).
    void SetControlPort(std::uint16_t port) { connection_.SetControlPort(port); }
    // Where Search and Config... send and listen (the switcher's ports and
    // the limited broadcast unless set).
    void SetDiscoverySettings(const DiscoverySettings& settings) { network_.SetSettings(settings); }
    // Why the last attempt to open a link failed, in the system's words.
    const std::string& LastLinkError() const { return connection_.LastLinkError(); }
    // Sees every unit sent ('>') and every frame the Receive log shows ('<').
    using Trace = std::function<void(char direction, const std::uint8_t* bytes, std::size_t count)>;
    void SetTrace(Trace trace) { trace_ = std::move(trace); }
    // Runs whenever the window's state may have moved on without a control
    // changing: a unit sent, a frame received, a timer, the gate reopened,
    // a link event. The operation API waits on it.
    void SetOnActivity(std::function<void()> onActivity) { onActivity_ = std::move(onActivity); }
    // Runs when a link opens or closes: which switcher the window talks to
    // (for its names and presets) may have changed.
    void SetOnLinkChanged(std::function<void()> onLinkChanged) {
        onLinkChanged_ = std::move(onLinkChanged);
    }
    // The serial port the open COM link uses.
    const std::string& SerialPath() const { return connection_.SerialPath(); }
    // Its stable name: the /dev/serial/by-id link that leads to it where
    // there is one (an adapter keeps it under whatever tty name it comes
    // back), else the path itself. Known when the link opens.
    const std::string& SerialStableName() const { return connection_.SerialStableName(); }
    // The operator's names of the inputs and outputs ("" for none), shown
    // after each connection state on the General page and on the Matrix
    // page.
    using PortNames = Page::PortNames;
    void ShowPortNames(const PortNames& inputs, const PortNames& outputs);
    // Runs (after the current task) when Close asks the program to end.
    void SetOnQuit(std::function<void(int exitCode)> onQuit) { onQuit_ = std::move(onQuit); }

    // --- the controller's operations ---
    void SendFrame(std::uint8_t* buffer, std::size_t length);
    void OnSendRequest(SendRequest request);
    void SetTimer(int id, int periodMs) { timers_.SetTimer(id, periodMs); }
    void KillTimer(int id) { timers_.KillTimer(id); }
    void RefreshPortList() { connection_.RefreshPortList(); }

    // PageHost
    bool PassBusyGate() override;
    bool BusyGateOpen() const override { return busyGate_; }
    void ReopenBusyGate() override {
        busyGate_ = true;
        Activity();
    }
    void PostSendRequest(SendRequest request) override;
    OutgoingBuffers& Buffers() override { return out_; }
    CMessageDlg& Message() override { return message_; }
    CStatusDlg& Busy() override { return busy_; }
    EventLoop& Loop() override { return loop_; }
    bool ComControlMode() const override { return connection_.LinkMode() == kComControlMode; }

  protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnLeftButtonDown(Point point) override;
    void OnSystemCommand(int command) override;
    void OnSelectionChange(int id) override { network_.OnSelectionChange(id); }

  private:
    // Page switching and layout.
    void EnterPage(PageCode code);
    void ApplyPageLayout();
    void SendEntryQuery(const CommandFrame& query);

    // Send path.
    void SendCommandFrame();
    void OnFrame(const std::uint8_t* frame, std::size_t length);
    void ClearLogs();
    ConnectionControl::Hooks ConnectionHooks();

    // Main window timers.
    void OnTimer(int id);
    void ReportTimeOut();
    GeneralPage::Hooks GeneralPageHooks();
    void LinkChanged();

    // The link went down without the operator asking: say so now (unless it
    // is reopened by itself), and again when a command finds it closed.
    void ReportLostLink(const char* text);
    void EndCommandsWithTheLink();
    void ClearLinkState();

    // Supervision: the link reopened, read and kept alive by the supervisor.
    void Reopen() override;
    void CloseQuietly() override;
    void ReadState(bool whole) override;
    bool SendKeepAlive() override;
    bool ReadingMayStart() const;
    void SendForReading(const CommandFrame& query);
    void OnReadingAnswer(const std::uint8_t* frame, const CommandFrame& answered);
    void OnReadingFinished(bool whole);
    void StopReading();
    // What a reading found, shown where the operator sees it.
    void ShowFound(StateItem what, int index, const StateValue& value);
    void ShowKnownState();
    // InputHold: the operator's input waits while a reading's query does.
    bool Holding() const override { return reading_.InFlight(); }
    void Hold(std::function<void()> input) override { held_.push_back(std::move(input)); }
    void ReleaseHeldInput();

    void PostTask(std::function<void()> task);
    void Activity() {
        if (onActivity_) onActivity_();
    }

    EventLoop& loop_;
    OutgoingBuffers out_;
    SendLog sendLog_;
    ReceiveLog receiveLog_;
    FrameDispatcher dispatcher_{receiveLog_};
    CMessageDlg message_;
    CStatusDlg busy_;
    CAboutDlg about_;
    WindowTimers timers_;
    // A page's entry query, guarded by the page entry's time-out (timer
    // 1000); the page's own replies end it.
    CommandOwner entries_;
    GeneralPage general_;
    SwitcherState state_;
    // The last command unit sent: what an accepted reply answers.
    CommandFrame lastSent_{};
    ConnectionSupervisor supervisor_;
    StateReading reading_;
    std::vector<std::function<void()>> held_;
    // When the operator's (or a page's) traffic last went either way: a
    // reading waits for the link to be quiet a while.
    TimeMs lastForegroundAt_ = 0;
    bool sendingForReading_ = false;
    bool showingFound_ = false;
    ConnectionControl connection_;
    std::array<std::unique_ptr<Page>, 3> pages_;  // EDID, Matrix, Upgrade
    NetworkControl network_;

    bool busyGate_ = true;
    std::string aboutItem_;
    std::string title_ = std::string("Torvane ") + kProtocolVersion + std::string(15, ' ');
    std::function<void()> onActivity_;
    Trace trace_;
    std::function<void(int)> onQuit_;
    std::function<void()> onLinkChanged_;
    PortNames inputNames_;
    PortNames outputNames_;
    // Posted tasks check it, so none runs after the window is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace torvane
