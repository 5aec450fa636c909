#include "pages/matrix_dlg.h"

#include "protocol/commands.h"
#include "res/dialog_templates.h"
#include "res/resource_ids.h"
#include "ui/message_dlg.h"

namespace torvane {
namespace {

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

constexpr int kCommandTimeoutMs = 3000;
constexpr int kQueryTimeoutMs = 7000;

bool IsPort(int n) { return n >= 1 && n <= CMatrixDlg::kOutputs; }

}  // namespace

CMatrixDlg::CMatrixDlg(PageHost& host)
    : Window(res::MatrixPageTemplate(), KeyFilter::kEnterEscapeSpace),
      host_(host),
      timers_(host.Loop(), [this](int id) { commands_.OnTimer(id); }),
      commands_(timers_, SendThrough(host, SendRequest::kCommandFromMatrix),
                [this](const CommandRecord&) {
                    host_.Message().ShowMessage("Time out!", [this] { host_.ReopenBusyGate(); });
                }) {
    currentInput_.fill(1);
}

CMatrixDlg::~CMatrixDlg() { timers_.KillAll(); }

// --- names ---

void CMatrixDlg::ShowPortNames(const PortNames& inputs, const PortNames& outputs) {
    inputNames_ = inputs;
    outputNames_ = outputs;
    if (IsOpen()) OnInitDialog();
}

void CMatrixDlg::OnInitDialog() {
    for (int o = 1; o <= kOutputs; ++o) {
        const res::MatrixOutputIds& ids = res::kMatrixOutputs[Slot(o)];
        const std::string& name = outputNames_[Slot(o)];
        std::string caption = std::string("OUTPUT ") + char('A' + o - 1);
        if (!name.empty()) caption += " \u00B7 " + name;
        Table().SetText(ids.group, caption);
        for (int i = 1; i <= kOutputs; ++i)
            Table().SetTooltip(ids.inputs[i - 1], inputNames_[Slot(i)]);
    }
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
    commands_.Start(retryTimer, Route(input, output), {kCommandTimeoutMs, kCommandTimeoutMs});
}

void CMatrixDlg::StartQuery(int timer, const CommandFrame& query) {
    commands_.Start(timer, query, {kQueryTimeoutMs, std::nullopt});
}

void CMatrixDlg::OnArcBox(int id, int output, bool on) {
    UndoOwnToggle(id);
    if (!host_.PassBusyGate()) return;
    commands_.Start((on ? kArcOnTimers : kArcOffTimers) + kArcTimersPerOutput * (output - 1),
                    ArcSet(output, on), {kCommandTimeoutMs, kCommandTimeoutMs});
}

// --- replies ---

void CMatrixDlg::OnReply(const std::uint8_t* frame) {
    const ReplyView r(frame);
    const bool arc = r.Group() == op::kArcSet.group;
    const bool acknowledged = r.First() == kAcknowledged;
    // The order matters: a frame may fit more than one shape.
    if (arc && acknowledged && r.Mark() == kStateOn) return OnArcAcknowledged(r, true);
    if (r.Is(op::kArcStatus) && r.Third() == 1) return OnArcStatus(r);
    if (arc && acknowledged && r.Mark() == kStateOff) return OnArcAcknowledged(r, false);
    if (r.Is(op::kArcStatus) && r.Third() >= 2 && r.Third() <= 8) return OnArcStatus(r);
    if (r.Is(op::kRoute) && acknowledged) return OnRouteAcknowledged(r);
    if (r.Is(op::kMatrixStatus)) return OnMatrixStatus(r);
    // Anything else (groups 0x0A and 0x90 included) answers nothing this page
    // sent; the timers of the pending command keep running.
}

void CMatrixDlg::OnArcAcknowledged(const ReplyView& reply, bool on) {
    const int output = reply.Third();
    // The acknowledgement settles every pending ARC command of its direction;
    // one of the other direction keeps waiting, with what the switcher said.
    ConfirmAll(on ? kArcOnTimers : kArcOffTimers, kLastArcCommandTimer, kArcTimersPerOutput, reply);
    for (int id = on ? kArcOffTimers : kArcOnTimers; id <= kLastArcCommandTimer;
         id += kArcTimersPerOutput)
        commands_.Heard(id, reply);
    if (IsPort(output)) ShowArcState(output, on ? kStateOn : kStateOff);
    // Also when it names no output: no timer is left that would reopen it.
    host_.ReopenBusyGate();
}

void CMatrixDlg::OnArcStatus(const ReplyView& reply) {
    const int n = reply.Third();
    commands_.Confirm(kArcQueryTimers + n - 1, reply);
    ShowArcState(n, reply.First());
    if (n == kOutputs) {
        host_.ReopenBusyGate();
        return;
    }
    StartQuery(kArcQueryTimers + n, ArcQuery(n + 1));
}

void CMatrixDlg::OnRouteAcknowledged(const ReplyView& reply) {
    ConfirmAll(kRouteTimers, kLastRouteTimer, 2, reply);
    // The acknowledgement names neither: the route command still in the
    // outgoing frame does, unless a later query has replaced it.
    const ReplyView sent(host_.Buffers().Command().data());
    const int input = sent.First();
    const int output = sent.Third();
    if (IsPort(input) && IsPort(output)) {
        SetPicture(output, input);
        SelectInput(output, input);
    }
    host_.ReopenBusyGate();
}

void CMatrixDlg::OnMatrixStatus(const ReplyView& reply) {
    commands_.Confirm(kMatrixQueryTimer, reply);
    const int input = reply.Third();
    const int queried = ReplyView(host_.Buffers().Command().data()).First();
    if (IsPort(input)) {
        if (IsPort(queried)) SetPicture(queried, input);
        SelectInput(queried, input);
    }
    const int answered = reply.First();
    if (answered >= 1 && answered < kOutputs) {
        StartQuery(kMatrixQueryTimer, MatrixQuery(answered + 1));
    } else if (answered == kOutputs) {
        // The gate stays closed until the ARC queries end or give up: a
        // command now would share the outgoing frame with the chain, and
        // neither its acknowledgement nor the next query would find theirs.
        host_.PostSendRequest(SendRequest::kStopEntryTimeout);
        StartQuery(kArcQueryTimers, ArcQuery(1));
    }
    // Any other output stops the chain; the entry's own time-out reports it.
}

void CMatrixDlg::ShowRoute(int output, int input) {
    if (!IsPort(output) || !IsPort(input)) return;
    SetPicture(output, input);
    SelectInput(output, input);
}

void CMatrixDlg::ShowArc(int output, bool on) {
    if (IsPort(output)) ShowArcState(output, on ? kStateOn : kStateOff);
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
    if (state != kStateOn && state != kStateOff) return;
    const res::MatrixOutputIds& ids = res::kMatrixOutputs[Slot(output)];
    Table().SetChecked(ids.arcOn, state == kStateOn);
    Table().SetChecked(ids.arcOff, state == kStateOff);
}

std::optional<int> CMatrixDlg::ShownInput(int output) const {
    const res::MatrixOutputIds& ids = res::kMatrixOutputs[Slot(output)];
    for (int i = 1; i <= kOutputs; ++i)
        if (Controls().Checked(ids.inputs[i - 1])) return i;
    return std::nullopt;
}

std::optional<bool> CMatrixDlg::ShownArc(int output) const {
    const res::MatrixOutputIds& ids = res::kMatrixOutputs[Slot(output)];
    if (Controls().Checked(ids.arcOn)) return true;
    if (Controls().Checked(ids.arcOff)) return false;
    return std::nullopt;
}

void CMatrixDlg::ConfirmAll(int first, int last, int step, const ReplyView& reply) {
    for (int id = first; id <= last; id += step) commands_.Confirm(id, reply);
}

}  // namespace torvane
