#include "pages/edid_dlg.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "pages/edid_file.h"
#include "pages/edid_texts.h"
#include "platform/utf8_path.h"
#include "protocol/commands.h"
#include "res/edid_page_ids.h"
#include "res/edid_page_template.h"
#include "ui/message_dlg.h"
#include "ui/status_dlg.h"

namespace torvane {
namespace {

constexpr std::uint8_t kEdidGroup = op::kEdidPreset.group;
// Answers in byte 4 of a set operation's reply.
constexpr std::uint8_t kBlockRequest = 0xAA;
constexpr std::uint8_t kRejected = 0x0F;

// Page timers.
constexpr int kSetTimeoutTimer = 1000;  // every set operation, no resend
constexpr int kSetTimeoutMs = 7000;
constexpr int kResultShownTimer = 1004;  // closes the busy dialog after a result
constexpr int kResultShownMs = 900;
constexpr int kRawBlockTimer = 2510;  // the raw block follows the start frame
constexpr int kRawBlockDelayMs = 100;
// Input n's status query: resend timer 2509 + 2n, give-up timer 2510 + 2n.
constexpr int kFirstStatusTimer = 2511;
constexpr int kLastStatusTimer = 2526;
constexpr int kStatusQueryMs = 3000;

int StatusRetryTimer(int input) { return 2509 + 2 * input; }

}  // namespace

const char* const CEDIDDlg::kFileFilter = "Binary file(*.BIN)|*.BIN||";

CEDIDDlg::CEDIDDlg(PageHost& host)
    : Window(res::EdidPageTemplate(), KeyFilter::kEnterEscapeSpace),
      host_(host),
      timers_(host.Loop(), [this](int id) { OnTimer(id); }),
      commands_(
          timers_, [this](const CommandFrame& unit) { Send(unit); },
          [this](const CommandRecord& command) { OnGiveUp(command); }) {}

CEDIDDlg::~CEDIDDlg() { timers_.KillAll(); }

void CEDIDDlg::OnInitDialog() {
    for (int k = 0; k < kEdidPresetCount; ++k)
        Table().InsertItem(res::kPresetList, k, kEdidPresetTexts[k]);
    for (int list : {res::kPresetInputList, res::kCopyInputList, res::kFileInputList})
        for (int k = 0; k < static_cast<int>(kEdidInputItems.size()); ++k)
            Table().InsertItem(list, k, kEdidInputItems[k]);
    for (int k = 0; k < static_cast<int>(kEdidOutputItems.size()); ++k)
        Table().InsertItem(res::kCopyOutputList, k, kEdidOutputItems[k]);
    for (int list : {res::kPresetList, res::kPresetInputList, res::kCopyOutputList,
                     res::kCopyInputList, res::kFileInputList})
        Table().SetSelection(list, 0);
}

void CEDIDDlg::OnCommand(int id) {
    switch (id) {
        case res::kPresetSetButton:
            OnSetPreset();
            break;
        case res::kCopySetButton:
            OnCopy();
            break;
        case res::kOpenEdidButton:
            OnOpenEdid();
            break;
        case res::kFileSetButton:
            OnSetFile();
            break;
        case res::kEdidStatusButton:
            OnStatus();
            break;
        default:
            break;
    }
}

bool CEDIDDlg::AllInputs(int list) const { return Controls().Selection(list) == kAllInputsIndex; }

int CEDIDDlg::TargetInput(int list) const {
    return AllInputs(list) ? 0 : Controls().Selection(list) + 1;
}

// --- set operations ---

CommandFrame CEDIDDlg::PresetCommand() const {
    return EdidPreset(Controls().Selection(res::kPresetList) + 1,
                      TargetInput(res::kPresetInputList));
}

void CEDIDDlg::OnSetPreset() {
    if (!host_.PassBusyGate()) return;
    StartSetting(PresetCommand());
}

void CEDIDDlg::OnCopy() {
    if (!host_.PassBusyGate()) return;
    StartSetting(
        EdidCopy(Controls().Selection(res::kCopyOutputList) + 1, TargetInput(res::kCopyInputList)));
}

// A set operation is one command of several exchanges; its one timer covers
// them all and it is not resent.
void CEDIDDlg::StartSetting(const CommandFrame& unit) {
    commands_.Start(kSetTimeoutTimer, unit, {kSetTimeoutMs, std::nullopt});
    host_.Busy().ShowBusy("Setting");
}

void CEDIDDlg::EndSetting(const ReplyView& reply) {
    commands_.Confirm(kSetTimeoutTimer, reply);
    timers_.KillTimer(kRawBlockTimer);
    host_.Busy().SetBusyText("Set successfully!");
    host_.Busy().FinishBusy();
    timers_.SetTimer(kResultShownTimer, kResultShownMs);
    host_.ReopenBusyGate();
    refreshAfterResult_ = true;
}

// A refusal is a failure: it stays in the message dialog until the operator
// closes it, never beside the busy dialog's success mark.
void CEDIDDlg::EndInRefusal(const ReplyView& reply) {
    commands_.Refuse(kSetTimeoutTimer, reply);
    timers_.KillTimer(kRawBlockTimer);
    host_.Busy().CloseBusy();
    host_.Message().ShowMessage("Can't find the valid data!", [this] { host_.ReopenBusyGate(); });
}

// --- EDID file ---

void CEDIDDlg::OnOpenEdid() {
    if (!host_.BusyGateOpen()) return;
    ChooseFile(FileChoice{"Open", kFileFilter}, [this](const std::optional<std::string>& path) {
        fileError_.clear();
        if (path) OnFileChosen(*path);
    });
}

void CEDIDDlg::OnFileChosen(const std::string& path) {
    const Result<EdidFile> file = torvane::LoadEdidFile(path);
    if (!file && file.error().kind == Error::Kind::kSystem) {
        fileError_ = file.error().message;
        fileTaken_ = false;
        SetFileProblem("Open EDID", "Cannot read " + path + ": " + fileError_);
        return;
    }
    std::error_code ec;
    const auto full = std::filesystem::absolute(PathFromUtf8(path), ec);
    LoadEdidFile(ec ? path : Utf8FromPath(full), file);
}

void CEDIDDlg::LoadEdidFile(const std::string& name, const Result<EdidFile>& file) {
    fileTaken_ = file.ok();
    if (!fileTaken_) {
        // Checked before it replaces anything: the accepted EDID stays.
        host_.Message().ShowMessage(BadEdidFileMessage(name, file.error().message));
        return;
    }
    edid_.fill(0x00);
    std::copy_n(file->bytes.begin(), std::min(file->bytes.size(), edid_.size() - 1),
                edid_.begin() + 1);
    Table().SetText(res::kEdidPathBox, name);
    if (!file->warning.empty())
        host_.Message().ShowMessage(EdidFileWarningMessage(name, file->warning));
}

void CEDIDDlg::OnSetFile() {
    if (!host_.PassBusyGate()) return;
    if (Controls().Text(res::kEdidPathBox).empty()) {
        host_.ReopenBusyGate();
        return;
    }
    StartSetting(EdidFileAnnounce());
}

void CEDIDDlg::SendTarget() { Send(EdidFileTarget(TargetInput(res::kFileInputList))); }

void CEDIDDlg::SendStart() {
    Send(EdidFileStart(TargetInput(res::kFileInputList)));
    timers_.SetTimer(kRawBlockTimer, kRawBlockDelayMs);
}

// --- replies ---

void CEDIDDlg::OnReply(const std::uint8_t* frame) {
    const ReplyView r(frame);
    const ReplyView last(host_.Buffers().Command().data());
    if (r.Is(op::kEdidState)) {
        OnStatusAnswer(r);
        return;
    }
    if (r.Is(op::kEdidFileAnnounce) && r.First() == kAcknowledged) {
        if (last.Mark() == kEdidFileMark) {
            SendTarget();
        } else {
            Send(PresetCommand());
        }
        return;
    }
    if (r.Group() != kEdidGroup || r.Command() != last.Command()) return;
    if (r.First() == kBlockRequest && r.Second() == 0x00) {
        SendStart();
        return;
    }
    if (r.Second() != 0x00 || r.Third() != last.Third() || r.Fourth() != last.Fourth()) return;
    if (r.First() == kAcknowledged)
        EndSetting(r);
    else if (r.First() == kRejected)
        EndInRefusal(r);
}

// --- input list ---

void CEDIDDlg::OnStatus() {
    if (!host_.PassBusyGate()) return;
    SendStatusQuery(1);
}

void CEDIDDlg::SendStatusQuery(int input) {
    commands_.Start(StatusRetryTimer(input), EdidStateQuery(input),
                    {kStatusQueryMs, kStatusQueryMs});
}

void CEDIDDlg::OnStatusAnswer(const ReplyView& reply) {
    const int input = reply.First();
    if (input < 1 || input > 8) return;
    // The first answer also ends the page entry's own time-out.
    if (input == 1) host_.PostSendRequest(SendRequest::kStopEntryTimeout);
    commands_.Confirm(StatusRetryTimer(input), reply);
    ShowEdidCode(input, reply.Third());
    if (input < 8) {
        SendStatusQuery(input + 1);
        return;
    }
    host_.Busy().CloseBusy();
    host_.ReopenBusyGate();
}

void CEDIDDlg::ShowEdidCode(int input, int code) {
    if (input < 1 || input > 8) return;
    codes_[static_cast<std::size_t>(input - 1)] = code;
    Table().SetText(res::kEdidValueLabels[input - 1],
                    EdidCodeText(static_cast<std::uint8_t>(code)));
}

void CEDIDDlg::EndCommandsWithTheLink() {
    commands_.LinkLost();
    // The raw block belongs to a file write that ended with the link.
    timers_.KillTimer(kRawBlockTimer);
}

// --- timers ---

void CEDIDDlg::OnTimer(int id) {
    if (commands_.OnTimer(id)) return;
    timers_.KillTimer(id);
    switch (id) {
        case kResultShownTimer:
            host_.Busy().CloseBusy();
            // Only while the page shows: the answers come to the active page.
            if (std::exchange(refreshAfterResult_, false) && WindowVisible()) OnStatus();
            break;
        case kRawBlockTimer:
            std::copy_n(edid_.begin(), kRawBlockSize, host_.Buffers().Raw().begin());
            host_.PostSendRequest(SendRequest::kRawBlock);
            break;
        default:
            break;
    }
}

void CEDIDDlg::Send(const CommandFrame& unit) {
    host_.Buffers().Write(unit);
    host_.PostSendRequest(SendRequest::kCommandFromEdid);
}

void CEDIDDlg::OnGiveUp(const CommandRecord& command) {
    if (command.timer == kSetTimeoutTimer) timers_.KillTimer(kRawBlockTimer);
    ReportTimeOut();
}

void CEDIDDlg::ReportTimeOut() {
    host_.Busy().CloseBusy();
    host_.Message().ShowMessage("Time out!", [this] { host_.ReopenBusyGate(); });
}

}  // namespace torvane
