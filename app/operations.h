#pragma once
// The operator's tasks as calls, for every front-end that is not a window:
// torvanectl, and later a service and its bridges. Each call drives the same
// window models the operator would (the page entry the window runs, then the
// clicks), closes the messages the window shows, and completes once with a
// typed result: how it ended, as the command owners recorded it, the message
// the operator would have read, and the state the switcher confirmed.
//
// Calls run one at a time, in the order they were made; a call made while
// another runs waits for it. Completion callbacks run on the loop's thread.
// Nothing blocks: a front-end runs its loop until its callback has run.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/torvane_app.h"
#include "links/serial_port.h"
#include "pages/command_owner.h"
#include "pages/edid_file.h"
#include "platform/event_loop.h"
#include "platform/result.h"
#include "ui/window.h"

namespace torvane {

// The EDID file name that stands for standard input.
inline constexpr const char* kStandardInputName = "-";

// How a call ended: the state the switcher confirmed, or an error whose kind
// says how it failed (the switcher refused, did not answer, the link went
// away or could not be opened, a file the window would not take) and whose
// message is what the operator would have read.
template <class T>
struct Completed {
    Result<T> result;
    // Messages the window showed that did not end the call (a switcher that
    // is off when the link opens, say).
    std::vector<std::string> notes;
};

// --- what the calls confirm ---

struct LinkChoice {
    bool serial = true;
    std::string serialPath;  // the device path typed
    std::string ipv4;        // dotted, already resolved
    std::uint16_t port = 8000;
};

struct SwitcherStatus {
    bool power = false;
    std::optional<bool> beep;  // read only from a switcher that is on
    std::array<bool, 8> inputConnected{};
    std::array<bool, 8> outputConnected{};
};

// A check box the switcher confirms (power, beep).
struct SwitchState {
    bool on = false;
    bool already = false;  // it was in that state before: nothing was sent
};

struct MatrixState {
    std::array<std::optional<int>, 8> input;  // per output, 1 to 8
    std::array<std::optional<bool>, 8> arc;   // per output
};

// What the switcher acknowledged for an ARC command.
struct ArcAcknowledgement {
    int output = 0;  // 1 to 8, or any other value the switcher named
    bool on = false;
};

struct EdidInputs {
    // Per input: the code the switcher reported (-1 until it answered) and
    // the page's text for it.
    std::array<int, 8> codes{};
    std::array<std::string, 8> texts;
    std::array<std::string, 8> names;  // the list's captions
};

struct DeviceIdentity {
    std::string device;  // the device line: type, size, firmware version
    std::string text;    // the 32-character device text
};

// The switchers a discovery found, in the Switcher IP list's order.
using FoundSwitchers = std::vector<NetworkFields>;

// A network configuration for the switcher discovery finds under `mac`.
struct NetworkSettings {
    std::string mac;  // twelve upper-case hex digits
    bool automatic = false;
    // For static addressing, dotted; typed into the dialog as they are, so
    // the dialog names each one it refuses.
    std::string ip, netmask, gateway;
    std::string newMac;  // "" keeps the MAC
};

struct UpgradeProgress {
    std::vector<std::string> newLines;  // log lines added since the last report
    bool sending = false;
    int blocksSent = 0;
    int blocks = 0;
    int confirmed = 0;  // bytes the switcher has taken, as the page's bar shows them
    int range = 0;      // the bar's range: the image's length, 0 while the switcher restarts
};

class Operations : private WindowObserver {
  public:
    template <class T>
    using Done = std::function<void(const Completed<T>&)>;

    // `app` has run InitInstance.
    Operations(CTorvaneApp& app, EventLoop& loop);
    ~Operations() override;

    // Opens the link and waits for the queries that follow (power state, then
    // beep state), each answer its own time.
    void Connect(const LinkChoice& link, Done<void> done);
    void Status(Done<SwitcherStatus> done);
    void Power(bool on, Done<SwitchState> done);
    void Beep(bool on, Done<SwitchState> done);
    void Reboot(Done<void> done);
    // Confirms the window's question itself.
    void FactoryReset(Done<void> done);

    // The Matrix page, entered first when it is not showing.
    void ReadMatrix(Done<MatrixState> done);
    // The Matrix page entered even when it shows, so the switcher is asked
    // for every routing and ARC state again rather than the page's last
    // answers taken as they stand.
    void ReadMatrixAgain(Done<MatrixState> done);
    void Route(int input, int output, Done<void> done);
    // Refused with the acknowledgement when the switcher acknowledged
    // another output or state.
    void Arc(int output, bool on, Done<ArcAcknowledgement> done);

    // The EDID page, entered first when it is not showing. `inputIndex` is
    // the input list's position: 0 to 7, or 8 for all inputs.
    void ReadEdid(Done<EdidInputs> done);
    void SetEdidPreset(int presetIndex, int inputIndex, Done<EdidInputs> done);
    void CopyEdid(int outputIndex, int inputIndex, Done<EdidInputs> done);
    // A file through the page's "..." button; `name` "-" hands the page
    // `file`, read already, as standard input.
    void WriteEdidFile(const std::string& name, const Result<EdidFile>& file, int inputIndex,
                       Done<EdidInputs> done);

    // The Upgrade page, entered first when it is not showing (the entry
    // reads the identity).
    void ReadIdentity(Done<DeviceIdentity> done);
    void SetDeviceText(const std::string& text, Done<DeviceIdentity> done);
    // `progress` sees the transfer as it goes; the value is the identity the
    // switcher tells after its restart.
    void Upgrade(const std::string& path, std::function<void(const UpgradeProgress&)> progress,
                 Done<DeviceIdentity> done);

    // Discovery, as Search does it: in TCP control mode (an open TCP link
    // closes), every switcher that answers within `listenMs` is listed.
    void Discover(int listenMs, Done<FoundSwitchers> done);
    // Discovers, then sends `settings` to the switcher found under its MAC
    // through the configuration dialog, and waits for the switcher to
    // answer from its new settings; the value lists the switchers then.
    void ConfigureNetwork(const NetworkSettings& settings, int listenMs, Done<FoundSwitchers> done);

    // The serial ports the window lists.
    Result<std::vector<SSerInfo>> Ports();

    bool Busy() const { return current_ != nullptr || !queue_.empty(); }

    // What the switcher has confirmed, as every reply the window accepted
    // left it: each value unknown until the switcher has said it over the
    // link now open (or the last one, once it is closed).
    const SwitcherState& Confirmed() const { return dlg_.State(); }
    // A serial port or a TCP connection is open, whoever opened it.
    bool AnyLinkOpen() const { return dlg_.SerialOpen() || dlg_.TcpConnected(); }

    // Messages the window showed (and this closed) since the last call of
    // this, for front-end code that still clicks the window itself.
    std::vector<std::string> TakeMessages();

  private:
    struct Running;
    using Holds = std::function<bool()>;
    using Then = std::function<void()>;
    using Fail = std::function<void(const Error&)>;

    void Enqueue(std::function<void()> start);
    // One phase of the current call: `holds` is asked after everything that
    // happens; once it holds (and still holds after what was already
    // posted has run), `then` runs. `fail` ends the call early: the link
    // lost, or `limitMs` passed (since the phase began, or since the last
    // unit sent when `limitPerUnit`).
    void Begin(Holds holds, Then then, Fail fail, int limitMs, bool limitPerUnit);
    // A phase that lets the loop run `ms` (answers arrive meanwhile), then `then`.
    void Listen(int ms, Then then, Fail fail);
    // The call is over; the next one starts after the caller's callback.
    void EndCall();
    template <class T>
    Fail FailWith(Done<T> done);
    template <class T>
    void Succeed(const Done<T>& done, T value);
    void Succeed(const Done<void>& done);
    void ScheduleCheck();
    void Check();
    void Confirm();
    void ArmLimit();
    void StopTimers();

    bool LinkOpen() const;
    Error LinkLostError() const;
    bool Settled() const;
    bool Quiet() const;
    // The error of a call that ended in a message: its kind as the command
    // owners recorded the commands that ended meanwhile.
    Error MessageFailure() const;
    void StartFresh();

    // Clicks and waits until the window is quiet again; the first message
    // shown meanwhile ends the call.
    void ClickAndWait(Window& window, int id, int limitMs, Then quiet, Fail fail);
    // Enters `code`'s page (Matrix or EDID) unless it shows (or `again`),
    // and waits for its entry queries to end.
    void EnterPage(PageCode code, Then entered, Fail fail, bool again = false);
    void ReadMatrixPage(bool again, Done<MatrixState> done);
    void PressLabel(int labelId);
    // Waits until the main window and `page`'s commands are quiet.
    void WaitForPage(const CommandOwner& page, int limitMs, Then quiet, Fail fail);
    // Clicks `id` on the Matrix page (entered first) and waits until the page
    // is quiet; `ended` gets the command the click started, as it ended, and
    // the error that ended the wait, if one did.
    using Ended = std::function<void(const std::optional<CommandRecord>&, const Error*)>;
    void ClickOnMatrixPage(int id, Ended ended, Fail fail);
    void SetCheckBox(int box, bool wanted, int limitMs, Done<SwitchState> done);
    void EdidSet(int button, Done<EdidInputs> done);
    struct EdidChoice;
    void SetEdidFromLists(const EdidChoice& choice, Done<EdidInputs> done);
    // Enters the Upgrade page (whose entry reads the identity) unless it
    // shows; `tolerant` goes on to `entered` after a silent switcher too.
    void EnterUpgradePage(bool tolerant, Then entered, Fail fail);
    void StartUpgrade(const std::string& path, std::function<void(const UpgradeProgress&)> progress,
                      Done<DeviceIdentity> done);
    UpgradeProgress ProgressNow();
    // Search: false, with the socket's failure given to `fail`, when nothing could answer.
    bool StartSearch(const Fail& fail);
    void SendConfiguration(const NetworkSettings& settings, Done<FoundSwitchers> done);
    void TypeConfiguration(const NetworkSettings& settings);

    SwitcherStatus StatusNow() const;
    MatrixState MatrixNow() const;
    EdidInputs EdidNow() const;
    DeviceIdentity IdentityNow() const;

    // WindowObserver
    void OnControlChanged(Window&, int, ControlChange) override { ScheduleCheck(); }
    void OnOpened(Window& window) override;
    void OnClosed(Window&) override { ScheduleCheck(); }

    CTorvaneApp& app_;
    EventLoop& loop_;
    CTorvaneDlg& dlg_;
    std::deque<std::function<void()>> queue_;
    std::unique_ptr<Running> current_;
    bool checkPosted_ = false;
    bool serialLink_ = true;
    bool linkOpened_ = false;
    std::string expectedQuestion_;
    std::vector<std::string> messages_;
    std::vector<CommandRecord> ended_;  // commands that ended during the call
    std::size_t logPrinted_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

template <class T>
Operations::Fail Operations::FailWith(Done<T> done) {
    return [this, done](const Error& error) {
        Completed<T> completed{error, TakeMessages()};
        EndCall();
        done(completed);
    };
}

template <class T>
void Operations::Succeed(const Done<T>& done, T value) {
    Completed<T> completed{std::move(value), TakeMessages()};
    EndCall();
    done(completed);
}

}  // namespace torvane
