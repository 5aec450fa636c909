#include "pages/matrix_dlg.h"

#include "res/dialog_templates.h"
#include "res/resource_ids.h"
#include "ui/message_dlg.h"

namespace torvane {
namespace {

constexpr std::uint8_t kRouteGroup = 0x02;
constexpr std::uint8_t kMatrixStatus = 0x01;
constexpr std::uint8_t kRoute = 0x03;
constexpr std::uint8_t kArcGroup = 0x10;
constexpr std::uint8_t kArcSet = 0x01;
constexpr std::uint8_t kArcStatus = 0x02;
constexpr std::uint8_t kArcOn = 0x0F;
constexpr std::uint8_t kArcOff = 0xF0;

// Page timers. Each output owns twenty route ids (input i: 2(i-1), previous
// 16, next 18, each retry timer followed by its give-up timer) and four ARC
// ids (on, off), counted from these bases.
constexpr int kRouteTimers = 6000;
constexpr int kLastRouteTimer = 6159;
constexpr int kRouteTimersPerOutput = 20;
constexpr int kPreviousTimer = 16;
constexpr int kNextTimer = 18;
constexpr int kArcOnTimers = 7000;
constexpr int kArcOffTimers = 7002;
constexpr int kLastArcCommandTimer = 7031;
constexpr int kArcTimersPerOutput = 4;
// Status queries of the refresh chain: routing of outputs 2 to 8, and ARC
// of output n on 7031 + n.
constexpr int kMatrixQueryTimer = 1000;
constexpr int kArcQueryTimers = 7032;
constexpr int kLastArcQueryTimer = 7039;

constexpr int kCommandTimeoutMs = 3000;
constexpr int kQueryTimeoutMs = 7000;

const int kSendCommand = static_cast<int>(SendRequest::kCommandFromMatrix);
const int kStopEntryTimeout = static_cast<int>(SendRequest::kStopEntryTimeout);

bool IsPort(int n) { return n >= 1 && n <= CMatrixDlg::kOutputs; }

}  // namespace

CMatrixDlg::CMatrixDlg(PageHost& host)
    : Window(res::MatrixPageTemplate(), KeyFilter::kEnterEscapeSpace),
      host_(host),
      timers_(host.Loop(), [this](int id) { OnTimer(id); }) {
    currentInput_.fill(1);
}

CMatrixDlg::~CMatrixDlg() { timers_.KillAll(); }

bool CMatrixDlg::AwaitingSwitcher() const {
    if (timers_.IsRunning(kMatrixQueryTimer)) return true;
    for (int id = kRouteTimers; id <= kLastRouteTimer; ++id)
        if (timers_.IsRunning(id)) return true;
    for (int id = kArcOnTimers; id <= kLastArcQueryTimer; ++id)
        if (timers_.IsRunning(id)) return true;
    return false;
}

// --- commands ---

void CMatrixDlg::OnCommand(int id) {
    for (int o = 1; o <= kOutputs; ++o) {
        const res::MatrixOutputIds& ids = res::kMatrixOutputs[Slot(o)];
        for (int i = 1; i <= kOutputs; ++i)
            if (id == ids.inputs[i - 1]) return OnInputButton(id, o, i);
        if (id == ids.previous) return OnStepButton(o, false);
        if (id == ids.next) return OnStepButton(o, true);
        if (id == ids.arcOn) return OnArcBox(id, o, true);
        if (id == ids.arcOff) return OnArcBox(id, o, false);
    }
}

// The box toggled itself on the click; its mark waits for the switcher.
void CMatrixDlg::UndoOwnToggle(int id) { Table().SetChecked(id, !Controls().Checked(id)); }

void CMatrixDlg::OnInputButton(int id, int output, int input) {
    UndoOwnToggle(id);
    if (!host_.PassBusyGate()) return;
    SendRoute(output, input, kRouteTimers + kRouteTimersPerOutput * (output - 1) + 2 * (input - 1));
}

void CMatrixDlg::OnStepButton(int output, bool next) {
    if (!host_.PassBusyGate()) return;
    // Stepping wraps: the stored 9 (or 0) stands for "before 1" ("after 8")
    // until the switcher confirms the new input.
    int& stored = currentInput_[Slot(output)];
    if (!next && (stored == 0 || stored == 1)) stored = 9;
    if (next && (stored == 8 || stored == 9)) stored = 0;
    const int input = next ? stored + 1 : stored - 1;
    const int base = kRouteTimers + kRouteTimersPerOutput * (output - 1);
    SendRoute(output, input, base + (next ? kNextTimer : kPreviousTimer));
}

void CMatrixDlg::SendRoute(int output, int input, int retryTimer) {
    auto& frame = host_.Buffers().BeginCommand(kRouteGroup, kRoute);
    frame[4] = static_cast<std::uint8_t>(input);
    frame[6] = static_cast<std::uint8_t>(output);
    timers_.SetTimer(retryTimer, kCommandTimeoutMs);
    host_.PostSendRequest(kSendCommand);
}

void CMatrixDlg::OnArcBox(int id, int output, bool on) {
    UndoOwnToggle(id);
    if (!host_.PassBusyGate()) return;
    const std::uint8_t state = on ? kArcOn : kArcOff;
    auto& frame = host_.Buffers().BeginCommand(kArcGroup, kArcSet);
    frame[4] = state;
    frame[6] = static_cast<std::uint8_t>(output);
    frame[10] = state;
    timers_.SetTimer((on ? kArcOnTimers : kArcOffTimers) + kArcTimersPerOutput * (output - 1),
                     kCommandTimeoutMs);
    host_.PostSendRequest(kSendCommand);
}

// --- replies ---

void CMatrixDlg::OnReply(const std::uint8_t* f) {
    const std::uint8_t group = f[2];
    const std::uint8_t command = f[3];
    // The order matters: a frame may fit more than one shape.
    if (group == kArcGroup && f[4] == 0x00 && f[10] == kArcOn) return OnArcAcknowledged(f[6], true);
    if (group == kArcGroup && command == kArcStatus && f[6] == 1) return OnArcStatus(f);
    if (group == kArcGroup && f[4] == 0x00 && f[10] == kArcOff)
        return OnArcAcknowledged(f[6], false);
    if (group == kArcGroup && command == kArcStatus && f[6] >= 2 && f[6] <= 8)
        return OnArcStatus(f);
    if (group == kRouteGroup && command == kRoute && f[4] == 0x00) return OnRouteAcknowledged();
    if (group == kRouteGroup && command == kMatrixStatus) return OnMatrixStatus(f);
    // Anything else (groups 0x0A and 0x90 included) answers nothing this page
    // sent; the timers of the pending command keep running.
}

void CMatrixDlg::OnArcAcknowledged(std::uint8_t output, bool on) {
    // The acknowledgement settles every pending ARC command of its direction.
    KillTimers(on ? kArcOnTimers : kArcOffTimers, kLastArcCommandTimer, kArcTimersPerOutput);
    KillTimers((on ? kArcOnTimers : kArcOffTimers) + 1, kLastArcCommandTimer, kArcTimersPerOutput);
    if (IsPort(output)) ShowArcState(output, on ? kArcOn : kArcOff);
    // Also when it names no output: no timer is left that would reopen it.
    host_.ReopenBusyGate();
}

void CMatrixDlg::OnArcStatus(const std::uint8_t* f) {
    const int n = f[6];
    timers_.KillTimer(kArcQueryTimers + n - 1);
    ShowArcState(n, f[4]);
    if (n == kOutputs) {
        host_.ReopenBusyGate();
        return;
    }
    WriteArcQuery(n + 1);
    timers_.SetTimer(kArcQueryTimers + n, kQueryTimeoutMs);
    host_.PostSendRequest(kSendCommand);
}

void CMatrixDlg::OnRouteAcknowledged() {
    KillTimers(kRouteTimers, kLastRouteTimer, 1);
    // The acknowledgement names neither: the route command still in the
    // outgoing frame does, unless a later query has replaced it.
    const auto& sent = host_.Buffers().Command();
    const int input = sent[4];
    const int output = sent[6];
    if (IsPort(input) && IsPort(output)) {
        SetPicture(output, input);
        SelectInput(output, input);
    }
    host_.ReopenBusyGate();
}

void CMatrixDlg::OnMatrixStatus(const std::uint8_t* f) {
    timers_.KillTimer(kMatrixQueryTimer);
    const int input = f[6];
    const int queried = host_.Buffers().Command()[4];
    if (IsPort(input)) {
        if (IsPort(queried)) SetPicture(queried, input);
        SelectInput(queried, input);
    }
    const int answered = f[4];
    if (answered >= 1 && answered < kOutputs) {
        WriteMatrixQuery(answered + 1);
        host_.PostSendRequest(kSendCommand);
        timers_.SetTimer(kMatrixQueryTimer, kQueryTimeoutMs);
    } else if (answered == kOutputs) {
        // The gate stays closed until the ARC queries end or give up: a
        // command now would share the outgoing frame with the chain, and
        // neither its acknowledgement nor the next query would find theirs.
        host_.PostSendRequest(kStopEntryTimeout);
        WriteArcQuery(1);
        host_.PostSendRequest(kSendCommand);
        timers_.SetTimer(kArcQueryTimers, kQueryTimeoutMs);
    }
    // Any other output stops the chain; the entry's own time-out reports it.
}

void CMatrixDlg::SelectInput(int output, int input) {
    if (!IsPort(output)) return;
    currentInput_[Slot(output)] = input;
    const res::MatrixOutputIds& ids = res::kMatrixOutputs[Slot(output)];
    for (int i = 1; i <= kOutputs; ++i) Table().SetChecked(ids.inputs[i - 1], i == input);
}

void CMatrixDlg::SetPicture(int output, int input) {
    Table().SetImage(res::kMatrixOutputs[Slot(output)].picture, res::kDigitBitmaps[input - 1]);
}

void CMatrixDlg::ShowArcState(int output, std::uint8_t state) {
    if (state != kArcOn && state != kArcOff) return;
    const res::MatrixOutputIds& ids = res::kMatrixOutputs[Slot(output)];
    Table().SetChecked(ids.arcOn, state == kArcOn);
    Table().SetChecked(ids.arcOff, state == kArcOff);
}

void CMatrixDlg::WriteMatrixQuery(int output) {
    host_.Buffers().BeginCommand(kRouteGroup, kMatrixStatus)[4] = static_cast<std::uint8_t>(output);
}

void CMatrixDlg::WriteArcQuery(int output) {
    host_.Buffers().BeginCommand(kArcGroup, kArcStatus)[6] = static_cast<std::uint8_t>(output);
}

// --- timers ---

void CMatrixDlg::OnTimer(int id) {
    const bool command = (id >= kRouteTimers && id <= kLastRouteTimer) ||
                         (id >= kArcOnTimers && id <= kLastArcCommandTimer);
    if (command && id % 2 == 0) return Retry(id);
    if (command || id == kMatrixQueryTimer || (id >= kArcQueryTimers && id <= kLastArcQueryTimer))
        return GiveUp(id);
}

void CMatrixDlg::Retry(int id) {
    timers_.KillTimer(id);
    // The shared frame goes out again as it stands now.
    host_.PostSendRequest(kSendCommand);
    timers_.SetTimer(id + 1, kCommandTimeoutMs);
}

void CMatrixDlg::GiveUp(int id) {
    timers_.KillTimer(id);
    host_.Message().ShowMessage("Time out!", [this] { host_.ReopenBusyGate(); });
}

void CMatrixDlg::KillTimers(int first, int last, int step) {
    for (int id = first; id <= last; id += step) timers_.KillTimer(id);
}

}  // namespace torvane
