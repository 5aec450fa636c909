// The firmware transfer of the Upgrade page: the upgrade request, the ready
// polls, one data frame per acknowledged block, and the wait for the switcher
// to answer again after its restart.

#include <algorithm>
#include <cstring>

#include "pages/fw_dlg.h"
#include "protocol/commands.h"
#include "res/upgrade_page_ids.h"
#include "ui/message_dlg.h"

namespace torvane {
namespace {

constexpr int kReadyPollTimer = 7040;
constexpr int kReadyGiveUpTimer = 7041;
constexpr int kRequestTimer = 7042;
// The transfer's own time-out: a data frame left unanswered is sent once
// more, and then the transfer fails, so a silent switcher cannot keep the
// busy gate closed.
constexpr int kBlockRetryTimer = 7044;
constexpr int kBlockGiveUpTimer = 7045;
constexpr int kFirstRebootTimer = 3002;
constexpr int kLastRebootPollTimer = 3006;
constexpr int kRebootGiveUpTimer = 3007;

constexpr int kRequestMs = 3000;
constexpr int kFirstReadyPollMs = 3000;
constexpr int kReadyPollMs = 300;
constexpr int kReadyGiveUpMs = 10000;
constexpr int kBlockMs = 3000;
constexpr int kRebootPollMs = 6000;

constexpr std::uint8_t kReceived = 0x00;
constexpr std::uint8_t kSendAgain = 0x01;
constexpr std::uint8_t kAbort = 0x02;

constexpr int kBlock = static_cast<int>(kDataPayloadSize);

const char* const kFailedLine = "->MCU upgrade failed";

constexpr SendRequest kSendCommand = SendRequest::kCommandFromUpgrade;
constexpr SendRequest kSendData = SendRequest::kDataFrame;

}  // namespace

void CFWDlg::OnUpgrade() {
    if (!host_.ComControlMode()) {
        host_.Message().ShowMessage("Please use COM Control Mode!");
        return;
    }
    if (!host_.PassBusyGate()) return;
    if (Controls().Text(res::kFirmwarePathBox).empty()) {
        host_.Message().ShowMessage("No file(.bin)!", [this] { host_.ReopenBusyGate(); });
        return;
    }
    // A run whose restart is still awaited ends here: its polls and its
    // give-up must not reach into the transfer that starts now.
    StopTransferTimers();
    SetFailureMark(false);
    Table().SetRange(res::kUpgradeProgress, 0, imageLength_);
    Table().SetPosition(res::kUpgradeProgress, 0);
    host_.Buffers().Write(UpgradeRequest());
    Table().SetText(res::kUpgradeLog, "");
    AppendLog("->Upgrading MCU...");
    offset_ = 0;
    state_ = UpgradeState::kRequesting;
    lastEnd_ = UpgradeEnd::kNone;
    host_.PostSendRequest(kSendCommand);
    timers_.SetTimer(kRequestTimer, kRequestMs);
}

bool CFWDlg::OnTransferReply(const std::uint8_t* frame) {
    const ReplyView r(frame);
    if (r.IsCommandFrame()) {
        if (r.Group() != op::kUpgradeRequest.group || r.First() != kAcknowledged) return false;
        if (r.Is(op::kUpgradeRequest) && state_ == UpgradeState::kRequesting) {
            timers_.KillTimer(kRequestTimer);
            state_ = UpgradeState::kPolling;
            SendReadyPoll();
            timers_.SetTimer(kReadyPollTimer, kFirstReadyPollMs);
            timers_.SetTimer(kReadyGiveUpTimer, kReadyGiveUpMs);
            return true;
        }
        if (r.Is(op::kUpgradeReady) && state_ == UpgradeState::kPolling) {
            timers_.KillTimer(kReadyPollTimer);
            timers_.KillTimer(kReadyGiveUpTimer);
            state_ = UpgradeState::kSending;
            offset_ = 0;
            BuildBlock();
            // The first block never carries the last-block flag, whatever
            // the image's length or an interrupted transfer left in the frame.
            host_.Buffers().Data()[2] = 0x00;
            SendBlock();
            return true;
        }
        return false;
    }
    // Block acknowledgements: only for the block outstanding.
    if (state_ != UpgradeState::kSending) return false;
    const auto current = static_cast<std::uint8_t>(offset_ / kBlock);
    if (r.BlockNumber() != current) return false;
    OnBlockAcknowledged(r.BlockFlags(), r.BlockAnswer());
    return true;
}

void CFWDlg::OnBlockAcknowledged(std::uint8_t flags, std::uint8_t result) {
    DataFrame& data = host_.Buffers().Data();
    auto stopBlockTimers = [this] {
        timers_.KillTimer(kBlockRetryTimer);
        timers_.KillTimer(kBlockGiveUpTimer);
    };
    if (flags == 0x00 && result == kReceived) {
        stopBlockTimers();
        offset_ += kBlock;
        Table().SetPosition(res::kUpgradeProgress, offset_);
        BuildBlock();
        SendBlock();
    } else if (flags == 0x00 && result == kSendAgain) {
        stopBlockTimers();
        Table().SetPosition(res::kUpgradeProgress, offset_);
        BuildBlock();
        SendBlock();
    } else if (flags == 0x00 && result == kAbort) {
        stopBlockTimers();
        EndInFailure();
    } else if (flags != 0x00 && result == kReceived && data[2] == kLastBlockFlag) {
        stopBlockTimers();
        Table().SetPosition(res::kUpgradeProgress, imageLength_);
        AppendLog("->System rebooting, please wait...");
        StartRebootWait();
        host_.ReopenBusyGate();
        offset_ = 0;
        data[2] = 0x00;
    }
}

void CFWDlg::BuildBlock() {
    DataFrame& data = host_.Buffers().Data();
    std::fill(data.begin() + 4, data.end(), std::uint8_t{0xFF});
    data[0] = kDataHeader0;
    data[1] = kDataHeader1;
    data[3] = static_cast<std::uint8_t>(offset_ / kBlock);
    if (offset_ >= imageLength_) {
        // The switcher did not echo the flag of the block that reached the
        // image's end: one more block of FF, flagged, ends the transfer.
        data[2] = kLastBlockFlag;
        return;
    }
    std::memcpy(data.data() + 4, image_.data() + offset_, kDataPayloadSize);
    if (offset_ + kBlock >= imageLength_) data[2] = kLastBlockFlag;
}

void CFWDlg::SendBlock() {
    host_.PostSendRequest(kSendData);
    timers_.SetTimer(kBlockRetryTimer, kBlockMs);
}

void CFWDlg::StartRebootWait() {
    state_ = UpgradeState::kRebooting;
    // The restart takes up to half a minute: an empty range shows the bar as
    // waiting, so the page does not look finished or stuck meanwhile.
    Table().SetRange(res::kUpgradeProgress, 0, 0);
    SendRebootPoll();
    timers_.SetTimer(kFirstRebootTimer, kRebootPollMs);
}

// Built afresh for every poll: the device text, which takes no gate, may be
// written meanwhile.
void CFWDlg::SendReadyPoll() {
    host_.Buffers().Write(UpgradeReadyPoll());
    host_.PostSendRequest(kSendCommand);
}

// Built afresh for every poll: a page entry or a device text written during
// the wait replaces the shared frame, and the switcher's restart answer
// comes only to this poll.
void CFWDlg::SendRebootPoll() {
    host_.Buffers().Write(RebootPoll());
    host_.PostSendRequest(kSendCommand);
}

void CFWDlg::StopTransferTimers() {
    for (int id :
         {kReadyPollTimer, kReadyGiveUpTimer, kRequestTimer, kBlockRetryTimer, kBlockGiveUpTimer})
        timers_.KillTimer(id);
    for (int id = kFirstRebootTimer; id <= kRebootGiveUpTimer; ++id) timers_.KillTimer(id);
}

void CFWDlg::OnRebootAnswer() {
    if (state_ != UpgradeState::kRebooting) return;
    StopTransferTimers();
    state_ = UpgradeState::kIdle;
    Table().SetRange(res::kUpgradeProgress, 0, imageLength_);
    Table().SetPosition(res::kUpgradeProgress, imageLength_);
    AppendLog("->System reboot ok ");
    AppendLog("->MCU upgrading complete ");
    AppendLog("->Firmware upgrade successfully ");
    lastEnd_ = UpgradeEnd::kSucceeded;
}

// Every failure ends the same way: the failure line drawn red, the progress
// bar and the transfer reset, the gate open for the next command.
void CFWDlg::EndInFailure() {
    state_ = UpgradeState::kIdle;
    if (lastEnd_ == UpgradeEnd::kNone) lastEnd_ = UpgradeEnd::kFailed;
    SetFailureMark(true);
    AppendLog(kFailedLine);
    Table().SetRange(res::kUpgradeProgress, 0, imageLength_);
    Table().SetPosition(res::kUpgradeProgress, 0);
    offset_ = 0;
    host_.Buffers().Data()[2] = 0x00;
    host_.ReopenBusyGate();
}

void CFWDlg::OnTimer(int id) {
    timers_.KillTimer(id);
    switch (id) {
        case kRequestTimer:
        case kBlockGiveUpTimer:
        case kRebootGiveUpTimer:
            if (id == kBlockGiveUpTimer) timers_.KillTimer(kBlockRetryTimer);
            // A late answer while the message shows must not resume the
            // transfer.
            state_ = UpgradeState::kIdle;
            host_.Message().ShowMessage("Time out!", [this] {
                lastEnd_ = UpgradeEnd::kTimedOut;
                EndInFailure();
            });
            break;
        case kReadyPollTimer:
            SendReadyPoll();
            timers_.SetTimer(kReadyPollTimer, kReadyPollMs);
            break;
        case kReadyGiveUpTimer:
            timers_.KillTimer(kReadyPollTimer);
            EndInFailure();
            break;
        case kBlockRetryTimer:
            host_.PostSendRequest(kSendData);
            timers_.SetTimer(kBlockGiveUpTimer, kBlockMs);
            break;
        default:
            if (id >= kFirstRebootTimer && id <= kLastRebootPollTimer) {
                SendRebootPoll();
                timers_.SetTimer(id + 1, kRebootPollMs);
            }
            break;
    }
}

}  // namespace torvane
