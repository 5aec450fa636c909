#include "app/operations.h"

#include <algorithm>
#include <utility>

#include "app/link_messages.h"
#include "app/main_timers.h"
#include "res/edid_page_ids.h"
#include "res/resource_ids.h"
#include "res/upgrade_page_ids.h"
#include "ui/text_codec.h"

namespace torvane {
namespace {

// Each answer of a chain without time-outs of its own (the queries that
// follow a new link, the identity, the device text) gets a command's time.
constexpr int kAnswerMs = main_timer::kCommandTimeoutMs;
constexpr int kConnectMs = 5000;
// The window's own timers end every path of these; the limits are safety nets.
constexpr int kTimedCommandMs = 60000;
constexpr int kPageMs = 150000;
constexpr int kEdidMs = 60000;
constexpr int kUpgradeMs = 15 * 60 * 1000;
// Power off and beep have no time-out of their own: the switcher answers
// within a command's time or not at all.
constexpr int kUntimedCommandMs = main_timer::kCommandTimeoutMs;
// A backstop for changes no window reports (a flag cleared without a window).
constexpr int kTickMs = 100;
constexpr std::size_t kHalfLength = 16;

const char* const kTimeOut = "Time out!";

std::string ArcAcknowledgementText(const ArcAcknowledgement& ack) {
    const std::string named = ack.output >= 1 && ack.output <= 8
                                  ? std::string("output ") + char('A' + ack.output - 1)
                                  : "no output";
    return std::string("the switcher acknowledged ARC ") + (ack.on ? "on" : "off") + " for " +
           named;
}

Error TimedOut() { return {Error::Kind::kTimedOut, kTimeOut}; }

}  // namespace

struct Operations::Running {
    Holds holds;
    Then then;
    Fail fail;
    int limitMs = 0;
    bool limitPerUnit = false;
    unsigned long units = 0;
    EventLoop::TimerId limit = 0;
    EventLoop::TimerId tick = 0;
    // `holds` held at the last check: it is asked once more before `then`.
    bool confirming = false;
};

namespace {

std::vector<Window*> Watched(CTorvaneApp& app, CTorvaneDlg& dlg) {
    return {&dlg,
            &dlg.Message(),
            &dlg.Busy(),
            &app.MatrixPage().PageWindow(),
            &app.EdidPage().PageWindow(),
            &app.UpgradePage().PageWindow()};
}

}  // namespace

Operations::Operations(CTorvaneApp& app, EventLoop& loop)
    : app_(app), loop_(loop), dlg_(*app.MainWindow()) {
    for (Window* w : Watched(app_, dlg_)) w->AddObserver(this);
    auto noteEnd = [this, alive = std::weak_ptr<bool>(alive_)](const CommandRecord& command) {
        if (alive.expired()) return;
        if (current_) ended_.push_back(command);
        ScheduleCheck();
    };
    dlg_.Commands().AddObserver(noteEnd);
    app_.MatrixPage().Commands().AddObserver(noteEnd);
    app_.EdidPage().Commands().AddObserver(noteEnd);
    app_.UpgradePage().Commands().AddObserver(noteEnd);
    dlg_.SetOnActivity([this, alive = std::weak_ptr<bool>(alive_)] {
        if (!alive.expired()) ScheduleCheck();
    });
}

Operations::~Operations() {
    *alive_ = false;
    StopTimers();
    dlg_.SetOnActivity(nullptr);
    for (Window* w : Watched(app_, dlg_)) w->RemoveObserver(this);
}

// --- one call at a time ---

void Operations::Enqueue(std::function<void()> start) {
    queue_.push_back(std::move(start));
    if (current_ || queue_.size() != 1) return;
    auto next = std::move(queue_.front());
    queue_.pop_front();
    next();
}

void Operations::Begin(Holds holds, Then then, Fail fail, int limitMs, bool limitPerUnit) {
    StopTimers();
    current_ = std::make_unique<Running>();
    current_->holds = std::move(holds);
    current_->then = std::move(then);
    current_->fail = std::move(fail);
    current_->limitMs = limitMs;
    current_->limitPerUnit = limitPerUnit;
    current_->units = dlg_.UnitsSent();
    ArmLimit();
    current_->tick = loop_.StartTimer(kTickMs, [this, alive = std::weak_ptr<bool>(alive_)] {
        if (!alive.expired()) ScheduleCheck();
    });
    ScheduleCheck();
}

void Operations::StopTimers() {
    if (!current_) return;
    loop_.CancelTimer(current_->limit);
    loop_.CancelTimer(current_->tick);
}

void Operations::ArmLimit() {
    loop_.CancelTimer(current_->limit);
    current_->limit =
        loop_.StartTimer(current_->limitMs, [this, alive = std::weak_ptr<bool>(alive_)] {
            if (alive.expired() || !current_) return;
            const Fail fail = current_->fail;
            fail(TimedOut());
        });
}

void Operations::EndCall() {
    StopTimers();
    current_.reset();
    ended_.clear();
    expectedQuestion_.clear();
    if (queue_.empty()) return;
    loop_.Post([this, alive = std::weak_ptr<bool>(alive_)] {
        if (alive.expired() || current_ || queue_.empty()) return;
        auto next = std::move(queue_.front());
        queue_.pop_front();
        next();
    });
}

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

void Operations::Succeed(const Done<void>& done) {
    Completed<void> completed{torvane::Status(), TakeMessages()};
    EndCall();
    done(completed);
}

void Operations::ScheduleCheck() {
    if (checkPosted_ || !current_) return;
    checkPosted_ = true;
    loop_.Post([this, alive = std::weak_ptr<bool>(alive_)] {
        if (alive.expired()) return;
        checkPosted_ = false;
        Check();
    });
}

void Operations::Check() {
    if (!current_) return;
    if (linkOpened_ && !LinkOpen()) {
        const Fail fail = current_->fail;
        fail(LinkLostError());
        return;
    }
    if (current_->limitPerUnit && dlg_.UnitsSent() != current_->units) {
        // Each unit sent starts its own answer time.
        current_->units = dlg_.UnitsSent();
        ArmLimit();
    }
    if (!current_->holds()) {
        current_->confirming = false;
        return;
    }
    if (current_->confirming) return;
    // The next query of a chain is sent from a posted task: what is posted
    // already runs first, then the phase is asked once more.
    current_->confirming = true;
    loop_.Post([this, alive = std::weak_ptr<bool>(alive_)] {
        if (!alive.expired()) Confirm();
    });
}

void Operations::Confirm() {
    if (!current_ || !current_->confirming) return;
    current_->confirming = false;
    if ((linkOpened_ && !LinkOpen()) || !current_->holds()) return Check();
    Running* phase = current_.get();
    const Then then = std::move(phase->then);
    phase->holds = [] { return false; };
    then();
}

// --- the window's state ---

bool Operations::LinkOpen() const { return serialLink_ ? dlg_.SerialOpen() : dlg_.TcpConnected(); }

Error Operations::LinkLostError() const {
    return {Error::Kind::kLinkLost, serialLink_ ? kSerialPortFailed : kConnectionLost};
}

bool Operations::Settled() const {
    return dlg_.BusyGateOpen() && !dlg_.Busy().Flagged() && !dlg_.Message().Showing();
}

bool Operations::Quiet() const { return Settled() && !dlg_.AwaitingReply(); }

Error Operations::MessageFailure() const {
    Error::Kind kind = Error::Kind::kRefused;
    for (const auto& command : ended_)
        if (command.outcome == CommandOutcome::kTimedOut) kind = Error::Kind::kTimedOut;
    return {kind, messages_.empty() ? kTimeOut : messages_.front()};
}

std::vector<std::string> Operations::TakeMessages() {
    std::vector<std::string> taken;
    taken.swap(messages_);
    return taken;
}

void Operations::StartFresh() {
    TakeMessages();
    ended_.clear();
}

void Operations::OnOpened(Window& window) {
    ScheduleCheck();
    if (&window != &dlg_.Message()) return;
    const std::string text = dlg_.Message().MessageText();
    const bool asked = !expectedQuestion_.empty() && text == expectedQuestion_;
    if (!asked) messages_.push_back(text);
    // A message closes either way; a question not asked for is answered no.
    loop_.Post([this, asked, alive = std::weak_ptr<bool>(alive_)] {
        if (alive.expired()) return;
        if (dlg_.Message().Showing())
            dlg_.Message().Click(asked ? CMessageDlg::kOkButton : CMessageDlg::kCloseButton);
    });
}

// --- the link ---

void Operations::Connect(const LinkChoice& link, Done<void> done) {
    Enqueue([this, link, done] {
        serialLink_ = link.serial;
        linkOpened_ = false;
        StartFresh();
        const Fail fail = FailWith(done);
        // The power state query goes out on connecting, and the beep state
        // query after a power-on answer.
        const Then answered = [this, done, fail] {
            linkOpened_ = true;
            Begin([this] { return Quiet(); }, [this, done] { Succeed(done); }, fail, kAnswerMs,
                  true);
        };
        if (link.serial) {
            dlg_.ChooseSerialPort(link.serialPath);
            dlg_.Click(res::kComConnectButton);
            if (dlg_.SerialOpen()) return answered();
            std::string error = "Open COM failed!";
            if (!dlg_.LastLinkError().empty()) error += " (" + dlg_.LastLinkError() + ")";
            // Its message is the failure itself.
            TakeMessages();
            return fail({Error::Kind::kSystem, error});
        }
        dlg_.AddSwitcherAddress(link.ipv4);
        dlg_.SetControlPort(link.port);
        dlg_.Click(res::kTcpModeRadio);
        dlg_.Click(res::kTcpConnectButton);
        const Fail refused = [this, fail](const Error&) {
            const std::string reason =
                dlg_.LastLinkError().empty() ? "no answer" : dlg_.LastLinkError();
            TakeMessages();
            fail({Error::Kind::kSystem, ConnectFailedText(reason)});
        };
        Begin([this] { return dlg_.TcpConnected() || !dlg_.LastLinkError().empty(); },
              [this, answered, refused] {
                  if (dlg_.TcpConnected()) return answered();
                  refused({});
              },
              refused, kConnectMs, false);
    });
}

// --- the General page ---

void Operations::ClickAndWait(Window& window, int id, int limitMs, Then quiet, Fail fail) {
    StartFresh();
    window.Click(id);
    // A command that ended in a message ("Time out!") leaves the reply it
    // waited for outstanding: settled is enough then.
    Begin([this] { return Quiet() || (Settled() && !messages_.empty()); },
          [this, quiet, fail] {
              if (!messages_.empty()) return fail(MessageFailure());
              quiet();
          },
          fail, limitMs, false);
}

SwitcherStatus Operations::StatusNow() const {
    SwitcherStatus status;
    const auto& ui = dlg_.Controls();
    status.power = ui.Checked(res::kPowerOnBox);
    if (status.power) status.beep = ui.Checked(res::kEnableBeepBox);
    for (int n = 1; n <= 8; ++n) {
        status.inputConnected[n - 1] = dlg_.Connected(true, n).value_or(false);
        status.outputConnected[n - 1] = dlg_.Connected(false, n).value_or(false);
    }
    return status;
}

void Operations::Status(Done<SwitcherStatus> done) {
    Enqueue([this, done] {
        ClickAndWait(
            dlg_, res::kStatusButton, kTimedCommandMs, [this, done] { Succeed(done, StatusNow()); },
            FailWith(done));
    });
}

// "Power On" and "Enable Beep": a click on the box asks for the other state,
// so a box already in the wanted state is left alone, as the operator would.
void Operations::SetCheckBox(int box, bool wanted, int limitMs, Done<SwitchState> done) {
    if (dlg_.Controls().Checked(box) == wanted) return Succeed(done, SwitchState{wanted, true});
    const Fail fail = FailWith(done);
    ClickAndWait(
        dlg_, box, limitMs,
        [this, box, wanted, done, fail] {
            if (dlg_.Controls().Checked(box) != wanted) return fail(TimedOut());
            Succeed(done, SwitchState{wanted, false});
        },
        fail);
}

void Operations::Power(bool on, Done<SwitchState> done) {
    Enqueue([this, on, done] {
        StartFresh();
        if (!on) expectedQuestion_ = "Are you sure you want to power off?";
        SetCheckBox(res::kPowerOnBox, on, on ? kTimedCommandMs : kUntimedCommandMs, done);
    });
}

void Operations::Beep(bool on, Done<SwitchState> done) {
    Enqueue([this, on, done] {
        StartFresh();
        // Without power the beep state was never read: the box shows nothing
        // the switcher said, so neither "already" nor a click would be honest.
        if (!dlg_.Controls().Checked(res::kPowerOnBox))
            return FailWith(done)({Error::Kind::kRefused, "Power off!"});
        SetCheckBox(res::kEnableBeepBox, on, kUntimedCommandMs, done);
    });
}

void Operations::Reboot(Done<void> done) {
    Enqueue([this, done] {
        ClickAndWait(
            dlg_, res::kRebootButton, kTimedCommandMs, [this, done] { Succeed(done); },
            FailWith(done));
    });
}

void Operations::FactoryReset(Done<void> done) {
    Enqueue([this, done] {
        StartFresh();
        expectedQuestion_ = "Do you want to reset to factory settings?";
        ClickAndWait(
            dlg_, res::kFactoryResetButton, kTimedCommandMs, [this, done] { Succeed(done); },
            FailWith(done));
    });
}

// --- pages ---

void Operations::PressLabel(int labelId) {
    const Rect r = dlg_.Controls().At(labelId).rect;
    dlg_.PressAt({r.x + r.width / 2, r.y + r.height / 2});
}

void Operations::WaitForPage(const CommandOwner& page, int limitMs, Then quiet, Fail fail) {
    Begin(
        [this, &page] {
            if (!messages_.empty()) return Settled();
            return Quiet() && !page.AnyWaiting() && !dlg_.PageEntryPending();
        },
        [this, quiet, fail] {
            if (!messages_.empty()) return fail(MessageFailure());
            quiet();
        },
        fail, limitMs, false);
}

void Operations::EnterPage(PageCode code, Then entered, Fail fail) {
    if (dlg_.ActivePage() == code) return entered();
    StartFresh();
    const bool matrix = code == PageCode::kMatrix;
    PressLabel(matrix ? res::kMatrixLabel : res::kEdidLabel);
    const CommandOwner& page = matrix ? app_.MatrixPage().Commands() : app_.EdidPage().Commands();
    WaitForPage(page, matrix ? kPageMs : kEdidMs, entered, fail);
}

MatrixState Operations::MatrixNow() const {
    MatrixState state;
    const CMatrixDlg& page = app_.MatrixPage();
    for (int o = 1; o <= 8; ++o) {
        state.input[o - 1] = page.ShownInput(o);
        state.arc[o - 1] = page.ShownArc(o);
    }
    return state;
}

void Operations::ReadMatrix(Done<MatrixState> done) {
    Enqueue([this, done] {
        EnterPage(
            PageCode::kMatrix, [this, done] { Succeed(done, MatrixNow()); }, FailWith(done));
    });
}

void Operations::ClickOnMatrixPage(int id, Ended ended, Fail fail) {
    EnterPage(
        PageCode::kMatrix,
        [this, id, ended] {
            CMatrixDlg& page = app_.MatrixPage();
            StartFresh();
            const std::uint64_t before = page.Commands().LastStarted().serial;
            page.Click(id);
            const std::uint64_t serial = page.Commands().LastStarted().serial;
            auto report = [this, serial, before, ended](const Error* error) {
                std::optional<CommandRecord> command;
                for (const auto& c : ended_)
                    if (serial != before && c.serial == serial) command = c;
                ended(command, error);
            };
            WaitForPage(
                page.Commands(), kPageMs, [report] { report(nullptr); },
                [report](const Error& error) { report(&error); });
        },
        fail);
}

// The route is confirmed when the switcher's acknowledgement has checked the
// input's button (the acknowledgement names neither: the page shows the route
// it sent).
void Operations::Route(int input, int output, Done<void> done) {
    Enqueue([this, input, output, done] {
        const Fail fail = FailWith(done);
        ClickOnMatrixPage(
            res::kMatrixOutputs[output - 1].inputs[input - 1],
            [this, input, output, done, fail](const std::optional<CommandRecord>&,
                                              const Error* error) {
                if (error) return fail(*error);
                if (app_.MatrixPage().ShownInput(output) != input) return fail(TimedOut());
                Succeed(done);
            },
            fail);
    });
}

// Confirmed only when the switcher acknowledged exactly that state for
// exactly that output; an acknowledgement of another is what it said.
void Operations::Arc(int output, bool on, Done<ArcAcknowledgement> done) {
    Enqueue([this, output, on, done] {
        const Fail fail = FailWith(done);
        const auto& ids = res::kMatrixOutputs[output - 1];
        ClickOnMatrixPage(
            on ? ids.arcOn : ids.arcOff,
            [this, output, on, done, fail](const std::optional<CommandRecord>& command,
                                           const Error* error) {
                std::optional<ArcAcknowledgement> ack;
                if (command && command->reply) {
                    const ReplyView reply(command->reply->data());
                    ack = ArcAcknowledgement{reply.Third(), reply.Mark() == kStateOn};
                }
                const bool lost = error && error->kind == Error::Kind::kLinkLost;
                const bool confirmed = command && command->outcome == CommandOutcome::kConfirmed &&
                                       ack && ack->output == output && ack->on == on;
                if (ack && !confirmed && !lost)
                    return fail({Error::Kind::kRefused, ArcAcknowledgementText(*ack)});
                if (error) return fail(*error);
                if (!confirmed) return fail(TimedOut());
                Succeed(done, *ack);
            },
            fail);
    });
}

EdidInputs Operations::EdidNow() const {
    EdidInputs inputs;
    const CEDIDDlg& page = app_.EdidPage();
    for (int n = 1; n <= 8; ++n) {
        inputs.codes[n - 1] = page.EdidCode(n);
        inputs.texts[n - 1] = page.Controls().Text(res::kEdidValueLabels[n - 1]);
        inputs.names[n - 1] = page.Controls().Text(res::kEdidNameLabels[n - 1]);
    }
    return inputs;
}

void Operations::ReadEdid(Done<EdidInputs> done) {
    Enqueue([this, done] {
        EnterPage(
            PageCode::kEdid, [this, done] { Succeed(done, EdidNow()); }, FailWith(done));
    });
}

// A set operation waits for the list the page reads again after a success
// too; its outcome is the set command's, as the page's command owner
// recorded it.
void Operations::EdidSet(int button, Done<EdidInputs> done) {
    CEDIDDlg& page = app_.EdidPage();
    const Fail fail = FailWith(done);
    StartFresh();
    const std::uint64_t before = page.Commands().LastStarted().serial;
    page.Click(button);
    const std::uint64_t serial = page.Commands().LastStarted().serial;
    Begin([this] { return Quiet() || (Settled() && !messages_.empty()); },
          [this, serial, before, done, fail] {
              if (!messages_.empty()) return fail(MessageFailure());
              for (const auto& command : ended_)
                  if (serial != before && command.serial == serial &&
                      command.outcome == CommandOutcome::kConfirmed)
                      return Succeed(done, EdidNow());
              fail(TimedOut());
          },
          fail, kEdidMs, false);
}

// The page's two lists (what to set, and which input) and its Set button.
struct Operations::EdidChoice {
    int list;
    int index;
    int inputList;
    int inputIndex;
    int button;
};

void Operations::SetEdidFromLists(const EdidChoice& choice, Done<EdidInputs> done) {
    Enqueue([this, choice, done] {
        EnterPage(
            PageCode::kEdid,
            [this, choice, done] {
                app_.EdidPage().Select(choice.list, choice.index);
                app_.EdidPage().Select(choice.inputList, choice.inputIndex);
                EdidSet(choice.button, done);
            },
            FailWith(done));
    });
}

void Operations::SetEdidPreset(int presetIndex, int inputIndex, Done<EdidInputs> done) {
    SetEdidFromLists(
        {res::kPresetList, presetIndex, res::kPresetInputList, inputIndex, res::kPresetSetButton},
        done);
}

void Operations::CopyEdid(int outputIndex, int inputIndex, Done<EdidInputs> done) {
    SetEdidFromLists(
        {res::kCopyOutputList, outputIndex, res::kCopyInputList, inputIndex, res::kCopySetButton},
        done);
}

void Operations::WriteEdidFile(const std::string& name, const Result<EdidFile>& file,
                               int inputIndex, Done<EdidInputs> done) {
    Enqueue([this, name, file, inputIndex, done] {
        const Fail fail = FailWith(done);
        EnterPage(
            PageCode::kEdid,
            [this, name, file, inputIndex, done, fail] {
                CEDIDDlg& page = app_.EdidPage();
                StartFresh();
                if (name == kStandardInputName) {
                    page.LoadEdidFile("standard input", file);
                } else {
                    page.Click(res::kOpenEdidButton);
                    if (!page.PendingFileChoice())
                        return fail({Error::Kind::kRefused, "the EDID page is busy"});
                    page.AnswerFileChoice(name);
                    if (!page.FileError().empty())
                        return fail({Error::Kind::kBadInput, name + ": " + page.FileError()});
                }
                Begin([this] { return Settled(); },
                      [this, name, inputIndex, done, fail] {
                          CEDIDDlg& page = app_.EdidPage();
                          if (!page.FileTaken()) {
                              const std::string reason =
                                  messages_.empty() ? name + ": not taken" : messages_.front();
                              return fail({Error::Kind::kBadInput, reason});
                          }
                          // A warning was reported when the file was first read.
                          TakeMessages();
                          page.Select(res::kFileInputList, inputIndex);
                          EdidSet(res::kFileSetButton, done);
                      },
                      fail, kEdidMs, false);
            },
            fail);
    });
}

// --- the Upgrade page ---

DeviceIdentity Operations::IdentityNow() const {
    const CFWDlg& page = app_.UpgradePage();
    return {page.Controls().Text(res::kDeviceLineLabel),
            page.Controls().Text(res::kDeviceTextLabel)};
}

void Operations::EnterUpgradePage(bool tolerant, Then entered, Fail fail) {
    if (dlg_.ActivePage() == PageCode::kUpgrade) return entered();
    CFWDlg& page = app_.UpgradePage();
    const int reads = page.DeviceTextReads();
    StartFresh();
    PressLabel(res::kUpgradeLabel);
    Begin([this, reads] { return app_.UpgradePage().DeviceTextReads() > reads; }, entered,
          [this, tolerant, entered, fail](const Error& error) {
              Error shown = error;
              if (!messages_.empty()) shown.message = messages_.front();
              if (!tolerant || error.kind == Error::Kind::kLinkLost) return fail(shown);
              entered();
          },
          kAnswerMs, true);
}

void Operations::ReadIdentity(Done<DeviceIdentity> done) {
    Enqueue([this, done] {
        EnterUpgradePage(
            false, [this, done] { Succeed(done, IdentityNow()); }, FailWith(done));
    });
}

// The hidden editor holds the text as two halves of 16 characters; the page
// reads the text back after the switcher took it.
void Operations::SetDeviceText(const std::string& text, Done<DeviceIdentity> done) {
    Enqueue([this, text, done] {
        const Fail fail = FailWith(done);
        EnterUpgradePage(
            false,
            [this, text, done, fail] {
                CFWDlg& page = app_.UpgradePage();
                const std::string first = FirstCharacters(text, kHalfLength);
                page.EditText(res::kDeviceTextFirstHalf, first);
                page.EditText(res::kDeviceTextSecondHalf, text.substr(first.size()));
                const int reads = page.DeviceTextReads();
                const int writes = page.DeviceTextWrites();
                StartFresh();
                page.WriteDeviceText();
                Begin([this, reads] { return app_.UpgradePage().DeviceTextReads() > reads; },
                      [this, writes, done, fail] {
                          if (app_.UpgradePage().DeviceTextWrites() == writes)
                              return fail(TimedOut());
                          Succeed(done, IdentityNow());
                      },
                      [this, fail](const Error& error) {
                          Error shown = error;
                          if (!messages_.empty()) shown.message = messages_.front();
                          fail(shown);
                      },
                      kAnswerMs, true);
            },
            fail);
    });
}

UpgradeProgress Operations::ProgressNow() {
    const CFWDlg& page = app_.UpgradePage();
    UpgradeProgress progress;
    const std::string log = page.Controls().Text(res::kUpgradeLog);
    if (log.size() < logPrinted_) logPrinted_ = 0;  // emptied by the Upgrade button
    std::size_t end;
    while ((end = log.find("\r\n", logPrinted_)) != std::string::npos) {
        progress.newLines.push_back(log.substr(logPrinted_, end - logPrinted_));
        logPrinted_ = end + 2;
    }
    progress.sending = page.State() == UpgradeState::kSending;
    progress.blocksSent = page.TransferOffset() / static_cast<int>(kDataPayloadSize);
    progress.blocks = FirmwareBlockCount(page.ImageLength());
    const Control& bar = page.Controls().At(res::kUpgradeProgress);
    progress.confirmed = bar.position;
    progress.range = bar.rangeMax;
    return progress;
}

void Operations::StartUpgrade(const std::string& path,
                              std::function<void(const UpgradeProgress&)> progress,
                              Done<DeviceIdentity> done) {
    CFWDlg& page = app_.UpgradePage();
    const Fail fail = FailWith(done);
    StartFresh();
    page.Click(res::kFirmwareOpenButton);
    if (!page.PendingFileChoice()) return fail({Error::Kind::kRefused, "the Upgrade page is busy"});
    page.AnswerFileChoice(path);
    if (!messages_.empty()) return fail({Error::Kind::kBadInput, messages_.front()});
    if (!page.ImageLoaded()) return fail({Error::Kind::kBadInput, path + ": cannot be read"});
    const int reads = page.DeviceTextReads();
    logPrinted_ = 0;
    page.Click(res::kUpgradeButton);
    Begin(
        [this, progress] {
            progress(ProgressNow());
            const CFWDlg& page = app_.UpgradePage();
            return page.State() == UpgradeState::kIdle &&
                   page.LastUpgradeEnd() != UpgradeEnd::kNone;
        },
        [this, reads, done, fail] {
            const UpgradeEnd end = app_.UpgradePage().LastUpgradeEnd();
            if (end != UpgradeEnd::kSucceeded) {
                const Error::Kind kind =
                    end == UpgradeEnd::kTimedOut ? Error::Kind::kTimedOut : Error::Kind::kRefused;
                return fail({kind, messages_.empty() ? "MCU upgrade failed" : messages_.front()});
            }
            // The switcher answered again: the device line shows its new
            // version once the page has read it, if it does.
            auto identity = [this, done] { Succeed(done, IdentityNow()); };
            Begin([this, reads] { return app_.UpgradePage().DeviceTextReads() > reads; }, identity,
                  [identity](const Error&) { identity(); }, kAnswerMs, true);
        },
        fail, kUpgradeMs, false);
}

void Operations::Upgrade(const std::string& path,
                         std::function<void(const UpgradeProgress&)> progress,
                         Done<DeviceIdentity> done) {
    Enqueue([this, path, progress, done] {
        EnterUpgradePage(
            true, [this, path, progress, done] { StartUpgrade(path, progress, done); },
            FailWith(done));
    });
}

// --- ports ---

Result<std::vector<SSerInfo>> Operations::Ports() {
    PortListRefresher& refresher = dlg_.Ports();
    if (const auto& listed = refresher.LastRefresh(); !listed)
        return SystemError("cannot list the serial ports: " + listed.error().message);
    return refresher.Ports();
}

}  // namespace torvane
