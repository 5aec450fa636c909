#include "pages/edid_dlg.h"

#include <algorithm>
#include <filesystem>

#include "pages/edid_file.h"
#include "pages/edid_texts.h"
#include "res/edid_page_ids.h"
#include "res/edid_page_template.h"
#include "ui/message_dlg.h"
#include "ui/status_dlg.h"

namespace torvane {
namespace {

constexpr std::uint8_t kEdidGroup = 0x03;
constexpr std::uint8_t kQueryGroup = 0x01;
constexpr std::uint8_t kEdidStateQuery = 0x0C;
constexpr std::uint8_t kFileTransferMark = 0xBB;  // byte 10 of the announcement
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

constexpr int SendCode(SendRequest r) { return static_cast<int>(r); }

}  // namespace

const char* const CEDIDDlg::kFileFilter = "Binary file(*.BIN)|*.BIN||";

CEDIDDlg::CEDIDDlg(PageHost& host)
    : Window(res::EdidPageTemplate(), KeyFilter::kEnterEscapeSpace),
      host_(host),
      timers_(host.Loop(), [this](int id) { OnTimer(id); }) {}

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

int CEDIDDlg::InputOf(int list) const { return Controls().Selection(list) + 1; }

// --- set operations ---

void CEDIDDlg::FillPresetCommand() {
    const auto preset = static_cast<std::uint8_t>(Controls().Selection(res::kPresetList) + 1);
    const bool all = AllInputs(res::kPresetInputList);
    auto& frame = host_.Buffers().BeginCommand(kEdidGroup, all ? 0x01 : 0x02);
    frame[4] = preset;
    frame[5] = 0xF0;
    frame[6] = all ? 0x00 : static_cast<std::uint8_t>(InputOf(res::kPresetInputList));
}

void CEDIDDlg::OnSetPreset() {
    if (!host_.PassBusyGate()) return;
    FillPresetCommand();
    StartSetting();
}

void CEDIDDlg::OnCopy() {
    if (!host_.PassBusyGate()) return;
    const bool all = AllInputs(res::kCopyInputList);
    auto& frame = host_.Buffers().BeginCommand(kEdidGroup, all ? 0x03 : 0x04);
    frame[4] = static_cast<std::uint8_t>(Controls().Selection(res::kCopyOutputList) + 1);
    frame[6] = all ? 0x00 : static_cast<std::uint8_t>(InputOf(res::kCopyInputList));
    StartSetting();
}

void CEDIDDlg::StartSetting() {
    host_.PostSendRequest(SendCode(SendRequest::kCommandFromEdid));
    timers_.SetTimer(kSetTimeoutTimer, kSetTimeoutMs);
    host_.Busy().ShowBusy("Setting");
}

void CEDIDDlg::EndSetting(const char* result) {
    timers_.KillTimer(kSetTimeoutTimer);
    timers_.KillTimer(kRawBlockTimer);
    host_.Busy().SetBusyText(result);
    host_.Busy().FinishBusy();
    timers_.SetTimer(kResultShownTimer, kResultShownMs);
    host_.ReopenBusyGate();
}

// A refusal is a failure: it stays in the message dialog until the operator
// closes it, never beside the busy dialog's success mark.
void CEDIDDlg::EndInRefusal() {
    timers_.KillTimer(kSetTimeoutTimer);
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
    CheckedEdidFile file = LoadEdidFile(path);
    switch (file.verdict) {
        case EdidFileVerdict::kUnreadable:
            fileError_ = file.error;
            return;
        case EdidFileVerdict::kBadFile:
            // Checked before it replaces anything: the accepted EDID stays.
            host_.Message().ShowMessage("Bad EDID file!");
            return;
        case EdidFileVerdict::kAccepted:
            break;
    }
    edid_.fill(0x00);
    std::copy(file.bytes.begin(), file.bytes.end(), edid_.begin() + 1);
    std::error_code ec;
    const auto full = std::filesystem::absolute(path, ec);
    Table().SetText(res::kEdidPathBox, ec ? path : full.string());
}

void CEDIDDlg::OnSetFile() {
    if (!host_.PassBusyGate()) return;
    if (Controls().Text(res::kEdidPathBox).empty()) {
        host_.ReopenBusyGate();
        return;
    }
    auto& frame = host_.Buffers().BeginCommand(kEdidGroup, 0x08);
    frame[4] = 0xF0;
    frame[10] = kFileTransferMark;
    StartSetting();
}

void CEDIDDlg::SendTarget() {
    const bool all = AllInputs(res::kFileInputList);
    auto& frame = host_.Buffers().BeginCommand(kEdidGroup, all ? 0x06 : 0x07);
    frame[4] = all ? 0xFE : static_cast<std::uint8_t>(InputOf(res::kFileInputList));
    frame[5] = 0xF0;
    host_.PostSendRequest(SendCode(SendRequest::kCommandFromEdid));
}

void CEDIDDlg::SendStart() {
    const bool all = AllInputs(res::kFileInputList);
    auto& frame = host_.Buffers().BeginCommand(kEdidGroup, all ? 0x06 : 0x07);
    frame[4] = 0x56;
    frame[7] = 0x01;
    host_.PostSendRequest(SendCode(SendRequest::kCommandFromEdid));
    timers_.SetTimer(kRawBlockTimer, kRawBlockDelayMs);
}

// --- replies ---

void CEDIDDlg::OnReply(const std::uint8_t* f) {
    const CommandFrame& last = host_.Buffers().Command();
    if (f[2] == kQueryGroup && f[3] == kEdidStateQuery) {
        OnStatusAnswer(f);
        return;
    }
    if (f[2] == kEdidGroup && f[3] == 0x08 && f[4] == 0x00) {
        if (last[10] == kFileTransferMark) {
            SendTarget();
        } else {
            FillPresetCommand();
            host_.PostSendRequest(SendCode(SendRequest::kCommandFromEdid));
        }
        return;
    }
    if (f[2] != kEdidGroup || f[3] != last[3]) return;
    if (f[4] == kBlockRequest && f[5] == 0x00) {
        SendStart();
        return;
    }
    if (f[5] != 0x00 || f[6] != last[6] || f[7] != last[7]) return;
    if (f[4] == 0x00)
        EndSetting("Set successfully!");
    else if (f[4] == kRejected)
        EndInRefusal();
}

// --- input list ---

void CEDIDDlg::OnStatus() {
    if (!host_.PassBusyGate()) return;
    SendStatusQuery(1);
}

void CEDIDDlg::SendStatusQuery(int input) {
    host_.Buffers().BeginCommand(kQueryGroup, kEdidStateQuery)[4] =
        static_cast<std::uint8_t>(input);
    timers_.SetTimer(StatusRetryTimer(input), kStatusQueryMs);
    host_.PostSendRequest(SendCode(SendRequest::kCommandFromEdid));
}

void CEDIDDlg::OnStatusAnswer(const std::uint8_t* f) {
    const int input = f[4];
    if (input < 1 || input > 8) return;
    // The first answer also ends the page entry's own time-out.
    if (input == 1) host_.PostSendRequest(SendCode(SendRequest::kStopEntryTimeout));
    timers_.KillTimer(StatusRetryTimer(input));
    timers_.KillTimer(StatusRetryTimer(input) + 1);
    if (auto text = EdidCodeText(f[6])) Table().SetText(res::kEdidValueLabels[input - 1], *text);
    if (input < 8) {
        SendStatusQuery(input + 1);
        return;
    }
    host_.Busy().CloseBusy();
    host_.ReopenBusyGate();
}

// --- timers ---

void CEDIDDlg::OnTimer(int id) {
    timers_.KillTimer(id);
    if (id >= kFirstStatusTimer && id <= kLastStatusTimer) {
        if (id % 2 == 1) {
            // The shared frame still holds this input's query.
            timers_.SetTimer(id + 1, kStatusQueryMs);
            host_.PostSendRequest(SendCode(SendRequest::kCommandFromEdid));
        } else {
            ReportTimeOut();
        }
        return;
    }
    switch (id) {
        case kSetTimeoutTimer:
            timers_.KillTimer(kRawBlockTimer);
            ReportTimeOut();
            break;
        case kResultShownTimer:
            host_.Busy().CloseBusy();
            break;
        case kRawBlockTimer:
            std::copy_n(edid_.begin(), kRawBlockSize, host_.Buffers().Raw().begin());
            host_.PostSendRequest(SendCode(SendRequest::kRawBlock));
            break;
        default:
            break;
    }
}

void CEDIDDlg::ReportTimeOut() {
    host_.Busy().CloseBusy();
    host_.Message().ShowMessage("Time out!", [this] { host_.ReopenBusyGate(); });
}

}  // namespace torvane
