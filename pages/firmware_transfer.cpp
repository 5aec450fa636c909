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

// The ready poll repeats on 7040 until 7041 gives up.
constexpr int kReadyPollTimer = 7040;
constexpr int kRequestTimer = 7042;
// The transfer's own time-out: a data frame left unanswered is sent once
// more (7044), and then the transfer fails (7045), so a silent switcher
// cannot keep the busy gate closed.
constexpr int kBlockRetryTimer = 7044;
// The restart wait polls on 3002 to 3006, each once, and 3007 gives up.
constexpr int kFirstRebootTimer = 3002;
constexpr int kRebootPolls = 5;

constexpr int kRequestMs = 3000;
constexpr int kFirstReadyPollMs = 3000;
constexpr int kReadyPollMs = 300;
constexpr int kReadyGiveUpMs = 10000;
constexpr int kBlockMs = 3000;
constexpr int kRebootPollMs = 6000;

constexpr int kBlock = static_cast<int>(kDataPayloadSize);

const char* const kFailedLine = "->MCU upgrade failed";

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
    commands_.DropAll();
    SetFailureMark(false);
    Table().SetRange(res::kUpgradeProgress, 0, imageLength_);
    Table().SetPosition(res::kUpgradeProgress, 0);
    Table().SetText(res::kUpgradeLog, "");
    AppendLog("->Upgrading MCU...");
    offset_ = 0;
    state_ = UpgradeState::kRequesting;
    lastEnd_ = UpgradeEnd::kNone;
    commands_.Start(kRequestTimer, UpgradeRequest(), {kRequestMs, std::nullopt});
}

bool CFWDlg::OnTransferReply(const std::uint8_t* frame) {
    const ReplyView r(frame);
    if (r.IsCommandFrame()) {
        if (r.Group() != op::kUpgradeRequest.group || r.First() != kAcknowledged) return false;
        if (r.Is(op::kUpgradeRequest) && state_ == UpgradeState::kRequesting) {
            commands_.Confirm(kRequestTimer, r);
            state_ = UpgradeState::kPolling;
            // Each poll is built afresh: the device text, which takes no
            // gate, may be written meanwhile.
            commands_.Start(kReadyPollTimer, UpgradeReadyPoll(),
                            {kFirstReadyPollMs, kReadyPollMs, 1, kReadyGiveUpMs});
            return true;
        }
        if (r.Is(op::kUpgradeReady) && state_ == UpgradeState::kPolling) {
            commands_.Confirm(kReadyPollTimer, r);
            state_ = UpgradeState::kSending;
            offset_ = 0;
            BuildBlock();
            // The first block never carries the last-block flag, whatever
            // the image's length or an interrupted transfer left in the frame.
            host_.Buffers().Data()[kDataFlagsByte] = kNoBlockFlags;
            SendBlock();
            return true;
        }
        return false;
    }
    // Block acknowledgements: only for the block outstanding.
    if (state_ != UpgradeState::kSending) return false;
    const auto current = static_cast<std::uint8_t>(offset_ / kBlock);
    if (r.BlockNumber() != current) return false;
    OnBlockAcknowledged(r);
    return true;
}

void CFWDlg::OnBlockAcknowledged(const ReplyView& reply) {
    DataFrame& data = host_.Buffers().Data();
    const std::uint8_t flags = reply.BlockFlags();
    const std::uint8_t result = reply.BlockAnswer();
    auto stopBlockTimers = [this, &reply] { commands_.Confirm(kBlockRetryTimer, reply); };
    if (flags == kNoBlockFlags && result == kBlockReceived) {
        stopBlockTimers();
        offset_ += kBlock;
        Table().SetPosition(res::kUpgradeProgress, offset_);
        BuildBlock();
        SendBlock();
    } else if (flags == kNoBlockFlags && result == kBlockSendAgain) {
        stopBlockTimers();
        Table().SetPosition(res::kUpgradeProgress, offset_);
        BuildBlock();
        SendBlock();
    } else if (flags == kNoBlockFlags && result == kBlockAbort) {
        commands_.Refuse(kBlockRetryTimer, reply);
        EndInFailure();
    } else if (flags != kNoBlockFlags && result == kBlockReceived &&
               data[kDataFlagsByte] == kLastBlockFlag) {
        stopBlockTimers();
        Table().SetPosition(res::kUpgradeProgress, imageLength_);
        AppendLog("->System rebooting, please wait...");
        StartRebootWait();
        host_.ReopenBusyGate();
        offset_ = 0;
        data[kDataFlagsByte] = kNoBlockFlags;
    }
}

void CFWDlg::BuildBlock() {
    DataFrame& data = host_.Buffers().Data();
    std::fill(data.begin() + kDataPayloadByte, data.end(), std::uint8_t{0xFF});
    data[0] = kDataHeader0;
    data[1] = kDataHeader1;
    data[kDataBlockByte] = static_cast<std::uint8_t>(offset_ / kBlock);
    if (offset_ >= imageLength_) {
        // The switcher did not echo the flag of the block that reached the
        // image's end: one more block of FF, flagged, ends the transfer.
        data[kDataFlagsByte] = kLastBlockFlag;
        return;
    }
    std::memcpy(data.data() + kDataPayloadByte, image_.data() + offset_, kDataPayloadSize);
    if (offset_ + kBlock >= imageLength_) data[kDataFlagsByte] = kLastBlockFlag;
}

// The block stays in the data frame, which only the transfer writes, until
// it is answered: its resend is the same block.
void CFWDlg::SendBlock() {
    commands_.StartHeld(kBlockRetryTimer, [this] { host_.PostSendRequest(kSendData); },
                        {kBlockMs, kBlockMs});
}

void CFWDlg::StartRebootWait() {
    state_ = UpgradeState::kRebooting;
    // The restart takes up to half a minute: an empty range shows the bar as
    // waiting, so the page does not look finished or stuck meanwhile.
    Table().SetRange(res::kUpgradeProgress, 0, 0);
    // Each poll is built afresh: a page entry or a device text written
    // during the wait replaces the shared frame, and the switcher's restart
    // answer comes only to this poll.
    commands_.Start(kFirstRebootTimer, RebootPoll(), {kRebootPollMs, kRebootPollMs, kRebootPolls});
}

void CFWDlg::OnRebootAnswer(const ReplyView& reply) {
    if (state_ != UpgradeState::kRebooting) return;
    commands_.Confirm(kFirstRebootTimer, reply);
    commands_.DropAll();
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
    host_.Buffers().Data()[kDataFlagsByte] = kNoBlockFlags;
    host_.ReopenBusyGate();
}

void CFWDlg::OnGiveUp(const CommandRecord& command) {
    // An unready switcher fails the transfer without a message.
    if (command.timer == kReadyPollTimer) return EndInFailure();
    // A late answer while the message shows must not resume the transfer.
    state_ = UpgradeState::kIdle;
    host_.Message().ShowMessage("Time out!", [this] {
        lastEnd_ = UpgradeEnd::kTimedOut;
        EndInFailure();
    });
}

}  // namespace torvane
