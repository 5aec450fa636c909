#pragma once
// The switcher's command vocabulary: every group and command pair the program
// sends, a builder for each command frame, and a view that names the bytes of
// a reply. No other folder of the program spells a group or command byte.

#include <cstdint>

#include "protocol/frames.h"

namespace torvane {

// A group and command pair; a reply repeats the pair of the request it answers.
struct Op {
    std::uint8_t group;
    std::uint8_t command;
};

// The state bytes of the on and off commands and replies.
inline constexpr std::uint8_t kStateOn = 0x0F;
inline constexpr std::uint8_t kStateOff = 0xF0;
// The answer byte of an acknowledgement that reports success.
inline constexpr std::uint8_t kAcknowledged = 0x00;
// Byte 6 of the beep command and its reply with the beep on.
inline constexpr std::uint8_t kBeepOnMark = 0xDD;
// A connection state (byte 6 of a status reply) that reports a device present.
inline constexpr std::uint8_t kConnected = 0x00;
// The mark of the device queries (byte 10, and byte 11 of the reboot poll).
inline constexpr std::uint8_t kDeviceQueryMark = 0xCC;
// The switcher's answer to a firmware block (byte 4 of its acknowledgement).
inline constexpr std::uint8_t kBlockReceived = 0x00;
inline constexpr std::uint8_t kBlockSendAgain = 0x01;
inline constexpr std::uint8_t kBlockAbort = 0x02;
// The mark of the EDID file announcement (byte 10).
inline constexpr std::uint8_t kEdidFileMark = 0xBB;

namespace op {
// Queries.
inline constexpr Op kDeviceType{0x01, 0x01};
inline constexpr Op kDeviceSize{0x01, 0x02};
inline constexpr Op kFirmwareVersion{0x01, 0x03};
inline constexpr Op kInputState{0x01, 0x04};
inline constexpr Op kOutputState{0x01, 0x05};
inline constexpr Op kBeepState{0x01, 0x0B};
inline constexpr Op kEdidState{0x01, 0x0C};
// Routing and ARC.
inline constexpr Op kMatrixStatus{0x02, 0x01};
inline constexpr Op kRoute{0x02, 0x03};
inline constexpr Op kArcSet{0x10, 0x01};
inline constexpr Op kArcStatus{0x10, 0x02};
// EDID.
inline constexpr Op kEdidPresetAll{0x03, 0x01};
inline constexpr Op kEdidPreset{0x03, 0x02};
inline constexpr Op kEdidCopyAll{0x03, 0x03};
inline constexpr Op kEdidCopy{0x03, 0x04};
inline constexpr Op kEdidFileAll{0x03, 0x06};
inline constexpr Op kEdidFileOne{0x03, 0x07};
inline constexpr Op kEdidFileAnnounce{0x03, 0x08};
// System.
inline constexpr Op kBeepSet{0x06, 0x01};
inline constexpr Op kUpgradeRequest{0x08, 0x07};
inline constexpr Op kUpgradeReady{0x08, 0x08};
inline constexpr Op kFactoryReset{0x08, 0x0A};
inline constexpr Op kPowerSet{0x08, 0x0B};
inline constexpr Op kPowerState{0x08, 0x0C};
inline constexpr Op kReboot{0x08, 0x0D};
// The device text: four writes of eight characters, four reads.
inline constexpr std::uint8_t kDeviceTextGroup = 0xFA;
inline constexpr std::uint8_t kFirstTextWrite = 0x21;
inline constexpr std::uint8_t kLastTextWrite = 0x24;
inline constexpr std::uint8_t kFirstTextRead = 0x25;
inline constexpr std::uint8_t kLastTextRead = 0x28;
}  // namespace op

// --- command frames (header and pair set, every other byte 00 until the
// checksum is written on sending) ---

CommandFrame Command(Op op);
CommandFrame InputStateQuery(int input);
CommandFrame OutputStateQuery(int output);
CommandFrame BeepStateQuery();
CommandFrame BeepSet(bool on);
CommandFrame PowerStateQuery();
CommandFrame PowerSet(bool on);
CommandFrame FactoryReset();
CommandFrame Reboot();
CommandFrame EdidStateQuery(int input);
CommandFrame MatrixQuery(int output);
CommandFrame Route(int input, int output);
CommandFrame ArcSet(int output, bool on);
CommandFrame ArcQuery(int output);
// `input` 0 stands for all inputs.
CommandFrame EdidPreset(int code, int input);
CommandFrame EdidCopy(int output, int input);
CommandFrame EdidFileAnnounce();
CommandFrame EdidFileTarget(int input);
CommandFrame EdidFileStart(int input);
// Device type, size or firmware version (`item` 0x01 to 0x03).
CommandFrame DeviceQuery(std::uint8_t item);
// Asks whether the switcher answers again after the upgrade's restart.
CommandFrame RebootPoll();
CommandFrame UpgradeRequest();
CommandFrame UpgradeReadyPoll();
CommandFrame DeviceTextRead(std::uint8_t command);
// Eight characters in bytes 4 to 11.
CommandFrame DeviceTextWrite(std::uint8_t command, const std::uint8_t* chars);

// The bytes of a 13-byte reply by their place: the pair, the parameter bytes
// 4 to 7 and the marks in bytes 10 and 11. What a byte means depends on the
// reply; each handler names it in its own terms.
class ReplyView {
  public:
    explicit ReplyView(const std::uint8_t* frame) : f_(frame) {}

    std::uint8_t Group() const { return f_[2]; }
    std::uint8_t Command() const { return f_[3]; }
    bool Is(Op op) const { return Group() == op.group && Command() == op.command; }
    bool IsCommandFrame() const { return f_[0] == kCommandHeader0; }

    std::uint8_t First() const { return f_[4]; }
    std::uint8_t Second() const { return f_[5]; }
    std::uint8_t Third() const { return f_[6]; }
    std::uint8_t Fourth() const { return f_[7]; }
    std::uint8_t Mark() const { return f_[10]; }
    std::uint8_t SecondMark() const { return f_[11]; }
    // A data block's acknowledgement is no command frame: byte 2 holds its
    // flags, byte 3 the block's number, byte 4 the switcher's answer.
    std::uint8_t BlockFlags() const { return f_[2]; }
    std::uint8_t BlockNumber() const { return f_[3]; }
    std::uint8_t BlockAnswer() const { return f_[4]; }
    // Bytes 4 to 11, as the device text replies carry eight characters.
    const std::uint8_t* Payload() const { return f_ + 4; }
    const std::uint8_t* Bytes() const { return f_; }

  private:
    const std::uint8_t* f_;
};

}  // namespace torvane
