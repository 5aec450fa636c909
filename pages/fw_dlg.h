#pragma once
// The Upgrade page: sends a firmware image to the switcher block by block and
// waits for it to restart, logging each step in its "Messages" log, and shows
// the switcher's identity (device type, size, version) and its 32-character
// device text, which a hidden editor can also write.

#include <cstdint>
#include <string>

#include "pages/command_owner.h"
#include "pages/firmware_image.h"
#include "pages/page.h"
#include "platform/window_timers.h"
#include "protocol/commands.h"
#include "ui/window.h"

namespace torvane {

// Where a firmware upgrade stands.
enum class UpgradeState {
    kIdle,
    kRequesting,  // upgrade request sent
    kPolling,     // asking whether the switcher is ready for data
    kSending,     // one data frame outstanding
    kRebooting,   // last block taken; waiting for the switcher to answer again
};

// How the last upgrade run ended.
enum class UpgradeEnd {
    kNone,       // none has ended since the last one began
    kSucceeded,  // the switcher answered after its restart
    kFailed,     // the switcher refused or aborted
    kTimedOut,   // the switcher stopped answering
};

class CFWDlg : public Window, public Page {
  public:
    explicit CFWDlg(PageHost& host);
    ~CFWDlg() override;

    // Page
    PageCode Code() const override { return PageCode::kUpgrade; }
    Window& PageWindow() override { return *this; }
    void CreatePage() override { Create(); }
    void OnReply(const std::uint8_t* frame) override;
    Point Placement() const override { return kPlacement; }
    PageEntry Entry() const override { return EntryOf(); }
    void OnLinkLost() override { commands_.MarkLinkLost(); }

    static constexpr Point kPlacement{1, 70};
    static PageEntry EntryOf() { return {DeviceQuery(op::kDeviceType.command), false}; }

    // The hidden "Set": writes the halves in edits 1127 and 1128 to the
    // switcher. Nothing on the page shows it; a command message activates it.
    // The switcher keeps one byte per character: a text with a character
    // above U+00FF is refused with kLatin1Only and nothing is sent.
    void WriteDeviceText();
    static constexpr const char* kLatin1Only =
        "The device text takes Latin-1 characters only (up to U+00FF)!";

    // --- state a front-end shows and tests read ---
    UpgradeState State() const { return state_; }
    // While set, the log is drawn red.
    bool FailureMark() const { return failureMark_; }
    int ImageLength() const { return imageLength_; }
    int TransferOffset() const { return offset_; }
    bool ImageLoaded() const { return imageLength_ > 0; }
    UpgradeEnd LastUpgradeEnd() const { return lastEnd_; }
    // How many times the device text has been read back and shown.
    int DeviceTextReads() const { return deviceTextReads_; }
    // How many times the switcher has taken a whole device text.
    int DeviceTextWrites() const { return deviceTextWrites_; }
    const WindowTimers& Timers() const { return timers_; }
    // The transfer's commands: the request, the ready poll, each block and
    // the restart wait.
    const CommandOwner& Commands() const { return commands_; }
    CommandOwner& Commands() { return commands_; }

  protected:
    void OnCommand(int id) override;

  private:
    // Image file and log.
    void OnOpen();
    void LoadImage(const std::string& path);
    void AppendLog(const char* line);
    void SetFailureMark(bool set);

    // Firmware transfer.
    void OnUpgrade();
    bool OnTransferReply(const std::uint8_t* frame);
    void OnBlockAcknowledged(const ReplyView& reply);
    void BuildBlock();
    void SendBlock();
    void StartRebootWait();
    void OnRebootAnswer(const ReplyView& reply);
    void EndInFailure();
    void OnGiveUp(const CommandRecord& command);

    // Device information and device text.
    bool OnDeviceInfoReply(const std::uint8_t* frame);
    void OnDeviceTextReply(const ReplyView& reply);
    void SendDeviceQuery(std::uint8_t command);
    void SendDeviceText(std::uint8_t command, const std::uint8_t* chars);

    PageHost& host_;
    WindowTimers timers_;
    CommandOwner commands_;
    FirmwareBuffer image_;
    int imageLength_ = 0;
    int offset_ = 0;
    UpgradeState state_ = UpgradeState::kIdle;
    bool failureMark_ = false;

    std::string deviceLine_;
    std::string deviceText_;
    std::string firstHalf_;
    std::string secondHalf_;
    std::uint8_t outgoingFirst_[16] = {};
    std::uint8_t outgoingSecond_[16] = {};
    int deviceTextReads_ = 0;
    int deviceTextWrites_ = 0;
    UpgradeEnd lastEnd_ = UpgradeEnd::kNone;
};

}  // namespace torvane
