#include "app/operations.h"

#include <utility>

#include "app/link_messages.h"
#include "app/operation_waits.h"
#include "res/resource_ids.h"

namespace torvane {

using namespace operation_waits;

namespace {

// A backstop for changes no window reports (a flag cleared without a window).
constexpr int kTickMs = 100;

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
    EventLoop::TimerId wake = 0;
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
    dlg_.EntryCommands().AddObserver(noteEnd);
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
    loop_.CancelTimer(current_->wake);
}

void Operations::Listen(int ms, Then then, Fail fail) {
    auto heard = std::make_shared<bool>(false);
    // The limit only backs up the wake-up.
    Begin([heard] { return *heard; }, std::move(then), std::move(fail), ms + kTickMs, false);
    current_->wake = loop_.StartTimer(ms, [this, heard, alive = std::weak_ptr<bool>(alive_)] {
        if (alive.expired()) return;
        *heard = true;
        ScheduleCheck();
    });
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

// --- ports ---

Result<std::vector<SSerInfo>> Operations::Ports() {
    PortListRefresher& refresher = dlg_.Ports();
    if (const auto& listed = refresher.LastRefresh(); !listed)
        return SystemError("cannot list the serial ports: " + listed.error().message);
    return refresher.Ports();
}

}  // namespace torvane
